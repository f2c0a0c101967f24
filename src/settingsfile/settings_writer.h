// Writing a plain description of the settings file as the file's text.
#pragma once

#include "qorva_zel.h"
#include "registry/option_record.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qorva_zel {

// The six application strings, in the order the file lists them.
struct ApplicationStrings {
    std::u16string_view DisplayName;
    std::u16string_view VersionName;
    std::u16string_view InstallPath;
    std::u16string_view ConfigPath;
    std::u16string_view Executable;
    std::u16string_view ExecCmd;
};

struct OptionToWrite {
    const OptionRecord* Record = nullptr;
    bool Registered = false;
};

// Everything one file holds. The pointers and views are the caller's and
// only read.
struct SettingsToWrite {
    ApplicationStrings Application;
    QORVA_ZEL_Resolution Resolution{};
    const QORVA_ZEL_Resolution* Listed = nullptr;
    std::size_t ListedCount = 0;
    std::vector<OptionToWrite> Options;
};

// The file's text. Its code units are in the file's byte order (UTF-16
// little-endian, without a byte-order mark), so that FileBytes of it is
// what goes to disk.
std::u16string WriteSettingsText(const SettingsToWrite& settings);
// The same into out, whose memory it reuses (a saver that keeps one buffer
// allocates nothing once it is large enough).
void WriteSettingsText(const SettingsToWrite& settings, std::u16string& out);

inline std::string_view FileBytes(const std::u16string& text) noexcept
{
    return std::string_view(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t));
}

} // namespace qorva_zel
