#include "kit/command_line.h"

#include "kit/display_modes.h"
#include "settingsfile/numbers.h"

#include <cctype>
#include <cmath>
#include <limits>

namespace qorva_zel::kit {
namespace {

std::string Lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

// An optional sign and digits, nothing else.
bool WholeText(std::string_view text)
{
    std::size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    if (i == text.size() || text.size() - i > 10) {
        return false;
    }
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
    }
    return true;
}

// Digits with at most one full stop and an optional exponent.
bool NumberText(std::string_view text)
{
    std::size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    bool digits = false;
    bool stop = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digits = true;
        } else if (c == '.' && !stop) {
            stop = true;
        } else if ((c == 'e' || c == 'E') && digits) {
            return WholeText(text.substr(i + 1));
        } else {
            return false;
        }
    }
    return digits;
}

} // namespace

std::optional<KitValue> ValueFromText(std::int32_t type, std::string_view text)
{
    KitValue value;
    value.Type = type;
    switch (type) {
    case QORVA_ZEL_Integer: {
        if (!WholeText(text)) {
            return std::nullopt;
        }
        const long long number = std::stoll(std::string(text));
        if (number < std::numeric_limits<std::int32_t>::min() || number > std::numeric_limits<std::int32_t>::max()) {
            return std::nullopt;
        }
        value.Int = static_cast<std::int32_t>(number);
        return value;
    }
    case QORVA_ZEL_Float:
        if (!NumberText(text)) {
            return std::nullopt;
        }
        value.Float = ReadFloat(text);
        if (!std::isfinite(value.Float)) {
            return std::nullopt;
        }
        return value;
    case QORVA_ZEL_Bool: {
        const std::string word = Lower(text);
        if (word == "true" || word == "1" || word == "yes" || word == "on") {
            value.Bool = true;
        } else if (!(word == "false" || word == "0" || word == "no" || word == "off")) {
            return std::nullopt;
        }
        return value;
    }
    default:
        value.String = std::string(text);
        return value;
    }
}

QORVA_ZEL_Status ReadCommandLine(const Schema& schema, int argc, const char* const* argv, CommandLineOverrides& out,
                                 std::string& message)
{
    const auto fail = [&message](QORVA_ZEL_Status status, std::string why) {
        message = std::move(why);
        return status;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (argument == "--set") {
            if (i + 1 >= argc) {
                return fail(QORVA_ZEL_KIT_ERROR_INVALID_ARGUMENT, "--set: NAME=VALUE is missing");
            }
            const std::string_view pair(argv[++i]);
            const std::size_t equals = pair.find('=');
            if (equals == std::string_view::npos || equals == 0) {
                return fail(QORVA_ZEL_KIT_ERROR_INVALID_ARGUMENT, "--set " + std::string(pair) + ": not NAME=VALUE");
            }
            const std::string name(pair.substr(0, equals));
            const std::optional<std::size_t> index = schema.IndexOf(name);
            if (!index) {
                return fail(QORVA_ZEL_ERROR_OPTION_NOT_FOUND, "--set " + std::string(pair) + ": no option is named " + name);
            }
            const std::optional<KitValue> value = ValueFromText(schema.Options[*index].Default.Type, pair.substr(equals + 1));
            if (!value) {
                return fail(QORVA_ZEL_KIT_ERROR_INVALID_ARGUMENT, "--set " + std::string(pair) + ": the value is not " +
                                                                      (schema.Options[*index].Default.Type == QORVA_ZEL_Bool
                                                                           ? std::string("true or false")
                                                                           : std::string("a ") +
                                                                                 TypeName(schema.Options[*index].Default.Type)));
            }
            out.Options.push_back({*index, *value, "--set " + std::string(pair)});
            continue;
        }
        const CommandLineFlag* flag = nullptr;
        for (const CommandLineFlag& known : schema.CommandLine) {
            if (known.Flag == argument) {
                flag = &known;
            }
        }
        if (flag == nullptr) {
            continue; // the game's own
        }
        if (flag->What == CommandLineFlag::Target::Option && flag->Value) {
            out.Options.push_back({flag->Option, *flag->Value, std::string(argument)});
            continue;
        }
        if (i + 1 >= argc) {
            return fail(QORVA_ZEL_KIT_ERROR_INVALID_ARGUMENT, std::string(argument) + ": the value is missing");
        }
        const std::string_view text(argv[++i]);
        const std::string shown = std::string(argument) + " " + std::string(text);
        if (flag->What == CommandLineFlag::Target::Option) {
            const std::int32_t type = schema.Options[flag->Option].Default.Type;
            const std::optional<KitValue> value = ValueFromText(type, text);
            if (!value) {
                return fail(QORVA_ZEL_KIT_ERROR_INVALID_ARGUMENT, shown + ": the value does not read as a " + TypeName(type));
            }
            out.Options.push_back({flag->Option, *value, shown});
            continue;
        }
        out.ModeArgument = shown;
        if (flag->What == CommandLineFlag::Target::Refresh) {
            const std::optional<QORVA_ZEL_KIT_DisplayMode> rate = ReadRate(text);
            if (!rate) {
                return fail(QORVA_ZEL_KIT_ERROR_INVALID_ARGUMENT, shown + ": not a rate such as 60, 59.94 or 60000/1001");
            }
            out.Refresh = rate;
            continue;
        }
        const std::optional<KitValue> pixels = ValueFromText(QORVA_ZEL_Integer, text);
        if (!pixels || pixels->Int <= 0) {
            return fail(QORVA_ZEL_KIT_ERROR_INVALID_ARGUMENT, shown + ": not a number of pixels");
        }
        (flag->What == CommandLineFlag::Target::Width ? out.Width : out.Height) = static_cast<std::uint32_t>(pixels->Int);
    }
    return QORVA_ZEL_OK;
}

} // namespace qorva_zel::kit
