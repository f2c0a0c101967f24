#include "settingsfile/option_element.h"

#include "settingsfile/format.h"
#include "settingsfile/numbers.h"
#include "settingsfile/text.h"


namespace qorva_zel {
namespace {

std::optional<std::int32_t> TypeFromWord(const char* word)
{
    if (format::NameIs(word, format::kTypeInteger)) {
        return QORVA_ZEL_Integer;
    }
    if (format::NameIs(word, format::kTypeFloat)) {
        return QORVA_ZEL_Float;
    }
    if (format::NameIs(word, format::kTypeEnum)) {
        return QORVA_ZEL_Enum;
    }
    if (format::NameIs(word, format::kTypeBool)) {
        return QORVA_ZEL_Bool;
    }
    return std::nullopt;
}

// Reads a Value text as the given type into the record.
void ReadValue(OptionRecord& record, std::int32_t type, const char* text)
{
    switch (type) {
    case QORVA_ZEL_Integer:
        record.Value.IntValue = ReadInt(text);
        break;
    case QORVA_ZEL_Float:
        record.Value.FloatValue = ReadFloat(text);
        break;
    case QORVA_ZEL_Enum:
        record.StringValue = FromUtf8(text);
        break;
    default:
        record.Value.BoolValue = ReadBool(text) ? 1 : 0;
        break;
    }
}

void ReadRange(OptionRecord& record, const pugi::xml_node& element)
{
    const pugi::xml_node range = element.child(format::kRange);
    const pugi::xml_attribute min = range.attribute(format::kMinValue);
    const pugi::xml_attribute max = range.attribute(format::kMaxValue);
    if (record.Type == QORVA_ZEL_Integer) {
        record.MinValue.IntValue = ReadInt(min.value());
        record.MaxValue.IntValue = ReadInt(max.value());
    } else {
        record.MinValue.FloatValue = ReadFloat(min.value());
        record.MaxValue.FloatValue = ReadFloat(max.value());
    }
    record.NumSteps = ReadInt(range.attribute(format::kNumSteps).value());
}

void ReadAllowedStrings(OptionRecord& record, const pugi::xml_node& element)
{
    for (const pugi::xml_node& entry : element.children(format::kEnum)) {
        record.Values.push_back(FromUtf8(entry.attribute(format::kEnumValue).value()));
    }
}

} // namespace

std::optional<OptionRecord> ReadOptionElement(const pugi::xml_node& element)
{
    OptionRecord record;
    bool hasName = false;
    std::optional<std::int32_t> type;
    bool hasValue = false;
    for (const pugi::xml_attribute& attribute : element.attributes()) {
        const char* name = attribute.name();
        if (format::NameIs(name, format::kName)) {
            record.Name = FromUtf8(attribute.value());
            hasName = true;
        } else if (format::NameIs(name, format::kType)) {
            const std::optional<std::int32_t> word = TypeFromWord(attribute.value());
            if (word && word != type) {
                // A value read under another type does not count for this one.
                type = word;
                hasValue = false;
            }
        } else if (format::NameIs(name, format::kValue) && type) {
            ReadValue(record, *type, attribute.value());
            hasValue = true;
        }
    }
    if (!hasName || !type || !hasValue) {
        return std::nullopt;
    }
    record.Type = *type;
    if (record.Type == QORVA_ZEL_Enum) {
        ReadAllowedStrings(record, element);
    } else if (record.Type == QORVA_ZEL_Integer || record.Type == QORVA_ZEL_Float) {
        ReadRange(record, element);
    }
    return record;
}

} // namespace qorva_zel
