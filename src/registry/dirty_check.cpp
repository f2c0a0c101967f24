#include "registry/dirty_check.h"

#include "registry/resolutions.h"

namespace qorva_zel {
namespace {

// Current values only; limits and allowed strings never take part.
bool SameValue(const OptionRecord& current, const OptionRecord& saved)
{
    switch (current.Type) {
    case QORVA_ZEL_Integer:
        return current.Value.IntValue == saved.Value.IntValue;
    case QORVA_ZEL_Float:
        return current.Value.FloatValue == saved.Value.FloatValue;
    case QORVA_ZEL_Enum:
        return current.StringValue == saved.StringValue;
    case QORVA_ZEL_Bool:
        return current.Value.BoolValue == saved.Value.BoolValue;
    default:
        return true;
    }
}

// The first saved record of the same name and type, if any.
const OptionRecord* FindSavedCounterpart(const SavedOptions& saved, const OptionRecord& record)
{
    for (auto it = saved.Find(record.Name); it != saved.end() && it->Name == record.Name; ++it) {
        if (it->Type == record.Type) {
            return &*it;
        }
    }
    return nullptr;
}

} // namespace

QORVA_ZEL_Status CheckForDirtyOptions(SdkState& state)
{
    return WithInitializedState(state, [&state]() -> QORVA_ZEL_Status {
        if (!SameResolution(state.CurrentResolution, state.SavedResolution)) {
            return QORVA_ZEL_ERROR_OPTIONS_DIRTY;
        }
        for (const OptionRecord& record : state.RegisteredOptions) {
            const OptionRecord* saved = FindSavedCounterpart(state.SavedOptionSet, record);
            if (saved == nullptr || !SameValue(record, *saved)) {
                return QORVA_ZEL_ERROR_OPTIONS_DIRTY;
            }
        }
        return QORVA_ZEL_OK;
    });
}

} // namespace qorva_zel
