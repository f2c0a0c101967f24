// Fuzz target: any bytes as the settings file of a game with options of every
// type. Checks that
//  - a load answers 0 or -1 (the file exists, so never -2);
//  - a load that fails changes nothing: a save then writes the game's
//    defaults, byte for byte;
//  - every value a load leaves in an option is one the game could set itself;
//  - a save after any load succeeds and leaves nothing to save;
//  - what a save wrote loads back, and saving again gives the same bytes
//    (after one more round when a width or height exceeds 2147483647).
#include "fuzz_support.h"
#include "support/option_builders.h"

#include <cmath>

using namespace qorva_zel_fuzz;
using namespace qorva_zel_test;

namespace {

const QORVA_ZEL_Char* const kQualities[] = {QORVA_ZEL_TEXT("Low"), QORVA_ZEL_TEXT("Medium"), QORVA_ZEL_TEXT("High"),
                                            QORVA_ZEL_TEXT("Ultra & <more>")};
const QORVA_ZEL_Char* const kLanguages[] = {QORVA_ZEL_TEXT("en"), QORVA_ZEL_TEXT("de"), QORVA_ZEL_TEXT("")};

const QORVA_ZEL_Resolution kModes[] = {{1920, 1080, 60.0f}, {2560, 1440, 143.856f}, {1280, 720, 59.94f}};

// The game's names. Every default is a value the option accepts, so every
// value an option holds after a load must be accepted by a set. "Shadows"
// is registered twice with different types; the Bool, registered last, is
// the one a get or a set by that name reaches.
const QORVA_ZEL_Char* const kNames[] = {
    QORVA_ZEL_TEXT("Detail"),  QORVA_ZEL_TEXT("FrameLimit"), QORVA_ZEL_TEXT("Gamma"),
    QORVA_ZEL_TEXT("Scale"),   QORVA_ZEL_TEXT("Quality"),    QORVA_ZEL_TEXT("Language"),
    QORVA_ZEL_TEXT("VSync"),   QORVA_ZEL_TEXT("Shadows"),    QORVA_ZEL_TEXT("Reserved"),
};
const QORVA_ZEL_Char* const kShared = kNames[7];

void RegisterGame()
{
    QORVA_ZEL_OptionDesc reserved{};
    reserved.Name = QORVA_ZEL_TEXT("Reserved");
    reserved.Type = static_cast<QORVA_ZEL_OptionType>(7); // a name without a value
    const QORVA_ZEL_OptionDesc descs[] = {
        IntOption(QORVA_ZEL_TEXT("Detail"), 2, 0, 4, 4),
        IntOption(QORVA_ZEL_TEXT("FrameLimit"), 60, 0, 0, -1),
        IntOption(QORVA_ZEL_TEXT("Shadows"), 1, 0, 3, 0),
        FloatOption(QORVA_ZEL_TEXT("Gamma"), 1.0f, 0.5f, 2.5f, 8),
        FloatOption(QORVA_ZEL_TEXT("Scale"), 1.0f, 0.0f, 0.0f, -1),
        EnumOption(QORVA_ZEL_TEXT("Quality"), kQualities[1], kQualities, 4),
        EnumOption(QORVA_ZEL_TEXT("Language"), kLanguages[0], kLanguages, 3),
        BoolOption(QORVA_ZEL_TEXT("VSync"), 1),
        BoolOption(QORVA_ZEL_TEXT("Shadows"), 0),
        reserved,
    };
    for (const QORVA_ZEL_OptionDesc& desc : descs) {
        QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_RegisterOption(&desc), QORVA_ZEL_OK);
    }
    QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_RegisterResolutions(kModes, 3), QORVA_ZEL_OK);
}

void StartGame()
{
    StartFresh();
    const Application app;
    const QORVA_ZEL_ApplicationInfo info = app.Info();
    QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_InitializeSDK(&info, &kVersion), QORVA_ZEL_OK);
    RegisterGame();
}

// What a save of the game right after start-up writes.
const std::string& DefaultBytes()
{
    static const std::string bytes = [] {
        StartGame();
        QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
        return ReadFile(SettingsPath());
    }();
    return bytes;
}

// Every option holds a value the game itself could set: setting it again is
// accepted. Returns whether some Float value is not a number, which the dirty
// check never finds equal to anything.
bool CheckValuesAreAcceptable()
{
    bool holdsNaN = false;
    for (const QORVA_ZEL_Char* name : kNames) {
        QORVA_ZEL_Variant value{};
        const QORVA_ZEL_Status got = QORVA_ZEL_GetOptionValue(&value, name);
        QZ_FUZZ_CHECK(got == (name == kShared ? QORVA_ZEL_ERROR_AMBIGUOUS_OPTION : QORVA_ZEL_OK));
        if (value.Type == QORVA_ZEL_Float && std::isnan(value.Value.FloatValue)) {
            holdsNaN = true;
        }
        QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_SetOptionValue(&value, name), QORVA_ZEL_OK);
        QORVA_ZEL_ReleaseVariant(&value);
    }
    return holdsNaN;
}

// Saves, reads the file back, and checks that nothing is left to save
// (unless a value is not a number).
std::string SaveAndRead(std::uint32_t discard)
{
    QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_SaveConfigFile(discard), QORVA_ZEL_OK);
    QORVA_ZEL_Resolution mode{};
    QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_GetResolution(&mode), QORVA_ZEL_OK);
    const bool holdsNaN = CheckValuesAreAcceptable() || std::isnan(mode.RefreshRate);
    if (!holdsNaN) {
        QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    }
    return ReadFile(SettingsPath());
}

// The text of UTF-16 bytes around an offset, for a report: ASCII as it is,
// anything else as \u escapes.
std::string Excerpt(const std::string& bytes, std::size_t offset)
{
    std::string text;
    const std::size_t from = offset > 160 ? (offset - 160) & ~std::size_t{1} : 0;
    for (std::size_t i = from; i + 1 < bytes.size() && i < offset + 160; i += 2) {
        const unsigned unit = static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (unit >= 0x20 && unit < 0x7F) {
            text.push_back(static_cast<char>(unit));
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", unit);
            text += escape;
        }
    }
    return text;
}

void CheckSameBytes(const std::string& first, const std::string& second)
{
    if (first == second) {
        return;
    }
    std::size_t at = 0;
    while (at < first.size() && at < second.size() && first[at] == second[at]) {
        ++at;
    }
    std::fprintf(stderr, "the second save differs from the first at byte %zu\nfirst:  ...%s...\nsecond: ...%s...\n", at,
                 Excerpt(first, at).c_str(), Excerpt(second, at).c_str());
    Fail(__FILE__, __LINE__, "saving what was loaded gives the same bytes");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string& defaults = DefaultBytes();
    StartGame();
    WriteFile(SettingsPath(), data, size);

    const QORVA_ZEL_Status loaded = QORVA_ZEL_LoadConfigFile();
    QZ_FUZZ_CHECK(loaded == QORVA_ZEL_OK || loaded == QORVA_ZEL_ERROR_FILE);
    CheckValuesAreAcceptable();

    // Bit 0 of the first byte chooses whether the save keeps the options of
    // the file that the game did not register.
    const std::uint32_t discard = size > 0 ? (data[0] & 1u) : 0u;
    QORVA_ZEL_Resolution mode{};
    QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_GetResolution(&mode), QORVA_ZEL_OK);
    const bool wide = mode.Width > 2147483647u || mode.Height > 2147483647u;
    std::string first = SaveAndRead(discard);
    if (loaded != QORVA_ZEL_OK) {
        QZ_FUZZ_CHECK(first == defaults);
    }

    QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    std::string second = SaveAndRead(discard);
    if (wide) {
        // The file writes widths and heights unsigned but reads them as signed
        // numbers, so one above 2147483647 comes back as 2147483647: the first
        // round may change it, the next must not.
        first = second;
        QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
        second = SaveAndRead(discard);
    }
    CheckSameBytes(first, second);

    QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_OK);
    return 0;
}
