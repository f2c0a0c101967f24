#include "registry/dirty_check.h"

#include "registry/resolutions.h"

namespace qorva_zel {
namespace {

// Current values only; limits and allowed strings never take part. A saved
// value is its record's Value and, for an Enum, its string.
bool SameValue(const OptionRecord& current, const QORVA_ZEL_Value& saved, const std::u16string& savedString)
{
    switch (current.Type) {
    case QORVA_ZEL_Integer:
        return current.Value.IntValue == saved.IntValue;
    case QORVA_ZEL_Float:
        return current.Value.FloatValue == saved.FloatValue;
    case QORVA_ZEL_Enum:
        return current.StringValue == savedString;
    case QORVA_ZEL_Bool:
        return current.Value.BoolValue == saved.BoolValue;
    default:
        return true;
    }
}

} // namespace

QORVA_ZEL_Status CheckForDirtyOptions(SdkState& state)
{
    return WithInitializedState(state, [&state]() -> QORVA_ZEL_Status {
        if (!SameResolution(state.CurrentResolution, state.SavedResolution)) {
            return QORVA_ZEL_ERROR_OPTIONS_DIRTY;
        }
        // The first saved record of the same name and type counts. Loading
        // and saving place it by the registered option's position.
        const SavedOptions& saved = state.SavedOptionSet;
        if (saved.AllPlaced()) {
            std::size_t position = 0;
            for (const OptionRecord& record : state.RegisteredOptions) {
                const SavedValue* value = saved.ValueFor(position++);
                if (value == nullptr || !SameValue(record, value->Value, *value->String)) {
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
            if (counterpart == nullptr || !SameValue(record, counterpart->Value, counterpart->StringValue)) {
                return QORVA_ZEL_ERROR_OPTIONS_DIRTY;
            }
        }
        return QORVA_ZEL_OK;
    });
}

} // namespace qorva_zel
