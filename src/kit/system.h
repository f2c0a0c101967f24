// What the kit asks the operating system: facts about the machine and the
// device-local settings folder. Each platform folder implements it
// (posix/system.cpp, win32/system.cpp).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qorva_zel::kit {

// Physical memory in MiB, when the system tells.
std::optional<std::uint64_t> PhysicalMemoryMiB();

// "windows", "linux", "macos" or "other".
const char* OperatingSystemName() noexcept;

// The platform's base folder for device-local settings, UTF-8, without a
// trailing separator: %LOCALAPPDATA% on Windows; $XDG_CONFIG_HOME (when set
// and absolute) or $HOME/.config elsewhere. Nothing when none is known.
std::optional<std::string> LocalSettingsBase();

// The separator of the platform's paths.
char PathSeparator() noexcept;

} // namespace qorva_zel::kit
