/* A game written in C11 against the installed header and library: saves
 * its settings in the directory named by its argument, releases the library,
 * initialises it again and reads them back. Exits 0 when every status and
 * value is the expected one. */
#include <qorva_zel.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int failures = 0;

static void expect_status(const char* what, QORVA_ZEL_Status got, QORVA_ZEL_Status wanted)
{
    if (got != wanted) {
        fprintf(stderr, "%s: status %d, expected %d\n", what, (int)got, (int)wanted);
        ++failures;
    }
}

static void expect_true(const char* what, int condition)
{
    if (!condition) {
        fprintf(stderr, "%s: not as expected\n", what);
        ++failures;
    }
}

/* The directory as UTF-16; the test passes an ASCII path. */
static QORVA_ZEL_Char config_path[1024];

static int widen_directory(const char* directory)
{
    size_t i;
    size_t length = strlen(directory);
    if (length >= sizeof config_path / sizeof config_path[0]) {
        return 0;
    }
    for (i = 0; i <= length; ++i) {
        if ((unsigned char)directory[i] >= 0x80) {
            return 0;
        }
        config_path[i] = (QORVA_ZEL_Char)directory[i];
    }
    return 1;
}

static int same_text(const QORVA_ZEL_Char* a, const QORVA_ZEL_Char* b)
{
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

static const QORVA_ZEL_Char* const qualities[] = {u"Low", u"Medium", u"High"};

static void start(void)
{
    QORVA_ZEL_ApplicationInfo app = {u"C Consumer", u"1.0", u"/opt/consumer", config_path,
                                     u"consumer_c", u"consumer_c --windowed"};
    QORVA_ZEL_Version version = {QORVA_ZEL_VERSION_MAJOR, QORVA_ZEL_VERSION_MINOR, QORVA_ZEL_VERSION_BUILD,
                                 QORVA_ZEL_VERSION_REVISION};
    QORVA_ZEL_OptionDesc shadows = {0};
    QORVA_ZEL_OptionDesc textures = {0};
    QORVA_ZEL_Resolution modes[2] = {{1280, 720, 60.0f}, {1920, 1080, 59.94f}};

    expect_status("initialise", QORVA_ZEL_InitializeSDK(&app, &version), QORVA_ZEL_OK);
    expect_status("register resolutions", QORVA_ZEL_RegisterResolutions(modes, 2), QORVA_ZEL_OK);

    shadows.Name = u"ShadowQuality";
    shadows.Type = QORVA_ZEL_Integer;
    shadows.Value.IntValue = 2;
    shadows.Limits.Range.MinValue.IntValue = 0;
    shadows.Limits.Range.MaxValue.IntValue = 4;
    shadows.Limits.Range.NumSteps = 4;
    expect_status("register ShadowQuality", QORVA_ZEL_RegisterOption(&shadows), QORVA_ZEL_OK);

    textures.Name = u"TextureQuality";
    textures.Type = QORVA_ZEL_Enum;
    textures.Value.StringValue = u"Medium";
    textures.Limits.EnumList.Values = qualities;
    textures.Limits.EnumList.NumValues = 3;
    expect_status("register TextureQuality", QORVA_ZEL_RegisterOption(&textures), QORVA_ZEL_OK);
}

int main(int argc, char** argv)
{
    char file[1200];
    QORVA_ZEL_Variant value;
    QORVA_ZEL_Resolution mode = {1920, 1080, 59.94f};
    QORVA_ZEL_Version version = QORVA_ZEL_GetVersion();

    if (argc != 2 || !widen_directory(argv[1])) {
        fprintf(stderr, "usage: consumer_c ASCII-DIRECTORY\n");
        return 2;
    }
    snprintf(file, sizeof file, "%s/GFXSettings.consumer_c.xml", argv[1]);
    remove(file);
    expect_true("version", version.Major == 2u && version.Minor == 3u && version.Build == 18713301u);

    /* First run of the game: no file yet; change two values and save. */
    start();
    expect_status("first load", QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_ERROR_FILE_NOT_FOUND);
    value.Type = QORVA_ZEL_Integer;
    value.Value.IntValue = 7;
    expect_status("set 7", QORVA_ZEL_SetOptionValue(&value, u"ShadowQuality"), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    value.Value.IntValue = 3;
    expect_status("set 3", QORVA_ZEL_SetOptionValue(&value, u"ShadowQuality"), QORVA_ZEL_OK);
    value.Type = QORVA_ZEL_Enum;
    value.Value.StringValue = u"High";
    expect_status("set High", QORVA_ZEL_SetOptionValue(&value, u"TextureQuality"), QORVA_ZEL_OK);
    expect_status("set resolution", QORVA_ZEL_SetResolution(&mode), QORVA_ZEL_OK);
    expect_status("dirty before save", QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    expect_status("save", QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    expect_status("dirty after save", QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    expect_status("release", QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_OK);

    /* Second run: the values come back. */
    start();
    expect_status("second load", QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    expect_status("get ShadowQuality", QORVA_ZEL_GetOptionValue(&value, u"ShadowQuality"), QORVA_ZEL_OK);
    expect_true("ShadowQuality is 3", value.Type == QORVA_ZEL_Integer && value.Value.IntValue == 3);
    expect_status("get TextureQuality", QORVA_ZEL_GetOptionValue(&value, u"TextureQuality"), QORVA_ZEL_OK);
    expect_true("TextureQuality is High", value.Type == QORVA_ZEL_Enum && same_text(value.Value.StringValue, u"High"));
    QORVA_ZEL_ReleaseVariant(&value);
    expect_true("released string", value.Value.StringValue == NULL);
    mode.Width = 0;
    expect_status("get resolution", QORVA_ZEL_GetResolution(&mode), QORVA_ZEL_OK);
    expect_true("resolution", mode.Width == 1920u && mode.Height == 1080u && mode.RefreshRate == 59.94f);
    expect_status("dirty after load", QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    expect_status("release", QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_OK);
    remove(file);

    if (failures != 0) {
        fprintf(stderr, "consumer_c: %d failure(s)\n", failures);
        return 1;
    }
    printf("consumer_c: pkg-config build, save and load through the installed library: all as expected\n");
    return 0;
}
