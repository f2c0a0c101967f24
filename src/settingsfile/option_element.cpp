#include "settingsfile/option_element.h"

#include "settingsfile/escape.h"
#include "settingsfile/format.h"
#include "settingsfile/numbers.h"
#include "settingsfile/text.h"

#include <cstring>
#include <string>

namespace qorva_zel {
namespace {

bool NameIs(const char* name, const char* wanted)
{
    return std::strcmp(name, wanted) == 0;
}

std::optional<std::int32_t> TypeFromWord(const char* word)
{
    if (NameIs(word, format::kTypeInteger)) {
        return QORVA_ZEL_Integer;
    }
    if (NameIs(word, format::kTypeFloat)) {
        return QORVA_ZEL_Float;
    }
    if (NameIs(word, format::kTypeEnum)) {
        return QORVA_ZEL_Enum;
    }
    if (NameIs(word, format::kTypeBool)) {
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

// Sets an attribute to a value that is already in the file's form.
bool AddAttribute(pugi::xml_node& element, const char* name, const std::string& text)
{
    return element.append_attribute(name).set_value(text.c_str());
}

bool AddRange(pugi::xml_node& element, const std::string& min, const std::string& max, std::int32_t steps)
{
    pugi::xml_node range = element.append_child(format::kRange);
    return range && AddAttribute(range, format::kMinValue, min) && AddAttribute(range, format::kMaxValue, max) &&
           AddAttribute(range, format::kNumSteps, FormatInt(steps));
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
        if (NameIs(name, format::kName)) {
            record.Name = FromUtf8(attribute.value());
            hasName = true;
        } else if (NameIs(name, format::kType)) {
            const std::optional<std::int32_t> word = TypeFromWord(attribute.value());
            if (word && word != type) {
                // A value read under another type does not count for this one.
                type = word;
                hasValue = false;
            }
        } else if (NameIs(name, format::kValue) && type) {
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

bool WriteOptionElement(pugi::xml_node element, const OptionRecord& record, bool registered)
{
    if (!element || !AddAttribute(element, format::kName, EscapeAttribute(record.Name)) ||
        !element.append_attribute(format::kRegistered).set_value(registered ? format::kTrue : format::kFalse)) {
        return false;
    }
    switch (record.Type) {
    case QORVA_ZEL_Integer:
        return AddAttribute(element, format::kType, format::kTypeInteger) &&
               AddAttribute(element, format::kValue, FormatInt(record.Value.IntValue)) &&
               AddRange(element, FormatInt(record.MinValue.IntValue), FormatInt(record.MaxValue.IntValue),
                        record.NumSteps);
    case QORVA_ZEL_Float:
        return AddAttribute(element, format::kType, format::kTypeFloat) &&
               AddAttribute(element, format::kValue, FormatFloat(record.Value.FloatValue)) &&
               AddRange(element, FormatFloat(record.MinValue.FloatValue), FormatFloat(record.MaxValue.FloatValue),
                        record.NumSteps);
    case QORVA_ZEL_Enum: {
        if (!AddAttribute(element, format::kType, format::kTypeEnum) ||
            !AddAttribute(element, format::kValue, EscapeAttribute(record.StringValue))) {
            return false;
        }
        for (const std::u16string& allowed : record.Values) {
            pugi::xml_node entry = element.append_child(format::kEnum);
            if (!entry || !AddAttribute(entry, format::kEnumValue, EscapeAttribute(allowed))) {
                return false;
            }
        }
        return true;
    }
    case QORVA_ZEL_Bool:
        return AddAttribute(element, format::kType, format::kTypeBool) &&
               AddAttribute(element, format::kValue,
                            record.Value.BoolValue != 0 ? format::kBoolTrue : format::kBoolFalse);
    default:
        return true;
    }
}

} // namespace qorva_zel
