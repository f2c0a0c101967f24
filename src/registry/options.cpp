#include "registry/options.h"

#include "registry/validate.h"

#include <algorithm>
#include <cstddef>

namespace qorva_zel {
namespace {

QORVA_ZEL_Status MatchStatus(const OptionMatch& match)
{
    if (match.Count == 0) {
        return QORVA_ZEL_ERROR_OPTION_NOT_FOUND;
    }
    return match.Count == 1 ? QORVA_ZEL_OK : QORVA_ZEL_ERROR_AMBIGUOUS_OPTION;
}

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
    return WithInitializedState(state, [&]() -> QORVA_ZEL_Status {
        if (state.RegisteredOptions.FindOfType(ToView(desc.Name), desc.Type).Count != 0) {
            return QORVA_ZEL_ERROR_ALREADY_REGISTERED;
        }
        state.RegisteredOptions.Append(CopyOptionRecord(desc));
        return QORVA_ZEL_OK;
    });
}

QORVA_ZEL_Status GetOptionValue(SdkState& state, QORVA_ZEL_Variant& value, std::u16string_view name)
{
    return WithInitializedState(state, [&]() -> QORVA_ZEL_Status {
        const OptionMatch match = state.RegisteredOptions.Find(name);
        const QORVA_ZEL_Status status = MatchStatus(match);
        if (status == QORVA_ZEL_ERROR_OPTION_NOT_FOUND) {
            return status;
        }
        const OptionRecord& record = *match.Last;
        switch (record.Type) {
        case QORVA_ZEL_Integer:
            value.Value.IntValue = record.Value.IntValue;
            break;
        case QORVA_ZEL_Float:
            value.Value.FloatValue = record.Value.FloatValue;
            break;
        case QORVA_ZEL_Enum:
            value.Value.StringValue = DuplicateForCaller(record.StringValue);
            break;
        case QORVA_ZEL_Bool:
            value.Value.BoolValue = record.Value.BoolValue;
            break;
        default:
            break;
        }
        value.Type = static_cast<QORVA_ZEL_OptionType>(record.Type);
        return status;
    });
}

QORVA_ZEL_Status PrepareOptionValue(SdkState& state, const QORVA_ZEL_Variant& value, std::u16string_view name,
                                    PreparedValue& prepared)
{
    const OptionMatch match = state.RegisteredOptions.Find(name);
    if (match.Count == 0) {
        return QORVA_ZEL_ERROR_OPTION_NOT_FOUND;
    }
    return PrepareOptionValueFor(*match.Last, match.LastAt, value, prepared);
}

QORVA_ZEL_Status PrepareOptionValueFor(OptionRecord& target, std::size_t position, const QORVA_ZEL_Variant& value,
                                       PreparedValue& prepared)
{
    const QORVA_ZEL_Status status = ValidateOptionValue(target, value);
    if (status != QORVA_ZEL_OK) {
        return status;
    }
    if (target.Type == QORVA_ZEL_Enum) {
        // The record keeps its own copy of the caller's string.
        prepared.StringValue = ToView(value.Value.StringValue);
    } else {
        prepared.Value = value.Value;
    }
    prepared.Target = &target;
    prepared.Position = position;
    return QORVA_ZEL_OK;
}

void StoreOptionValue(PreparedValue& prepared) noexcept
{
    OptionRecord& record = *prepared.Target;
    switch (record.Type) {
    case QORVA_ZEL_Integer:
        record.Value.IntValue = prepared.Value.IntValue;
        break;
    case QORVA_ZEL_Float:
        record.Value.FloatValue = prepared.Value.FloatValue;
        break;
    case QORVA_ZEL_Enum:
        record.StringValue.swap(prepared.StringValue);
        break;
    case QORVA_ZEL_Bool:
        record.Value.BoolValue = prepared.Value.BoolValue;
        break;
    default:
        break;
    }
}

QORVA_ZEL_Status SetOptionValue(SdkState& state, const QORVA_ZEL_Variant& value, std::u16string_view name)
{
    return WithInitializedState(state, [&]() -> QORVA_ZEL_Status {
        PreparedValue prepared;
        const QORVA_ZEL_Status status = PrepareOptionValue(state, value, name, prepared);
        if (status == QORVA_ZEL_OK) {
            StoreOptionValue(prepared);
            state.SavedOptionSet.Compare(prepared.Position, *prepared.Target);
        }
        return status;
    });
}

} // namespace qorva_zel
