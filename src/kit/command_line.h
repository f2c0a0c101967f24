// Overrides read from a command line: "--set NAME=VALUE" and the flags of
// the schema's "commandLine" map. Reads and checks the words only; the
// session validates and applies them.
#pragma once

#include "kit/kit_value.h"
#include "kit/schema.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qorva_zel::kit {

struct CommandLineOverrides {
    // (option index, value, the argument it came from), in command-line order.
    struct OptionOverride {
        std::size_t Index = 0;
        KitValue Value;
        std::string Argument;
    };
    std::vector<OptionOverride> Options;
    std::optional<std::uint32_t> Width;
    std::optional<std::uint32_t> Height;
    std::optional<QORVA_ZEL_KIT_DisplayMode> Refresh; // the rate members only
    std::string ModeArgument;                          // the last mode flag, for messages
};

// A value of the type read from text: decimal numbers (any locale), true/false
// (also 1/0, yes/no, on/off, any case), an Enum's string as it is.
std::optional<KitValue> ValueFromText(std::int32_t type, std::string_view text);

// Reads argv[1..argc-1]. On an error returns its status with message naming
// the argument; unknown arguments are skipped.
QORVA_ZEL_Status ReadCommandLine(const Schema& schema, int argc, const char* const* argv, CommandLineOverrides& out,
                                 std::string& message);

} // namespace qorva_zel::kit
