#include "kit/file_options.h"

#include "kit/schema.h"
#include "settingsfile/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace qorva_zel::kit {
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

} // namespace

bool ReadsAsWritten(std::int32_t type, std::string_view text, const KitValue& read)
{
    double number = 0;
    switch (type) {
    case QORVA_ZEL_Integer:
        return WhollyNumber(text, number) == NumberText::Number && number == static_cast<double>(read.Int);
    case QORVA_ZEL_Float: {
        if (WhollyNumber(text, number) != NumberText::Number) {
            return false;
        }
        if (std::isnan(number) || std::isnan(read.Float)) {
            return std::isnan(number) && std::isnan(read.Float);
        }
        if (std::isinf(read.Float) != std::isinf(number)) {
            return false; // beyond the float range
        }
        return !(read.Float == 0.0f && number != 0.0); // too small to be told from 0
    }
    case QORVA_ZEL_Bool: {
        std::string word(Trimmed(text));
        std::transform(word.begin(), word.end(), word.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
        static const char* const kTrue[] = {"true", "yes", "y", "t", "1", "on"};
        static const char* const kFalse[] = {"false", "no", "n", "f", "0", "off"};
        const auto in = [&word](const char* const(&words)[6]) {
            return std::find(std::begin(words), std::end(words), word) != std::end(words);
        };
        return read.Bool ? in(kTrue) : in(kFalse);
    }
    default:
        return true;
    }
}

std::vector<FileOption> ReadFileOptions(const SettingsDocument& document)
{
    std::vector<FileOption> options;
    options.reserve(document.Options.size());
    for (const StoredOption& stored : document.Options) {
        FileOption option;
        option.Name = std::string(stored.Name);
        option.Record = MakeOptionRecord(stored, document, FromUtf8(stored.Name));
        option.Value = FromRecord(option.Record);
        option.Registered = stored.Registered == "True";
        option.Offset = stored.Offset;
        option.Text = std::string(stored.Value);
        option.TypeAsRead = stored.Type;
        option.Misread = !ReadsAsWritten(stored.Type, stored.Value, option.Value);
        options.push_back(std::move(option));
    }
    return options;
}

std::uint32_t FileVersion(const std::vector<FileOption>& options)
{
    for (const FileOption& option : options) {
        if (option.Name == kVersionOptionName && option.Value.Type == QORVA_ZEL_Integer) {
            return option.Value.Int > 0 ? static_cast<std::uint32_t>(option.Value.Int) : 0;
        }
    }
    return 0;
}

} // namespace qorva_zel::kit
