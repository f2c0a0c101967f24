// What loading the settings file reports, reads, applies and leaves alone:
// failures, files without settings, the resolution attribute by attribute,
// options matched by name and type, and options registered after a load.
#include "support/settings_file_support.h"

#include <cmath>

using namespace qorva_zel_test;

TEST_F(SettingsFileTest, FailedLoadsChangeNothing)
{
    ASSERT_EQ(Register(IntOption(u"Level", 3, 0, 10, 0)), QORVA_ZEL_OK);
    WriteSettingsBody(u"<RESOLUTION Width=\"800\" Height=\"600\" RefreshRate=\"60\"/>"
                      u"<OPTION Name=\"Level\" Type=\"Integer\" Value=\"5\"/>"
                      u"<OPTION Name=\"Kept\" Type=\"Bool\" Value=\"true\"/>");
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    ASSERT_EQ(SetInt(u"Level", 7), QORVA_ZEL_OK);
    const QORVA_ZEL_Resolution mode = CurrentMode();

    // Missing file: -2. Unclosed element, mismatched end tag, a directory in
    // the file's place: -1. None of them touches values, resolution,
    // snapshot or kept options.
    std::filesystem::remove(SettingsPath());
    EXPECT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_ERROR_FILE_NOT_FOUND);
    for (const std::u16string bad : {u"<ZEL_SDK><GAMESETTINGS>", u"<ZEL_SDK></GAMESETTINGS>"}) {
        WriteSettings(bad);
        EXPECT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_ERROR_FILE);
    }
    std::filesystem::remove(SettingsPath());
    std::filesystem::create_directory(SettingsPath());
    EXPECT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_ERROR_FILE);
    std::filesystem::remove(SettingsPath());

    EXPECT_EQ(GetInt(u"Level"), 7);
    EXPECT_TRUE(SameMode(CurrentMode(), mode));
    ASSERT_EQ(SetInt(u"Level", 5), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK); // snapshot still the file's
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_NE(SavedText().find(u"Name=\"Kept\" Registered=\"False\""), std::u16string::npos);
}

TEST_F(SettingsFileTest, FilesWithoutSettingsLoadAsEmpty)
{
    ASSERT_EQ(Register(IntOption(u"Level", 3, 0, 10, 0)), QORVA_ZEL_OK);
    const QORVA_ZEL_Resolution modes[] = {Mode(640, 480, 60)};
    ASSERT_EQ(QORVA_ZEL_RegisterResolutions(modes, 1), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SetResolution(&modes[0]), QORVA_ZEL_OK);

    const std::string bigEndian("\0<\0Z\0E\0L\0_\0S\0D\0K\0/\0>", 20); // ten units, big-endian
    for (const std::string& bytes :
         {std::string(), Utf16LeBytes(u"<OTHER><GAMESETTINGS/></OTHER>"), Utf16LeBytes(u"<ZEL_SDK/>"),
          bigEndian}) { // UTF-8 files: encodings_test.cpp
        WriteBytes(SettingsPath(), bytes);
        EXPECT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
        EXPECT_EQ(GetInt(u"Level"), 3);
        EXPECT_TRUE(SameMode(CurrentMode(), modes[0]));
        // The option is missing from the (empty) snapshot.
        EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    }

    // A leading byte-order mark does no harm.
    WriteBytes(SettingsPath(), Utf16LeBytes(u"\uFEFF<ZEL_SDK Version=\"9\"><GAMESETTINGS><OPTION Name=\"Level\" "
                                            u"Type=\"Integer\" Value=\"9\"/></GAMESETTINGS></ZEL_SDK>"));
    EXPECT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    EXPECT_EQ(GetInt(u"Level"), 9);
}

TEST_F(SettingsFileTest, ResolutionIsReadAttributeByAttribute)
{
    const QORVA_ZEL_Resolution modes[] = {Mode(640, 480, 60)};
    ASSERT_EQ(QORVA_ZEL_RegisterResolutions(modes, 1), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SetResolution(&modes[0]), QORVA_ZEL_OK);

    // Only a width: height and rate stay, in the current and saved mode.
    WriteSettingsBody(u"<RESOLUTION Width=\"800\"/>");
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    EXPECT_TRUE(SameMode(CurrentMode(), Mode(800, 480, 60)));

    // The last of repeated elements and attributes counts; a mode that is not
    // registered is taken all the same, and then counts as saved.
    WriteSettingsBody(u"<RESOLUTION Width=\"1\" Height=\"2\"/><RESOLUTION Height=\"3\" RefreshRate=\"1e-005\" "
                      u"RefreshRate=\"59.94\"/>");
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    EXPECT_TRUE(SameMode(CurrentMode(), Mode(1, 3, 59.94f)));
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);

    // Number readings: saturation, -1 as all bits, trailing letters, no digits.
    const std::pair<std::u16string, std::uint32_t> widths[] = {
        {u"99999999999", 2147483647u}, {u"-1", 4294967295u}, {u" +1920px", 1920u}, {u"x5", 0u}, {u"0x10", 0u}};
    for (const auto& [text, width] : widths) {
        WriteSettingsBody(u"<RESOLUTION Width=\"" + text + u"\"/>");
        ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
        EXPECT_EQ(CurrentMode().Width, width) << std::string(text.begin(), text.end());
    }
    const std::pair<std::u16string, float> rates[] = {
        {u".5", 0.5f}, {u"5.", 5.0f}, {u"  -2.5e+1Hz", -25.0f}, {u"7e", 7.0f}, {u"1e999", INFINITY}, {u"abc", 0.0f}};
    for (const auto& [text, rate] : rates) {
        WriteSettingsBody(u"<RESOLUTION RefreshRate=\"" + text + u"\"/>");
        ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
        EXPECT_EQ(CurrentMode().RefreshRate, rate) << std::string(text.begin(), text.end());
    }
}

TEST_F(SettingsFileTest, OptionsAreMatchedByNameAndType)
{
    ASSERT_EQ(Register(IntOption(u"Level", 3, 0, 10, 0)), QORVA_ZEL_OK);
    ASSERT_EQ(Register(BoolOption(u"Flag", 0)), QORVA_ZEL_OK);
    WriteSettingsBody(
        // Applied: Registered="False" is not read. Bool words.
        u"<OPTION Name=\"Level\" Registered=\"False\" Type=\"Integer\" Value=\"4\"/>"
        u"<OPTION Name=\"Flag\" Type=\"Bool\" Value=\"Yes\"/>"
        // Same name, other type: kept, written back beside the registered one.
        u"<OPTION Name=\"Level\" Type=\"Float\" Value=\"0.5\"><RANGE MinValue=\"0\"/></OPTION>"
        // Malformed: no name, unknown type word, value before type, no value.
        u"<OPTION Type=\"Bool\" Value=\"true\"/>"
        u"<OPTION Name=\"Odd\" Type=\"integer\" Value=\"1\"/>"
        u"<OPTION Name=\"Early\" Value=\"1\" Type=\"Integer\"/>"
        u"<OPTION Name=\"Bare\" Type=\"Enum\"/>");
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    EXPECT_EQ(GetInt(u"Level"), 4);
    EXPECT_EQ(GetBool(u"Flag"), 1);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);

    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    const std::u16string saved = SavedText();
    EXPECT_NE(saved.find(u"<OPTION Name=\"Level\" Registered=\"False\" Type=\"Float\" Value=\"0.5\">\n\t\t\t<RANGE "
                         u"MinValue=\"0\" MaxValue=\"0\" NumSteps=\"0\" />"),
              std::u16string::npos);
    std::size_t options = 0;
    for (std::size_t at = saved.find(u"<OPTION "); at != std::u16string::npos; at = saved.find(u"<OPTION ", at + 1)) {
        ++options;
    }
    EXPECT_EQ(options, 3u) << "a malformed element was kept";

    // Bit 0 of the argument leaves kept options out of the file, not memory.
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(3), QORVA_ZEL_OK);
    EXPECT_EQ(SavedText().find(u"Registered=\"False\""), std::u16string::npos);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(2), QORVA_ZEL_OK);
    EXPECT_NE(SavedText().find(u"Registered=\"False\""), std::u16string::npos);
}

TEST_F(SettingsFileTest, LateRegistrationDoesNotWriteTheOptionTwice)
{
    ASSERT_EQ(Register(IntOption(u"Early", 1, 0, 10, 0)), QORVA_ZEL_OK);
    WriteSettingsBody(u"<OPTION Name=\"Early\" Type=\"Integer\" Value=\"2\"/>"
                      u"<OPTION Name=\"Late\" Type=\"Integer\" Value=\"5\"/>");
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);

    // Registered after the load: keeps its default; the player then picks 8.
    ASSERT_EQ(Register(IntOption(u"Late", 0, 0, 10, 0)), QORVA_ZEL_OK);
    EXPECT_EQ(GetInt(u"Late"), 0);
    ASSERT_EQ(SetInt(u"Late", 8), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    const std::u16string saved = SavedText();
    EXPECT_EQ(saved.find(u"Name=\"Late\""), saved.rfind(u"Name=\"Late\""));

    // The player's newer choice comes back.
    ASSERT_EQ(SetInt(u"Late", 0), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    EXPECT_EQ(GetInt(u"Late"), 8);
}

// A file of tens of megabytes (a player's notes pasted into it, say) loads,
// as the library writes it and with a comment, and the loads after it, which
// no longer find its memory kept, read every value again.
TEST_F(SettingsFileTest, AHugeFileLoadsAndSoDoTheFilesAfterIt)
{
    RegisterEveryType();
    ASSERT_EQ(SetInt(u"Shadows", 2147483646), QORVA_ZEL_OK);
    ASSERT_EQ(SetEnum(u"Quality & \"Mode\"", kAwkwardQualities[1]), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    const std::string small = ReadBytes(SettingsPath());
    std::u16string huge = FromUtf16LeBytes(small);
    huge.insert(huge.find(u"<GAMESETTINGS>"), u"<NOTE Text=\"" + std::u16string(17 << 20, u'x') + u"\" />");
    for (const std::u16string& text : {huge, u"<!-- pasted -->" + huge}) {
        WriteBytes(SettingsPath(), Utf16LeBytes(text));
        ASSERT_EQ(SetInt(u"Shadows", -1), QORVA_ZEL_OK);
        ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
        EXPECT_EQ(GetInt(u"Shadows"), 2147483646);
        EXPECT_EQ(GetEnum(u"Quality & \"Mode\""), QzString(kAwkwardQualities[1]));

        WriteBytes(SettingsPath(), small);
        ASSERT_EQ(SetInt(u"Shadows", -1), QORVA_ZEL_OK);
        ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
        EXPECT_EQ(GetInt(u"Shadows"), 2147483646);
        EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    }
}
