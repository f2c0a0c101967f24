// Whether anything differs from the last load or save. The option table
// keeps the count of options that differ as their values change.
#include "core/operations.h"

#include "registry/resolutions.h"

namespace qorva_zel {

QORVA_ZEL_Status CheckForDirtyOptions(SdkState& state)
{
    const bool clean = SameSavedResolution(state.CurrentResolution, state.SavedResolution) &&
                       state.RegisteredOptions.Differing() == 0;
    return clean ? QORVA_ZEL_OK : QORVA_ZEL_ERROR_OPTIONS_DIRTY;
}

} // namespace qorva_zel
