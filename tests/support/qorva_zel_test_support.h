// Helpers shared by the library's tests: the one-line builders of
// option_builders.h, an application record with sensible strings, the
// current mode and its comparison, temporary directories and whole files,
// the figures a test prints, and a fixture that initialises the library for
// every test and releases it afterwards.
#pragma once

#include "qorva_zel.h"
#include "support/option_builders.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

namespace qorva_zel_test {

using QzString = std::basic_string<QORVA_ZEL_Char>;

inline constexpr QORVA_ZEL_Version kSupportedVersion{QORVA_ZEL_VERSION_MAJOR, QORVA_ZEL_VERSION_MINOR,
                                                    QORVA_ZEL_VERSION_BUILD, QORVA_ZEL_VERSION_REVISION};

// ---- Application strings ---------------------------------------------------

// Owns the six strings that a QORVA_ZEL_ApplicationInfo points to.
struct AppStrings {
    QzString DisplayName = u"Test Game";
    QzString VersionName = u"1.0";
    QzString InstallPath = u"/opt/test-game";
    QzString ConfigPath = u"/tmp";
    QzString Executable = u"testgame";
    QzString ExecCmd = u"testgame --fullscreen";

    QORVA_ZEL_ApplicationInfo Info() const
    {
        return QORVA_ZEL_ApplicationInfo{DisplayName.c_str(), VersionName.c_str(), InstallPath.c_str(),
                                         ConfigPath.c_str(), Executable.c_str(), ExecCmd.c_str()};
    }
};

// The allowed strings of the tests' usual Enum option.
inline const QORVA_ZEL_Char* const kLevels[] = {u"Low", u"Medium", u"High"};

// True when the library answers as an uninitialised one.
inline bool LibraryIsUninitialised()
{
    QORVA_ZEL_Resolution mode{};
    return QORVA_ZEL_GetResolution(&mode) == QORVA_ZEL_ERROR_NOT_INITIALIZED;
}

// ---- Resolutions ---------------------------------------------------------------

// Equal field by field (a rate compares as a number: -0 equals 0); a
// mismatch names both modes.
inline ::testing::AssertionResult SameMode(const QORVA_ZEL_Resolution& actual, const QORVA_ZEL_Resolution& expected)
{
    if (actual.Width == expected.Width && actual.Height == expected.Height &&
        actual.RefreshRate == expected.RefreshRate) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << actual.Width << 'x' << actual.Height << '@' << actual.RefreshRate
                                         << " is not " << expected.Width << 'x' << expected.Height << '@'
                                         << expected.RefreshRate;
}

// The current mode; the get must succeed, and must fill every field (the
// mode starts out as one no test uses).
inline QORVA_ZEL_Resolution CurrentMode()
{
    QORVA_ZEL_Resolution mode = Mode(12345, 54321, 1.5f);
    EXPECT_EQ(QORVA_ZEL_GetResolution(&mode), QORVA_ZEL_OK);
    return mode;
}

// ---- Files -------------------------------------------------------------------------

inline std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A fresh, empty directory under the system's temporary directory, removed
// again by the destructor.
class TempDir {
public:
    TempDir()
    {
        namespace fs = std::filesystem;
        std::random_device entropy;
        for (;;) {
            path_ = fs::temp_directory_path() / ("qorva_zel_test_" + std::to_string(entropy()));
            if (fs::create_directory(path_)) {
                break;
            }
        }
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// ---- Figures -------------------------------------------------------------------

// One "FIGURE <name> <value>" line on standard output, flushed at once;
// scripts/test.sh collects these lines from the test run.
inline void PrintFigure(const std::string& name, long long value)
{
    std::printf("FIGURE %s %lld\n", name.c_str(), value);
    std::fflush(stdout);
}

// A figure that several test cases make up between them: each prints its
// part as "FIGURE+ <name> <value>" (CTest runs every test case on its own),
// and scripts/test.sh adds the parts up.
inline void PrintFigurePart(const std::string& name, long long value)
{
    std::printf("FIGURE+ %s %lld\n", name.c_str(), value);
    std::fflush(stdout);
}

// ---- Fixture -----------------------------------------------------------------

// Initialises the library with valid strings and a temporary settings
// directory; TearDown releases it whatever the test left behind.
class InitializedLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        app_.ConfigPath = configDir_.Path().u16string();
        const QORVA_ZEL_ApplicationInfo info = app_.Info();
        ASSERT_EQ(QORVA_ZEL_InitializeSDK(&info, &kSupportedVersion), QORVA_ZEL_OK);
    }

    void TearDown() override
    {
        const QORVA_ZEL_Status status = QORVA_ZEL_ReleaseSDK();
        EXPECT_TRUE(status == QORVA_ZEL_OK || status == QORVA_ZEL_ERROR_NOT_INITIALIZED) << status;
    }

    static QORVA_ZEL_Status Register(const QORVA_ZEL_OptionDesc& desc) { return QORVA_ZEL_RegisterOption(&desc); }

    static QORVA_ZEL_Status Set(const QORVA_ZEL_Char* name, const QORVA_ZEL_Variant& value)
    {
        return QORVA_ZEL_SetOptionValue(&value, name);
    }
    static QORVA_ZEL_Status SetInt(const QORVA_ZEL_Char* name, std::int32_t v) { return Set(name, IntVariant(v)); }
    static QORVA_ZEL_Status SetFloat(const QORVA_ZEL_Char* name, float v) { return Set(name, FloatVariant(v)); }
    static QORVA_ZEL_Status SetEnum(const QORVA_ZEL_Char* name, const QORVA_ZEL_Char* v)
    {
        return Set(name, EnumVariant(v));
    }
    static QORVA_ZEL_Status SetBool(const QORVA_ZEL_Char* name, std::uint8_t v) { return Set(name, BoolVariant(v)); }
    static QORVA_ZEL_Status SetMode(const QORVA_ZEL_Resolution& mode) { return QORVA_ZEL_SetResolution(&mode); }

    // The current value of an option; the get must succeed (0 or -21).
    static QORVA_ZEL_Variant Get(const QORVA_ZEL_Char* name)
    {
        QORVA_ZEL_Variant v{};
        const QORVA_ZEL_Status status = QORVA_ZEL_GetOptionValue(&v, name);
        EXPECT_TRUE(status == QORVA_ZEL_OK || status == QORVA_ZEL_ERROR_AMBIGUOUS_OPTION) << status;
        return v;
    }
    static std::int32_t GetInt(const QORVA_ZEL_Char* name)
    {
        const QORVA_ZEL_Variant v = Get(name);
        EXPECT_EQ(v.Type, QORVA_ZEL_Integer);
        return v.Value.IntValue;
    }
    static float GetFloat(const QORVA_ZEL_Char* name)
    {
        const QORVA_ZEL_Variant v = Get(name);
        EXPECT_EQ(v.Type, QORVA_ZEL_Float);
        return v.Value.FloatValue;
    }
    static std::uint8_t GetBool(const QORVA_ZEL_Char* name)
    {
        const QORVA_ZEL_Variant v = Get(name);
        EXPECT_EQ(v.Type, QORVA_ZEL_Bool);
        return v.Value.BoolValue;
    }
    // Copies the string of an Enum option and gives the library's copy back.
    static QzString GetEnum(const QORVA_ZEL_Char* name)
    {
        QORVA_ZEL_Variant v = Get(name);
        EXPECT_EQ(v.Type, QORVA_ZEL_Enum);
        QzString text = v.Value.StringValue != nullptr ? QzString(v.Value.StringValue) : QzString();
        QORVA_ZEL_ReleaseVariant(&v);
        return text;
    }

    const TempDir& ConfigDir() const { return configDir_; }
    const AppStrings& App() const { return app_; }

private:
    TempDir configDir_;
    AppStrings app_;
};

} // namespace qorva_zel_test
