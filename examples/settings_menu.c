/*
 * settings_menu.c - what a game's graphics-settings menu does with Qorva Zel.
 *
 *   settings_menu [CONFIG_DIR]
 *
 * Initialises the library with the settings file in CONFIG_DIR (default: the
 * current directory), registers four options and three display resolutions,
 * loads the settings file, shows the current values, tries good and bad
 * values, moves every setting one step on, saves, and prints the file it
 * wrote. Run it twice: the second run loads what the first one saved.
 *
 * Exits with 0 when every call returned the status the library documents.
 */
#include "qorva_zel.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* ---- UTF-16 strings in C99 -------------------------------------------- */

/* C99 has no u"" literals: strings are widened into this pool, which lives
 * as long as the program. */
static QORVA_ZEL_Char g_pool[16384];
static size_t g_poolUsed;

/* Decodes UTF-8 (ASCII included) into a new UTF-16 string of the pool.
 * Bytes that are not valid UTF-8 become U+FFFD. */
static const QORVA_ZEL_Char* Widen(const char* text)
{
    const unsigned char* s = (const unsigned char*)text;
    size_t need = 2 * strlen(text) + 1; /* never more units than that */
    QORVA_ZEL_Char* out;
    size_t n = 0;

    if (need > sizeof g_pool / sizeof g_pool[0] - g_poolUsed) {
        fprintf(stderr, "settings_menu: string too long: %.40s...\n", text);
        exit(2);
    }
    out = g_pool + g_poolUsed;
    while (*s != 0) {
        unsigned long cp;
        int extra;
        int i;
        if (*s < 0x80) {
            cp = *s;
            extra = 0;
        } else if ((*s & 0xE0) == 0xC0) {
            cp = *s & 0x1F;
            extra = 1;
        } else if ((*s & 0xF0) == 0xE0) {
            cp = *s & 0x0F;
            extra = 2;
        } else if ((*s & 0xF8) == 0xF0) {
            cp = *s & 0x07;
            extra = 3;
        } else {
            cp = 0xFFFD;
            extra = -1;
        }
        ++s;
        for (i = 0; i < extra; ++i, ++s) {
            if ((*s & 0xC0) != 0x80) {
                cp = 0xFFFD;
                break;
            }
            cp = (cp << 6) | (*s & 0x3F);
        }
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            cp = 0xFFFD;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out[n++] = (QORVA_ZEL_Char)(0xD800 + (cp >> 10));
            out[n++] = (QORVA_ZEL_Char)(0xDC00 + (cp & 0x3FF));
        } else {
            out[n++] = (QORVA_ZEL_Char)cp;
        }
    }
    out[n++] = 0;
    g_poolUsed += n;
    return out;
}

/* Writes one code point as UTF-8. */
static void PutCodePoint(unsigned long cp, FILE* to)
{
    if (cp < 0x80) {
        fputc((int)cp, to);
    } else if (cp < 0x800) {
        fputc((int)(0xC0 | (cp >> 6)), to);
        fputc((int)(0x80 | (cp & 0x3F)), to);
    } else if (cp < 0x10000) {
        fputc((int)(0xE0 | (cp >> 12)), to);
        fputc((int)(0x80 | ((cp >> 6) & 0x3F)), to);
        fputc((int)(0x80 | (cp & 0x3F)), to);
    } else {
        fputc((int)(0xF0 | (cp >> 18)), to);
        fputc((int)(0x80 | ((cp >> 12) & 0x3F)), to);
        fputc((int)(0x80 | ((cp >> 6) & 0x3F)), to);
        fputc((int)(0x80 | (cp & 0x3F)), to);
    }
}

/* Decodes count UTF-16 code units and prints them as UTF-8; a lone
 * surrogate becomes U+FFFD. */
static void PrintUnits(const QORVA_ZEL_Char* units, size_t count, FILE* to)
{
    size_t i;
    for (i = 0; i < count; ++i) {
        unsigned long cp = units[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00u);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        PutCodePoint(cp, to);
    }
}

static size_t Length(const QORVA_ZEL_Char* text)
{
    size_t n = 0;
    while (text[n] != 0) {
        ++n;
    }
    return n;
}

static int SameText(const QORVA_ZEL_Char* a, const QORVA_ZEL_Char* b)
{
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

/* ---- Statuses --------------------------------------------------------- */

static const char* StatusName(QORVA_ZEL_Status status)
{
    switch (status) {
    case QORVA_ZEL_OK: return "QORVA_ZEL_OK";
    case QORVA_ZEL_ERROR_FILE: return "QORVA_ZEL_ERROR_FILE";
    case QORVA_ZEL_ERROR_FILE_NOT_FOUND: return "QORVA_ZEL_ERROR_FILE_NOT_FOUND";
    case QORVA_ZEL_ERROR_VERSION_MISMATCH: return "QORVA_ZEL_ERROR_VERSION_MISMATCH";
    case QORVA_ZEL_ERROR_NULL_ARGUMENT: return "QORVA_ZEL_ERROR_NULL_ARGUMENT";
    case QORVA_ZEL_ERROR_OPTION_NOT_FOUND: return "QORVA_ZEL_ERROR_OPTION_NOT_FOUND";
    case QORVA_ZEL_ERROR_AMBIGUOUS_OPTION: return "QORVA_ZEL_ERROR_AMBIGUOUS_OPTION";
    case QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP: return "QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP";
    case QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED: return "QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED";
    case QORVA_ZEL_ERROR_ALREADY_REGISTERED: return "QORVA_ZEL_ERROR_ALREADY_REGISTERED";
    case QORVA_ZEL_ERROR_TYPE_MISMATCH: return "QORVA_ZEL_ERROR_TYPE_MISMATCH";
    case QORVA_ZEL_ERROR_OPTIONS_DIRTY: return "QORVA_ZEL_ERROR_OPTIONS_DIRTY";
    case QORVA_ZEL_ERROR_NOT_INITIALIZED: return "QORVA_ZEL_ERROR_NOT_INITIALIZED";
    case QORVA_ZEL_ERROR_ALREADY_INITIALIZED: return "QORVA_ZEL_ERROR_ALREADY_INITIALIZED";
    default: return "(unknown status)";
    }
}

static int g_unexpected; /* calls whose status was not the documented one */

/* Prints "<what> -> <status> <NAME>" and counts a status other than expected. */
static QORVA_ZEL_Status Report(const char* what, QORVA_ZEL_Status status, QORVA_ZEL_Status expected)
{
    printf("  %-48s -> %4d %s", what, (int)status, StatusName(status));
    if (status != expected) {
        printf("   UNEXPECTED, wanted %d %s", (int)expected, StatusName(expected));
        ++g_unexpected;
    }
    printf("\n");
    return status;
}

/* ---- The game's settings ---------------------------------------------- */

#define SHADOW_MIN 0
#define SHADOW_MAX 4
#define SHADOW_STEPS 4
#define GAMMA_MIN 0.5f
#define GAMMA_MAX 2.5f
#define GAMMA_STEPS 4
#define FILTER_COUNT 3
#define RESOLUTION_COUNT 3

static const QORVA_ZEL_Char* g_shadowQuality;
static const QORVA_ZEL_Char* g_gamma;
static const QORVA_ZEL_Char* g_textureFilter;
static const QORVA_ZEL_Char* g_vsync;
static const QORVA_ZEL_Char* g_filters[FILTER_COUNT];
static const char* const g_filterNames[FILTER_COUNT] = {"Bilinear", "Trilinear", "Anisotropic"};

static const QORVA_ZEL_Resolution g_resolutions[RESOLUTION_COUNT] = {
    {1280, 720, 60.0f},
    {1920, 1080, 59.94f},
    {2560, 1440, 144.0f},
};

/* The current values, as the menu shows them. */
typedef struct Settings {
    int32_t ShadowQuality;
    float Gamma;
    int Filter; /* index into g_filters, -1 when the string is not one of them */
    uint8_t VSync;
    QORVA_ZEL_Resolution Resolution;
} Settings;

static void RegisterSettings(void)
{
    QORVA_ZEL_OptionDesc desc;
    int i;

    g_shadowQuality = Widen("ShadowQuality");
    g_gamma = Widen("Gamma");
    g_textureFilter = Widen("TextureFilter");
    g_vsync = Widen("VSync");
    for (i = 0; i < FILTER_COUNT; ++i) {
        g_filters[i] = Widen(g_filterNames[i]);
    }

    printf("Registering options and resolutions\n");

    memset(&desc, 0, sizeof desc);
    desc.Name = g_shadowQuality;
    desc.Type = QORVA_ZEL_Integer;
    desc.Value.IntValue = 2;
    desc.Limits.Range.MinValue.IntValue = SHADOW_MIN;
    desc.Limits.Range.MaxValue.IntValue = SHADOW_MAX;
    desc.Limits.Range.NumSteps = SHADOW_STEPS;
    Report("register ShadowQuality (Integer 0..4, 4 steps)", QORVA_ZEL_RegisterOption(&desc), QORVA_ZEL_OK);
    /* The same name and type a second time is refused. */
    Report("register ShadowQuality again", QORVA_ZEL_RegisterOption(&desc), QORVA_ZEL_ERROR_ALREADY_REGISTERED);

    memset(&desc, 0, sizeof desc);
    desc.Name = g_gamma;
    desc.Type = QORVA_ZEL_Float;
    desc.Value.FloatValue = 1.0f;
    desc.Limits.Range.MinValue.FloatValue = GAMMA_MIN;
    desc.Limits.Range.MaxValue.FloatValue = GAMMA_MAX;
    desc.Limits.Range.NumSteps = GAMMA_STEPS;
    Report("register Gamma (Float 0.5..2.5, 4 steps)", QORVA_ZEL_RegisterOption(&desc), QORVA_ZEL_OK);

    memset(&desc, 0, sizeof desc);
    desc.Name = g_textureFilter;
    desc.Type = QORVA_ZEL_Enum;
    desc.Value.StringValue = g_filters[1];
    desc.Limits.EnumList.Values = g_filters;
    desc.Limits.EnumList.NumValues = FILTER_COUNT;
    Report("register TextureFilter (Enum of 3)", QORVA_ZEL_RegisterOption(&desc), QORVA_ZEL_OK);

    memset(&desc, 0, sizeof desc);
    desc.Name = g_vsync;
    desc.Type = QORVA_ZEL_Bool;
    desc.Value.BoolValue = 1;
    Report("register VSync (Bool)", QORVA_ZEL_RegisterOption(&desc), QORVA_ZEL_OK);

    Report("register 3 resolutions", QORVA_ZEL_RegisterResolutions(g_resolutions, RESOLUTION_COUNT),
           QORVA_ZEL_OK);
}

static int FindFilter(const QORVA_ZEL_Char* text)
{
    int i;
    for (i = 0; i < FILTER_COUNT; ++i) {
        if (SameText(text, g_filters[i])) {
            return i;
        }
    }
    return -1;
}

static int FindResolution(const QORVA_ZEL_Resolution* mode)
{
    int i;
    for (i = 0; i < RESOLUTION_COUNT; ++i) {
        if (g_resolutions[i].Width == mode->Width && g_resolutions[i].Height == mode->Height &&
            g_resolutions[i].RefreshRate == mode->RefreshRate) {
            return i;
        }
    }
    return -1;
}

/* Reads every setting back from the library and prints it. */
static Settings ShowSettings(const char* title)
{
    Settings now;
    QORVA_ZEL_Variant value;

    memset(&now, 0, sizeof now);
    now.Filter = -1;
    printf("%s\n", title);

    if (Report("get resolution", QORVA_ZEL_GetResolution(&now.Resolution), QORVA_ZEL_OK) == QORVA_ZEL_OK) {
        printf("    Resolution    = %u x %u at %g Hz%s\n", (unsigned)now.Resolution.Width,
               (unsigned)now.Resolution.Height, (double)now.Resolution.RefreshRate,
               now.Resolution.Width == 0 ? " (none chosen yet)" : "");
    }
    if (Report("get ShadowQuality", QORVA_ZEL_GetOptionValue(&value, g_shadowQuality), QORVA_ZEL_OK) ==
        QORVA_ZEL_OK) {
        now.ShadowQuality = value.Value.IntValue;
        printf("    ShadowQuality = %d\n", (int)now.ShadowQuality);
    }
    if (Report("get Gamma", QORVA_ZEL_GetOptionValue(&value, g_gamma), QORVA_ZEL_OK) == QORVA_ZEL_OK) {
        now.Gamma = value.Value.FloatValue;
        printf("    Gamma         = %g\n", (double)now.Gamma);
    }
    if (Report("get TextureFilter", QORVA_ZEL_GetOptionValue(&value, g_textureFilter), QORVA_ZEL_OK) ==
        QORVA_ZEL_OK) {
        /* The string is ours now: read it, then give it back. */
        const QORVA_ZEL_Char* text = value.Value.StringValue;
        now.Filter = FindFilter(text);
        printf("    TextureFilter = ");
        PrintUnits(text, Length(text), stdout);
        printf("\n");
        QORVA_ZEL_ReleaseVariant(&value);
    }
    if (Report("get VSync", QORVA_ZEL_GetOptionValue(&value, g_vsync), QORVA_ZEL_OK) == QORVA_ZEL_OK) {
        now.VSync = value.Value.BoolValue;
        printf("    VSync         = %s\n", now.VSync ? "on" : "off");
    }
    return now;
}

static QORVA_ZEL_Status SetInteger(const QORVA_ZEL_Char* name, int32_t number)
{
    QORVA_ZEL_Variant value;
    value.Type = QORVA_ZEL_Integer;
    value.Value.IntValue = number;
    return QORVA_ZEL_SetOptionValue(&value, name);
}

static QORVA_ZEL_Status SetFloat(const QORVA_ZEL_Char* name, float number)
{
    QORVA_ZEL_Variant value;
    value.Type = QORVA_ZEL_Float;
    value.Value.FloatValue = number;
    return QORVA_ZEL_SetOptionValue(&value, name);
}

static QORVA_ZEL_Status SetEnum(const QORVA_ZEL_Char* name, const QORVA_ZEL_Char* text)
{
    QORVA_ZEL_Variant value;
    value.Type = QORVA_ZEL_Enum;
    value.Value.StringValue = text;
    return QORVA_ZEL_SetOptionValue(&value, name);
}

static QORVA_ZEL_Status SetBool(const QORVA_ZEL_Char* name, uint8_t flag)
{
    QORVA_ZEL_Variant value;
    value.Type = QORVA_ZEL_Bool;
    value.Value.BoolValue = flag;
    return QORVA_ZEL_SetOptionValue(&value, name);
}

/* Values the menu must not accept; each one changes nothing. */
static void TryBadValues(void)
{
    QORVA_ZEL_Resolution odd = {800, 600, 60.0f};
    QORVA_ZEL_Resolution almost = {1920, 1080, 60.0f};

    printf("Values the library refuses\n");
    Report("set ShadowQuality = 7", SetInteger(g_shadowQuality, 7), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    Report("set ShadowQuality = -1", SetInteger(g_shadowQuality, -1), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    Report("set ShadowQuality = 2.0 (a Float)", SetFloat(g_shadowQuality, 2.0f), QORVA_ZEL_ERROR_TYPE_MISMATCH);
    Report("set Gamma = 1.25 (between steps)", SetFloat(g_gamma, 1.25f), QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP);
    Report("set Gamma = 3.0", SetFloat(g_gamma, 3.0f), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    Report("set TextureFilter = \"Nearest\"", SetEnum(g_textureFilter, Widen("Nearest")),
           QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    Report("set TextureFilter = \"trilinear\" (case)", SetEnum(g_textureFilter, Widen("trilinear")),
           QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    Report("set TextureFilter = NULL string", SetEnum(g_textureFilter, NULL), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    Report("set VSync = 1 (an Integer)", SetInteger(g_vsync, 1), QORVA_ZEL_ERROR_TYPE_MISMATCH);
    Report("set MotionBlur = on (not registered)", SetBool(Widen("MotionBlur"), 1),
           QORVA_ZEL_ERROR_OPTION_NOT_FOUND);
    Report("set resolution 800 x 600 at 60 Hz", QORVA_ZEL_SetResolution(&odd), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    Report("set resolution 1920 x 1080 at 60 Hz", QORVA_ZEL_SetResolution(&almost),
           QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
}

/* Moves every setting one step on from what was loaded, wrapping around. */
static void ChangeSettings(const Settings* now)
{
    const float gammaStep = (GAMMA_MAX - GAMMA_MIN) / GAMMA_STEPS;
    int32_t shadow = now->ShadowQuality >= SHADOW_MIN && now->ShadowQuality < SHADOW_MAX
                         ? now->ShadowQuality + 1
                         : SHADOW_MIN;
    int gammaIndex = (int)((now->Gamma - GAMMA_MIN) / gammaStep + 0.5f);
    float gamma = gammaIndex >= 0 && gammaIndex < GAMMA_STEPS ? GAMMA_MIN + (float)(gammaIndex + 1) * gammaStep
                                                              : GAMMA_MIN;
    int filter = (now->Filter + 1) % FILTER_COUNT;
    int mode = (FindResolution(&now->Resolution) + 1) % RESOLUTION_COUNT;
    char what[80];

    printf("Changing every setting one step on\n");
    snprintf(what, sizeof what, "set ShadowQuality = %d", (int)shadow);
    Report(what, SetInteger(g_shadowQuality, shadow), QORVA_ZEL_OK);
    snprintf(what, sizeof what, "set Gamma = %g", (double)gamma);
    Report(what, SetFloat(g_gamma, gamma), QORVA_ZEL_OK);
    snprintf(what, sizeof what, "set TextureFilter = \"%s\"", g_filterNames[filter]);
    Report(what, SetEnum(g_textureFilter, g_filters[filter]), QORVA_ZEL_OK);
    snprintf(what, sizeof what, "set VSync = %s", now->VSync ? "off" : "on");
    Report(what, SetBool(g_vsync, now->VSync ? 0 : 1), QORVA_ZEL_OK);
    snprintf(what, sizeof what, "set resolution %u x %u at %g Hz", (unsigned)g_resolutions[mode].Width,
            (unsigned)g_resolutions[mode].Height, (double)g_resolutions[mode].RefreshRate);
    Report(what, QORVA_ZEL_SetResolution(&g_resolutions[mode]), QORVA_ZEL_OK);
}

/* ---- The settings file ------------------------------------------------ */

/* The library composes ConfigPath "\" "GFXSettings." Executable ".xml" and,
 * outside Windows, turns every backslash into '/'. */
static char* SettingsFilePath(const char* configDir, const char* executable)
{
    size_t size = strlen(configDir) + strlen(executable) + sizeof "\\GFXSettings..xml";
    char* path = (char*)malloc(size);
    if (path == NULL) {
        return NULL;
    }
    sprintf(path, "%s\\GFXSettings.%s.xml", configDir, executable);
#if !defined(_WIN32)
    {
        char* c;
        for (c = path; *c != 0; ++c) {
            if (*c == '\\') {
                *c = '/';
            }
        }
    }
#endif
    return path;
}

/* Prints the settings file, UTF-16 little-endian, as UTF-8 text. Returns 0
 * when there is no file or it is empty. */
static int PrintSettingsFile(const char* path)
{
    FILE* file = fopen(path, "rb");
    QORVA_ZEL_Char* units = NULL;
    unsigned char pair[2];
    size_t count = 0;
    size_t capacity = 0;

    printf("The settings file %s\n", path);
    if (file == NULL) {
        printf("  (cannot be opened)\n");
        return 0;
    }
    while (fread(pair, 1, 2, file) == 2) {
        if (count == capacity) {
            QORVA_ZEL_Char* grown;
            capacity = capacity == 0 ? 1024 : 2 * capacity;
            grown = (QORVA_ZEL_Char*)realloc(units, capacity * sizeof *units);
            if (grown == NULL) {
                free(units);
                fclose(file);
                printf("  (out of memory)\n");
                return 0;
            }
            units = grown;
        }
        units[count++] = (QORVA_ZEL_Char)(pair[0] | (pair[1] << 8));
    }
    fclose(file);

    printf("----------------------------------------------------------------------\n");
    PrintUnits(units, count, stdout);
    if (count > 0 && units[count - 1] != '\n') {
        printf("\n");
    }
    printf("----------------------------------------------------------------------\n");
    printf("  %lu bytes of UTF-16LE\n", (unsigned long)(2 * count));
    free(units);
    return count > 0;
}

/* ---- The menu --------------------------------------------------------- */

int main(int argc, char** argv)
{
    const char* configDir = argc > 1 ? argv[1] : ".";
    const char* executable = "settings_menu";
    QORVA_ZEL_Version version = {QORVA_ZEL_VERSION_MAJOR, QORVA_ZEL_VERSION_MINOR, QORVA_ZEL_VERSION_BUILD,
                                 QORVA_ZEL_VERSION_REVISION};
    QORVA_ZEL_Version libraryVersion = QORVA_ZEL_GetVersion();
    QORVA_ZEL_ApplicationInfo app;
    QORVA_ZEL_Status loaded;
    Settings now;
    char* path;

    printf("Qorva Zel interface %u.%u.%u.%u, settings in \"%s\"\n", (unsigned)libraryVersion.Major,
           (unsigned)libraryVersion.Minor, (unsigned)libraryVersion.Build, (unsigned)libraryVersion.Revision,
           configDir);

    app.DisplayName = Widen("Settings Menu Example");
    app.VersionName = Widen("1.0");
    app.InstallPath = Widen(".");
    app.ConfigPath = Widen(configDir);
    app.Executable = Widen(executable);
    app.ExecCmd = Widen("settings_menu");

    printf("Starting up\n");
    Report("set resolution before initialising", QORVA_ZEL_SetResolution(&g_resolutions[0]),
           QORVA_ZEL_ERROR_NOT_INITIALIZED);
    if (Report("initialise", QORVA_ZEL_InitializeSDK(&app, &version), QORVA_ZEL_OK) != QORVA_ZEL_OK) {
        return 1;
    }
    Report("initialise again", QORVA_ZEL_InitializeSDK(&app, &version), QORVA_ZEL_ERROR_ALREADY_INITIALIZED);

    RegisterSettings();

    printf("Loading the settings file\n");
    loaded = QORVA_ZEL_LoadConfigFile();
    Report(loaded == QORVA_ZEL_ERROR_FILE_NOT_FOUND ? "load settings file (no settings file yet)"
                                                    : "load settings file",
           loaded, loaded == QORVA_ZEL_ERROR_FILE_NOT_FOUND ? QORVA_ZEL_ERROR_FILE_NOT_FOUND : QORVA_ZEL_OK);
    /* Right after a load nothing differs; with no file yet nothing was ever
     * saved, so every registered option counts as unsaved. */
    Report("unsaved changes?", QORVA_ZEL_CheckForDirtyOptions(),
           loaded == QORVA_ZEL_OK ? QORVA_ZEL_OK : QORVA_ZEL_ERROR_OPTIONS_DIRTY);

    now = ShowSettings(loaded == QORVA_ZEL_OK ? "Current settings (from the file)" : "Current settings (defaults)");

    TryBadValues();
    ChangeSettings(&now);
    Report("unsaved changes?", QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);

    ShowSettings("Current settings (changed)");

    printf("Saving\n");
    Report("save settings file", QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    Report("unsaved changes?", QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);

    path = SettingsFilePath(configDir, executable);
    if (path == NULL || !PrintSettingsFile(path)) {
        printf("  no settings file was written\n");
        ++g_unexpected;
    }
    free(path);

    printf("Shutting down\n");
    Report("release", QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_OK);
    Report("unsaved changes? (after release)", QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_NOT_INITIALIZED);

    if (g_unexpected != 0) {
        printf("%d call(s) did not return the documented status\n", g_unexpected);
        return 1;
    }
    printf("Every call returned the documented status\n");
    return 0;
}
