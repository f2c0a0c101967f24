// A game written in C++17 against the installed package: checks that the
// library it runs with is the installed one, then saves its settings in the
// directory named by its argument and reads them back after a release.
// Exits 0 when every status and value is the expected one.
#include <qorva_zel.h>

#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

int failures = 0;

void ExpectStatus(const char* what, QORVA_ZEL_Status got, QORVA_ZEL_Status wanted)
{
    if (got != wanted) {
        std::fprintf(stderr, "%s: status %d, expected %d\n", what, static_cast<int>(got), static_cast<int>(wanted));
        ++failures;
    }
}

void ExpectTrue(const char* what, bool condition)
{
    if (!condition) {
        std::fprintf(stderr, "%s: not as expected\n", what);
        ++failures;
    }
}

using QzString = std::basic_string<QORVA_ZEL_Char>;

const QORVA_ZEL_Char* const kModes[] = {QORVA_ZEL_TEXT("Off"), QORVA_ZEL_TEXT("Fxaa"), QORVA_ZEL_TEXT("Taa")};

void Start(const QzString& configPath)
{
    const QORVA_ZEL_ApplicationInfo app{QORVA_ZEL_TEXT("C++ Consumer"), QORVA_ZEL_TEXT("1.0"),
                                        QORVA_ZEL_TEXT("/opt/consumer"), configPath.c_str(),
                                        QORVA_ZEL_TEXT("consumer_cxx"), QORVA_ZEL_TEXT("consumer_cxx")};
    const QORVA_ZEL_Version version{QORVA_ZEL_VERSION_MAJOR, QORVA_ZEL_VERSION_MINOR, QORVA_ZEL_VERSION_BUILD,
                                    QORVA_ZEL_VERSION_REVISION};
    ExpectStatus("initialise", QORVA_ZEL_InitializeSDK(&app, &version), QORVA_ZEL_OK);

    QORVA_ZEL_OptionDesc gamma{};
    gamma.Name = QORVA_ZEL_TEXT("Gamma");
    gamma.Type = QORVA_ZEL_Float;
    gamma.Value.FloatValue = 1.0f;
    gamma.Limits.Range.MinValue.FloatValue = 0.0f;
    gamma.Limits.Range.MaxValue.FloatValue = 1.0f;
    gamma.Limits.Range.NumSteps = 3;
    ExpectStatus("register Gamma", QORVA_ZEL_RegisterOption(&gamma), QORVA_ZEL_OK);

    QORVA_ZEL_OptionDesc antiAliasing{};
    antiAliasing.Name = QORVA_ZEL_TEXT("AntiAliasing");
    antiAliasing.Type = QORVA_ZEL_Enum;
    antiAliasing.Value.StringValue = kModes[0];
    antiAliasing.Limits.EnumList.Values = kModes;
    antiAliasing.Limits.EnumList.NumValues = 3;
    ExpectStatus("register AntiAliasing", QORVA_ZEL_RegisterOption(&antiAliasing), QORVA_ZEL_OK);

    QORVA_ZEL_OptionDesc vsync{};
    vsync.Name = QORVA_ZEL_TEXT("VSync");
    vsync.Type = QORVA_ZEL_Bool;
    vsync.Value.BoolValue = 0;
    ExpectStatus("register VSync", QORVA_ZEL_RegisterOption(&vsync), QORVA_ZEL_OK);
}

// The file the running library was loaded from.
std::filesystem::path LoadedLibrary()
{
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&QORVA_ZEL_GetVersion), &info) == 0 || info.dli_fname == nullptr) {
        return {};
    }
    return info.dli_fname;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: consumer_cxx DIRECTORY\n");
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path directory = fs::absolute(argv[1]);
    const fs::path file = directory / "GFXSettings.consumer_cxx.xml";
    std::error_code ignored;
    fs::remove(file, ignored);
    const std::string narrow = directory.string();
    const QzString configPath(narrow.begin(), narrow.end()); // the test passes an ASCII path

#ifdef EXPECTED_LIBDIR
    const fs::path library = LoadedLibrary();
    std::error_code error;
    const bool installed = !library.empty() &&
                           fs::equivalent(library.parent_path(), fs::path(EXPECTED_LIBDIR), error);
    ExpectTrue("the library comes from the expected directory", installed);
    std::printf("consumer_cxx: running with %s\n", library.c_str());
#endif

    Start(configPath);
    ExpectStatus("first load", QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_ERROR_FILE_NOT_FOUND);
    QORVA_ZEL_Variant value{};
    value.Type = QORVA_ZEL_Float;
    value.Value.FloatValue = 0.5f;
    ExpectStatus("set Gamma 0.5", QORVA_ZEL_SetOptionValue(&value, QORVA_ZEL_TEXT("Gamma")),
                 QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP);
    value.Value.FloatValue = 1.0f / 3.0f;
    ExpectStatus("set Gamma 1/3", QORVA_ZEL_SetOptionValue(&value, QORVA_ZEL_TEXT("Gamma")), QORVA_ZEL_OK);
    value.Type = QORVA_ZEL_Enum;
    value.Value.StringValue = QORVA_ZEL_TEXT("Taa");
    ExpectStatus("set AntiAliasing", QORVA_ZEL_SetOptionValue(&value, QORVA_ZEL_TEXT("AntiAliasing")), QORVA_ZEL_OK);
    value.Type = QORVA_ZEL_Bool;
    value.Value.BoolValue = 1;
    ExpectStatus("set VSync", QORVA_ZEL_SetOptionValue(&value, QORVA_ZEL_TEXT("VSync")), QORVA_ZEL_OK);
    ExpectStatus("save", QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    ExpectStatus("release", QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_OK);

    Start(configPath);
    ExpectStatus("second load", QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    ExpectStatus("get Gamma", QORVA_ZEL_GetOptionValue(&value, QORVA_ZEL_TEXT("Gamma")), QORVA_ZEL_OK);
    ExpectTrue("Gamma is 1/3 exactly", value.Type == QORVA_ZEL_Float && value.Value.FloatValue == 1.0f / 3.0f);
    ExpectStatus("get AntiAliasing", QORVA_ZEL_GetOptionValue(&value, QORVA_ZEL_TEXT("AntiAliasing")), QORVA_ZEL_OK);
    ExpectTrue("AntiAliasing is Taa",
               value.Type == QORVA_ZEL_Enum && QzString(value.Value.StringValue) == QORVA_ZEL_TEXT("Taa"));
    QORVA_ZEL_ReleaseVariant(&value);
    ExpectTrue("released string", value.Value.StringValue == nullptr);
    ExpectStatus("get VSync", QORVA_ZEL_GetOptionValue(&value, QORVA_ZEL_TEXT("VSync")), QORVA_ZEL_OK);
    ExpectTrue("VSync is on", value.Type == QORVA_ZEL_Bool && value.Value.BoolValue == 1);
    ExpectStatus("dirty after load", QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    ExpectStatus("release", QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_OK);
    fs::remove(file, ignored);

    if (failures != 0) {
        std::fprintf(stderr, "consumer_cxx: %d failure(s)\n", failures);
        return 1;
    }
    std::printf("consumer_cxx: save and load through the library it was built with: all as expected\n");
    return 0;
}
