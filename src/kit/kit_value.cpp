#include "kit/kit_value.h"

#include "settingsfile/numbers.h"
#include "text/utf.h"

#include <cmath>

namespace qorva_zel::kit {

bool SameValue(const KitValue& a, const KitValue& b) noexcept
{
    if (a.Type != b.Type) {
        return false;
    }
    switch (a.Type) {
    case QORVA_ZEL_Integer:
        return a.Int == b.Int;
    case QORVA_ZEL_Float:
        return a.Float == b.Float || (std::isnan(a.Float) && std::isnan(b.Float));
    case QORVA_ZEL_Enum:
        return a.String == b.String;
    default:
        return a.Bool == b.Bool;
    }
}

std::string ValueText(const KitValue& value)
{
    switch (value.Type) {
    case QORVA_ZEL_Integer:
        return FormatInt(value.Int);
    case QORVA_ZEL_Float:
        return FormatFloat(value.Float);
    case QORVA_ZEL_Enum:
        return value.String;
    default:
        return value.Bool ? "true" : "false";
    }
}

const char* TypeName(std::int32_t type) noexcept
{
    switch (type) {
    case QORVA_ZEL_Integer:
        return "Integer";
    case QORVA_ZEL_Float:
        return "Float";
    case QORVA_ZEL_Enum:
        return "Enum";
    case QORVA_ZEL_Bool:
        return "Bool";
    default:
        return "?";
    }
}

QORVA_ZEL_Variant ToVariant(const KitValue& value, std::u16string& storage)
{
    QORVA_ZEL_Variant variant{};
    variant.Type = static_cast<QORVA_ZEL_OptionType>(value.Type);
    switch (value.Type) {
    case QORVA_ZEL_Integer:
        variant.Value.IntValue = value.Int;
        break;
    case QORVA_ZEL_Float:
        variant.Value.FloatValue = value.Float;
        break;
    case QORVA_ZEL_Enum:
        storage = FromUtf8(value.String);
        variant.Value.StringValue = reinterpret_cast<const QORVA_ZEL_Char*>(storage.c_str());
        break;
    default:
        variant.Value.BoolValue = value.Bool ? 1 : 0;
        break;
    }
    return variant;
}

KitValue FromVariant(const QORVA_ZEL_Variant& variant)
{
    KitValue value;
    value.Type = variant.Type;
    switch (variant.Type) {
    case QORVA_ZEL_Integer:
        value.Int = variant.Value.IntValue;
        break;
    case QORVA_ZEL_Float:
        value.Float = variant.Value.FloatValue;
        break;
    case QORVA_ZEL_Enum:
        if (variant.Value.StringValue != nullptr) {
            value.String = ToUtf8(ToView(variant.Value.StringValue));
        }
        break;
    default:
        value.Bool = variant.Value.BoolValue != 0;
        break;
    }
    return value;
}

KitValue FromRecord(const OptionRecord& record)
{
    KitValue value;
    value.Type = record.Type;
    switch (record.Type) {
    case QORVA_ZEL_Integer:
        value.Int = record.Value.IntValue;
        break;
    case QORVA_ZEL_Float:
        value.Float = record.Value.FloatValue;
        break;
    case QORVA_ZEL_Enum:
        value.String = ToUtf8(record.StringValue);
        break;
    default:
        value.Bool = record.Value.BoolValue != 0;
        break;
    }
    return value;
}

void StoreInRecord(const KitValue& value, OptionRecord& record)
{
    record.Type = value.Type;
    record.Value = QORVA_ZEL_Value{};
    record.StringValue.clear();
    switch (value.Type) {
    case QORVA_ZEL_Integer:
        record.Value.IntValue = value.Int;
        break;
    case QORVA_ZEL_Float:
        record.Value.FloatValue = value.Float;
        break;
    case QORVA_ZEL_Enum:
        record.StringValue = FromUtf8(value.String);
        break;
    default:
        record.Value.BoolValue = value.Bool ? 1 : 0;
        break;
    }
}

QORVA_ZEL_KIT_Value ToPublic(const KitValue& value, const char* text)
{
    QORVA_ZEL_KIT_Value out{};
    out.Type = static_cast<QORVA_ZEL_OptionType>(value.Type);
    out.IntValue = value.Int;
    out.FloatValue = value.Float;
    out.BoolValue = value.Bool ? 1 : 0;
    out.StringValue = value.Type == QORVA_ZEL_Enum ? text : nullptr;
    return out;
}

} // namespace qorva_zel::kit
