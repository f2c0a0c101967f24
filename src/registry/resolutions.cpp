#include "registry/resolutions.h"

#include <algorithm>

namespace qorva_zel {

bool SameResolution(const QORVA_ZEL_Resolution& a, const QORVA_ZEL_Resolution& b) noexcept
{
    return a.Width == b.Width && a.Height == b.Height && a.RefreshRate == b.RefreshRate;
}

QORVA_ZEL_Status RegisterResolutions(SdkState& state, const QORVA_ZEL_Resolution* resolutions, std::uint32_t count)
{
    return WithInitializedState(state, [&]() -> QORVA_ZEL_Status {
        // The list is emptied before room is made, as the one allocation
        // that can fail; after a failure it is empty.
        state.RegisteredResolutions.clear();
        state.RegisteredResolutions.assign(resolutions, resolutions + count);
        return QORVA_ZEL_OK;
    });
}

QORVA_ZEL_Status GetResolution(SdkState& state, QORVA_ZEL_Resolution& resolution)
{
    return WithInitializedState(state, [&]() -> QORVA_ZEL_Status {
        resolution = state.CurrentResolution;
        return QORVA_ZEL_OK;
    });
}

QORVA_ZEL_Status SetResolution(SdkState& state, const QORVA_ZEL_Resolution& resolution)
{
    return WithInitializedState(state, [&]() -> QORVA_ZEL_Status {
        const auto& list = state.RegisteredResolutions;
        const bool listed = std::any_of(list.begin(), list.end(), [&](const QORVA_ZEL_Resolution& entry) {
            return SameResolution(entry, resolution);
        });
        if (!list.empty() && !listed) {
            return QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED;
        }
        state.CurrentResolution = resolution;
        return QORVA_ZEL_OK;
    });
}

} // namespace qorva_zel
