// What both fuzz targets share: a private settings directory for the whole
// process, the application strings that point the library at it, a fresh
// start for every input, and a check that stops the run with a message.
#pragma once

#include "qorva_zel.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#if defined(_WIN32)
#error "the fuzz targets use POSIX temporary directories"
#endif
#include <stdlib.h>
#include <unistd.h>
#include <dirent.h>

namespace qorva_zel_fuzz {

using QzString = std::basic_string<QORVA_ZEL_Char>;

inline constexpr QORVA_ZEL_Version kVersion{QORVA_ZEL_VERSION_MAJOR, QORVA_ZEL_VERSION_MINOR,
                                            QORVA_ZEL_VERSION_BUILD, QORVA_ZEL_VERSION_REVISION};

// A failed check is a finding: it prints where and why and aborts, which
// libFuzzer and the replay program both report as a crash.
[[noreturn]] inline void Fail(const char* file, int line, const char* what)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    std::fflush(stderr);
    std::abort();
}

#define QZ_FUZZ_CHECK(condition)                                                                                     \
    do {                                                                                                             \
        if (!(condition)) {                                                                                          \
            ::qorva_zel_fuzz::Fail(__FILE__, __LINE__, #condition);                                                  \
        }                                                                                                            \
    } while (0)

#define QZ_FUZZ_CHECK_STATUS(call, expected)                                                                         \
    do {                                                                                                             \
        const QORVA_ZEL_Status qzActual = (call);                                                                    \
        const QORVA_ZEL_Status qzExpected = (expected);                                                              \
        if (qzActual != qzExpected) {                                                                                \
            std::fprintf(stderr, "%s returned %d, expected %d\n", #call, static_cast<int>(qzActual),               \
                         static_cast<int>(qzExpected));                                                             \
            ::qorva_zel_fuzz::Fail(__FILE__, __LINE__, #call);                                                       \
        }                                                                                                            \
    } while (0)

// Removes the process's settings directory and what is in it at exit.
inline void RemoveDirectory(const std::string& path)
{
    if (DIR* listing = ::opendir(path.c_str())) {
        while (const dirent* entry = ::readdir(listing)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                ::unlink((path + "/" + name).c_str());
            }
        }
        ::closedir(listing);
    }
    ::rmdir(path.c_str());
}

// The settings directory of this process, made once under $TMPDIR (or /tmp)
// and removed when the process exits.
inline const std::string& SettingsDirectory()
{
    static const std::string directory = [] {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/qorva_zel_fuzz.XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            Fail(__FILE__, __LINE__, "mkdtemp");
        }
        return pattern;
    }();
    static const bool registered = [] {
        std::atexit([] { RemoveDirectory(directory); });
        return true;
    }();
    (void)registered;
    return directory;
}

// ASCII text as the library's characters.
inline QzString Widen(const std::string& ascii)
{
    return QzString(ascii.begin(), ascii.end());
}

// The six application strings; Executable names the settings file.
struct Application {
    QzString DisplayName = QORVA_ZEL_TEXT("Fuzzed Game");
    QzString VersionName = QORVA_ZEL_TEXT("1.0");
    QzString InstallPath = QORVA_ZEL_TEXT("/opt/fuzzed-game");
    QzString ConfigPath = Widen(SettingsDirectory());
    QzString Executable = QORVA_ZEL_TEXT("fuzz");
    QzString ExecCmd = QORVA_ZEL_TEXT("fuzz --windowed");

    QORVA_ZEL_ApplicationInfo Info() const
    {
        return QORVA_ZEL_ApplicationInfo{DisplayName.c_str(), VersionName.c_str(), InstallPath.c_str(),
                                         ConfigPath.c_str(), Executable.c_str(), ExecCmd.c_str()};
    }
};

// Where the library keeps the settings file of Application().
inline std::string SettingsPath()
{
    return SettingsDirectory() + "/GFXSettings.fuzz.xml";
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    QZ_FUZZ_CHECK(out.good());
}

// Every input starts from the same state: the library not initialised, no
// settings file, and a saved resolution of zeros (the saved resolution
// outlives a release, so a save of the fresh state resets it).
inline void StartFresh()
{
    const QORVA_ZEL_Status released = QORVA_ZEL_ReleaseSDK();
    QZ_FUZZ_CHECK(released == QORVA_ZEL_OK || released == QORVA_ZEL_ERROR_NOT_INITIALIZED);
    const Application app;
    const QORVA_ZEL_ApplicationInfo info = app.Info();
    QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_InitializeSDK(&info, &kVersion), QORVA_ZEL_OK);
    QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_OK);
    ::unlink(SettingsPath().c_str());
}

} // namespace qorva_zel_fuzz
