#include "kit/system.h"

#include <cstdlib>

#include <unistd.h>

namespace qorva_zel::kit {

std::optional<std::uint64_t> PhysicalMemoryMiB()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize) / (1024 * 1024);
}

const char* OperatingSystemName() noexcept
{
#if defined(__APPLE__)
    return "macos";
#elif defined(__linux__)
    return "linux";
#else
    return "other";
#endif
}

std::optional<std::string> LocalSettingsBase()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        std::string base(xdg);
        while (base.size() > 1 && base.back() == '/') {
            base.pop_back();
        }
        return base;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        return std::nullopt;
    }
    std::string base(home);
    while (!base.empty() && base.back() == '/') {
        base.pop_back();
    }
    return base + "/.config";
}

char PathSeparator() noexcept
{
    return '/';
}

} // namespace qorva_zel::kit
