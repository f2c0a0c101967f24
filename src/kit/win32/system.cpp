#include "kit/system.h"

#include "text/utf.h"

#include <cstdlib>
#include <string>

#include <windows.h>

namespace qorva_zel::kit {

std::optional<std::uint64_t> PhysicalMemoryMiB()
{
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (::GlobalMemoryStatusEx(&status) == 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(status.ullTotalPhys) / (1024 * 1024);
}

const char* OperatingSystemName() noexcept
{
    return "windows";
}

std::optional<std::string> LocalSettingsBase()
{
    // The local (never the roaming) application data of the user.
    const DWORD needed = ::GetEnvironmentVariableW(L"LOCALAPPDATA", nullptr, 0);
    if (needed <= 1) {
        return std::nullopt;
    }
    std::wstring value(needed, L'\0');
    const DWORD got = ::GetEnvironmentVariableW(L"LOCALAPPDATA", value.data(), needed);
    if (got == 0 || got >= needed) {
        return std::nullopt;
    }
    value.resize(got);
    while (!value.empty() && (value.back() == L'\\' || value.back() == L'/')) {
        value.pop_back();
    }
    if (value.empty()) {
        return std::nullopt;
    }
    return ToUtf8(std::u16string(value.begin(), value.end()));
}

char PathSeparator() noexcept
{
    return '\\';
}

} // namespace qorva_zel::kit
