#include "settingsfile/value_verdicts.h"

#include "settingsfile/format.h"
#include "settingsfile/numbers.h"
#include "text/utf.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <system_error>

namespace qorva_zel {
namespace {

std::string_view Trimmed(std::string_view text)
{
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; };
    while (!text.empty() && space(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && space(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

enum class NumberText { NotNumber, Number, OutOfRange };

// Whether the whole text, white space around it aside, is one decimal
// number (or "inf", "nan"), and its value.
NumberText WhollyNumber(std::string_view text, double& value)
{
    text = Trimmed(text);
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return NumberText::NotNumber;
    }
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (result.ptr != text.data() + text.size()) {
        return NumberText::NotNumber;
    }
    return result.ec == std::errc() ? NumberText::Number : NumberText::OutOfRange;
}

std::string Lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

const char* SkipText(SkipReason reason)
{
    switch (reason) {
    case SkipReason::NoName:
        return "no Name";
    case SkipReason::NoType:
        return "no Type that is Integer, Float, Enum or Bool";
    case SkipReason::NoValue:
        return "no Value after its Type";
    }
    return "unreadable";
}

} // namespace

bool ReadsAsWritten(std::int32_t type, std::string_view text, const QORVA_ZEL_Value& read)
{
    double number = 0;
    switch (type) {
    case QORVA_ZEL_Integer:
        return WhollyNumber(text, number) == NumberText::Number && number == static_cast<double>(read.IntValue);
    case QORVA_ZEL_Float: {
        if (WhollyNumber(text, number) != NumberText::Number) {
            return false;
        }
        const float value = read.FloatValue;
        if (std::isnan(number) || std::isnan(value)) {
            return std::isnan(number) && std::isnan(value);
        }
        if (std::isinf(value) != std::isinf(number)) {
            return false; // beyond the float range
        }
        return !(value == 0.0f && number != 0.0); // too small to be told from 0
    }
    case QORVA_ZEL_Bool: {
        const std::string word = Lower(Trimmed(text));
        static const char* const kTrue[] = {"true", "yes", "y", "t", "1", "on"};
        static const char* const kFalse[] = {"false", "no", "n", "f", "0", "off"};
        const auto in = [&word](const char* const(&words)[6]) {
            return std::find(std::begin(words), std::end(words), word) != std::end(words);
        };
        return read.BoolValue != 0 ? in(kTrue) : in(kFalse);
    }
    default:
        return true;
    }
}

std::string ValueText(const OptionRecord& record)
{
    switch (record.Type) {
    case QORVA_ZEL_Integer:
        return FormatInt(record.Value.IntValue);
    case QORVA_ZEL_Float:
        return FormatFloat(record.Value.FloatValue);
    case QORVA_ZEL_Enum:
        return "\"" + ToUtf8(record.StringValue) + "\"";
    case QORVA_ZEL_Bool:
        return record.Value.BoolValue != 0 ? format::kBoolTrue : format::kBoolFalse;
    default:
        return "";
    }
}

std::string LimitsText(const OptionRecord& record)
{
    const auto range = [&record](const std::string& min, const std::string& max) {
        if (record.NumSteps < 0) {
            return std::string("any value");
        }
        std::string text = min + " to " + max;
        if (record.NumSteps > 0) {
            text += " in " + FormatInt(record.NumSteps) + " steps";
        }
        return text;
    };
    switch (record.Type) {
    case QORVA_ZEL_Integer:
        return range(FormatInt(record.MinValue.IntValue), FormatInt(record.MaxValue.IntValue));
    case QORVA_ZEL_Float:
        return range(FormatFloat(record.MinValue.FloatValue), FormatFloat(record.MaxValue.FloatValue));
    case QORVA_ZEL_Enum: {
        std::string text;
        for (const std::u16string& allowed : record.Values) {
            text += (text.empty() ? "\"" : ", \"") + ToUtf8(allowed) + "\"";
        }
        return text.empty() ? "no allowed strings" : text;
    }
    default:
        return "true or false";
    }
}

std::string RefusalWords(const OptionRecord& record, QORVA_ZEL_Status status, const char*& kind)
{
    switch (status) {
    case QORVA_ZEL_OK:
        return "";
    case QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP:
        kind = "off-step";
        return "off step (" + LimitsText(record) + ")";
    case QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED:
        if (record.Type == QORVA_ZEL_Enum) {
            kind = "not-allowed";
            return "not allowed (allowed: " + LimitsText(record) + ")";
        }
        kind = "out-of-range";
        return "out of range (" + LimitsText(record) + ")";
    default:
        kind = "not-allowed";
        return "not allowed";
    }
}

std::string MisreadMessage(std::string_view name, std::string_view text, const OptionRecord& read)
{
    return std::string(name) + " \"" + std::string(text) + "\" reads as " + ValueText(read);
}

std::string RefusedMessage(std::string_view name, const OptionRecord& record, std::string_view whose,
                           const std::string& words)
{
    return std::string(name) + " " + ValueText(record) + " is refused by " + std::string(whose) + " limits: " + words;
}

std::string MalformedMessage(std::string_view startTag, SkipReason reason)
{
    return std::string(startTag) + " is skipped by the library: " + SkipText(reason);
}

} // namespace qorva_zel
