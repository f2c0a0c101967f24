// The registered display resolutions and the current one.
#include "core/operations.h"

#include "registry/resolutions.h"

namespace qorva_zel {

QORVA_ZEL_Status RegisterResolutions(SdkState& state, const QORVA_ZEL_Resolution* resolutions, std::uint32_t count)
{
    // The list is emptied before room is made, as the one allocation that
    // can fail; after a failure it is empty.
    state.RegisteredResolutions.clear();
    state.RegisteredResolutions.assign(resolutions, resolutions + count);
    return QORVA_ZEL_OK;
}

QORVA_ZEL_Status GetResolution(SdkState& state, QORVA_ZEL_Resolution& resolution)
{
    resolution = state.CurrentResolution;
    return QORVA_ZEL_OK;
}

QORVA_ZEL_Status SetResolution(SdkState& state, const QORVA_ZEL_Resolution& resolution)
{
    if (!IsAllowedResolution(state.RegisteredResolutions, resolution)) {
        return QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED;
    }
    state.CurrentResolution = resolution;
    return QORVA_ZEL_OK;
}

} // namespace qorva_zel
