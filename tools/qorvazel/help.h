// The tool's help texts.
#pragma once

#include <string_view>

namespace qorvazel {

extern const char kToolHelp[];

// A command's help text, or null for no such command.
const char* HelpOf(std::string_view command);

} // namespace qorvazel
