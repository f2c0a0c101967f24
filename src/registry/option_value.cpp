#include "registry/option_value.h"

#include "registry/validate.h"

#include <cmath>

namespace qorva_zel {

void CopyTypedValue(std::int32_t type, const QORVA_ZEL_Value& from, QORVA_ZEL_Value& to) noexcept
{
    switch (type) {
    case QORVA_ZEL_Integer:
        to.IntValue = from.IntValue;
        break;
    case QORVA_ZEL_Float:
        to.FloatValue = from.FloatValue;
        break;
    case QORVA_ZEL_Bool:
        to.BoolValue = from.BoolValue;
        break;
    default:
        break;
    }
}

bool EqualOrBothNaN(float current, float saved) noexcept
{
    return current == saved || (std::isnan(current) && std::isnan(saved));
}

bool SameValue(const OptionRecord& current, const SavedValue& saved) noexcept
{
    switch (current.Type) {
    case QORVA_ZEL_Integer:
        return current.Value.IntValue == saved.Value.IntValue;
    case QORVA_ZEL_Float:
        return EqualOrBothNaN(current.Value.FloatValue, saved.Value.FloatValue);
    case QORVA_ZEL_Enum:
        return current.StringValue == saved.String;
    case QORVA_ZEL_Bool:
        return current.Value.BoolValue == saved.Value.BoolValue;
    default:
        return true;
    }
}

QORVA_ZEL_Status PrepareValue(const OptionRecord& record, std::size_t position, const ValueView& value,
                              PreparedValue& prepared)
{
    const QORVA_ZEL_Status status = ValidateOptionValue(record, value);
    if (status != QORVA_ZEL_OK) {
        return status;
    }
    if (record.Type == QORVA_ZEL_Enum) {
        // The record keeps its own copy of the caller's string.
        prepared.StringValue = value.String;
    } else {
        CopyTypedValue(record.Type, value.Value, prepared.Value);
    }
    prepared.Position = position;
    return QORVA_ZEL_OK;
}

} // namespace qorva_zel
