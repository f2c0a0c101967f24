// Registering options and reading and setting their values.
#include "core/operations.h"

#include "registry/option_value.h"
#include "registry/validate.h"

#include <algorithm>

namespace qorva_zel {
namespace {

// A new array the caller owns and gives back through QORVA_ZEL_ReleaseVariant.
QORVA_ZEL_Char* DuplicateForCaller(const std::u16string& text)
{
    auto* copy = new QORVA_ZEL_Char[text.size() + 1];
    std::copy(text.begin(), text.end(), copy);
    copy[text.size()] = 0;
    return copy;
}

} // namespace

QORVA_ZEL_Status RegisterOption(SdkState& state, const QORVA_ZEL_OptionDesc& desc)
{
    if (state.RegisteredOptions.FindOfType(ToView(desc.Name), desc.Type)) {
        return QORVA_ZEL_ERROR_ALREADY_REGISTERED;
    }
    state.RegisteredOptions.Append(CopyOptionRecord(desc));
    return QORVA_ZEL_OK;
}

// The option registered last under the name answers; when others share the
// name, the value comes with QORVA_ZEL_ERROR_AMBIGUOUS_OPTION.
QORVA_ZEL_Status GetOptionValue(SdkState& state, QORVA_ZEL_Variant& value, std::u16string_view name)
{
    const OptionTable::Named found = state.RegisteredOptions.Find(name);
    if (found.Count == 0) {
        return QORVA_ZEL_ERROR_OPTION_NOT_FOUND;
    }
    const OptionRecord& record = state.RegisteredOptions.Record(found.LastAt);
    if (record.Type == QORVA_ZEL_Enum) {
        value.Value.StringValue = DuplicateForCaller(record.StringValue);
    } else {
        CopyTypedValue(record.Type, record.Value, value.Value);
    }
    value.Type = static_cast<QORVA_ZEL_OptionType>(record.Type);
    return found.Count == 1 ? QORVA_ZEL_OK : QORVA_ZEL_ERROR_AMBIGUOUS_OPTION;
}

// Validated against the option registered last under the name.
QORVA_ZEL_Status SetOptionValue(SdkState& state, const QORVA_ZEL_Variant& value, std::u16string_view name)
{
    OptionTable& options = state.RegisteredOptions;
    const OptionTable::Named found = options.Find(name);
    if (found.Count == 0) {
        return QORVA_ZEL_ERROR_OPTION_NOT_FOUND;
    }
    // The exported function has checked an Enum's string for null.
    const ValueView view{value.Type, value.Value,
                         value.Type == QORVA_ZEL_Enum ? ToView(value.Value.StringValue) : std::u16string_view()};
    const QORVA_ZEL_Status status = ValidateOptionValue(options.Record(found.LastAt), view);
    if (status == QORVA_ZEL_OK) {
        options.Store(found.LastAt, view);
    }
    return status;
}

} // namespace qorva_zel
