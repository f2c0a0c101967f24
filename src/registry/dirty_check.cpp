#include "registry/dirty_check.h"

#include "registry/resolutions.h"

#include <cstddef>

namespace qorva_zel {

QORVA_ZEL_Status CheckForDirtyOptions(SdkState& state)
{
    return WithInitializedState(state, [&state]() -> QORVA_ZEL_Status {
        if (!SameResolution(state.CurrentResolution, state.SavedResolution)) {
            return QORVA_ZEL_ERROR_OPTIONS_DIRTY;
        }
        // The first saved record of the same name and type counts. Loading
        // and saving place it by the registered option's position and
        // compare it; every set compares its option again.
        const SavedOptions& saved = state.SavedOptionSet;
        const std::size_t registered = state.RegisteredOptions.Size();
        if (saved.Tracked() && saved.PlacedCount() <= registered) {
            // An option registered since has no saved value.
            return saved.PlacedCount() < registered || saved.Differing() != 0 ? QORVA_ZEL_ERROR_OPTIONS_DIRTY
                                                                            : QORVA_ZEL_OK;
        }
        if (saved.AllPlaced()) {
            std::size_t position = 0;
            for (const OptionRecord& record : state.RegisteredOptions) {
                const SavedValue* value = saved.ValueFor(position++);
                if (value == nullptr || !SameValue(record, *value)) {
                    return QORVA_ZEL_ERROR_OPTIONS_DIRTY;
                }
            }
            return QORVA_ZEL_OK;
        }
        // A snapshot filled otherwise is searched by name and type, usually
        // found in registration order, each right after the one before.
        std::size_t next = 0;
        for (const OptionRecord& record : state.RegisteredOptions) {
            const OptionRecord* counterpart = saved.FindOfType(record.Name, record.Type, next);
            if (counterpart == nullptr) {
                return QORVA_ZEL_ERROR_OPTIONS_DIRTY;
            }
            const SavedValue value{counterpart->Value, &counterpart->StringValue, true};
            if (!SameValue(record, value)) {
                return QORVA_ZEL_ERROR_OPTIONS_DIRTY;
            }
        }
        return QORVA_ZEL_OK;
    });
}

} // namespace qorva_zel
