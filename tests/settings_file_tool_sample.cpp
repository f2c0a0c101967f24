// Writes the settings file of a small game, through the library as a game
// would, into the directory named by its argument: the file the qorvazel
// tests work on (GFXSettings.Sample.exe.xml).
#include "qorva_zel.h"
#include "support/option_builders.h"

#include <cstdio>
#include <string>

using namespace qorva_zel_test;

namespace {

int Fail(const char* what, QORVA_ZEL_Status status)
{
    std::fprintf(stderr, "%s: %d\n", what, static_cast<int>(status));
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: settings_file_tool_sample DIRECTORY\n");
        return 2;
    }
    const std::string directory = argv[1];
    const std::basic_string<QORVA_ZEL_Char> configPath(directory.begin(), directory.end()); // ASCII
    const QORVA_ZEL_ApplicationInfo app{QORVA_ZEL_TEXT("Sample Racer"), QORVA_ZEL_TEXT("1.2.0"),
                                        QORVA_ZEL_TEXT("C:\\Games\\Sample & Co"), configPath.c_str(),
                                        QORVA_ZEL_TEXT("Sample.exe"), QORVA_ZEL_TEXT("Sample.exe -windowed")};
    const QORVA_ZEL_Version version{QORVA_ZEL_VERSION_MAJOR, QORVA_ZEL_VERSION_MINOR, QORVA_ZEL_VERSION_BUILD,
                                    QORVA_ZEL_VERSION_REVISION};
    QORVA_ZEL_Status status = QORVA_ZEL_InitializeSDK(&app, &version);
    if (status != QORVA_ZEL_OK) {
        return Fail("InitializeSDK", status);
    }
    const QORVA_ZEL_Char* const filters[] = {QORVA_ZEL_TEXT("Bilinear"), QORVA_ZEL_TEXT("Trilinear"),
                                             QORVA_ZEL_TEXT("Anisotropic")};
    const QORVA_ZEL_OptionDesc options[] = {
        IntOption(QORVA_ZEL_TEXT("ShadowQuality"), 2, 0, 4, 4),
        FloatOption(QORVA_ZEL_TEXT("Gamma"), 1.5f, 0.5f, 2.5f, 4),
        EnumOption(QORVA_ZEL_TEXT("TextureFilter"), filters[2], filters, 3),
        BoolOption(QORVA_ZEL_TEXT("VSync"), 1),
        // One name, two types.
        IntOption(QORVA_ZEL_TEXT("Shadows"), 1, 0, 3, 0),
        BoolOption(QORVA_ZEL_TEXT("Shadows"), 0),
    };
    for (const QORVA_ZEL_OptionDesc& option : options) {
        if ((status = QORVA_ZEL_RegisterOption(&option)) != QORVA_ZEL_OK) {
            return Fail("RegisterOption", status);
        }
    }
    const QORVA_ZEL_Resolution modes[] = {{1280, 720, 60.0f}, {1920, 1080, 59.94f}, {1920, 1080, 60.0f}};
    if ((status = QORVA_ZEL_RegisterResolutions(modes, 3)) != QORVA_ZEL_OK ||
        (status = QORVA_ZEL_SetResolution(&modes[2])) != QORVA_ZEL_OK) {
        return Fail("resolutions", status);
    }
    if ((status = QORVA_ZEL_SaveConfigFile(0)) != QORVA_ZEL_OK) {
        return Fail("SaveConfigFile", status);
    }
    return QORVA_ZEL_ReleaseSDK() == QORVA_ZEL_OK ? 0 : 1;
}
