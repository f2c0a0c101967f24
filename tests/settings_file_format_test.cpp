// The settings file's format: the bytes a save writes, byte for byte, with
// its escapes and number texts, and that a load reads back every value as
// it was saved, whatever the process locale, as a standard XML reader reads
// the strings too; and that a file is the same on every CPU (the committed
// tests/data/every_cpu.xml, saved on x86-64).
#include "support/settings_file_support.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>

using namespace qorva_zel_test;

namespace {

// One line per entry: the TABs that begin it, then the text.
std::u16string Lines(std::initializer_list<std::pair<int, std::u16string>> lines)
{
    std::u16string text;
    for (const auto& [tabs, line] : lines) {
        text.append(static_cast<std::size_t>(tabs), u'\t');
        text += line;
        text += u'\n';
    }
    return text;
}

// A Bool "MotionBlur" kept from a load: the file has it, nothing registers it.
const char16_t kMotionBlurFile[] =
    u"<?xml version=\"1.0\"?><ZEL_SDK><GAMESETTINGS>"
    u"<RESOLUTION Width=\"1920\" Height=\"1080\" RefreshRate=\"60\"/>"
    u"<OPTION Name=\"MotionBlur\" Registered=\"True\" Type=\"Bool\" Value=\"no\"/>"
    u"</GAMESETTINGS></ZEL_SDK>";

} // namespace

TEST_F(SettingsFileTest, ReferenceFileIsWrittenByteForByte)
{
    // The sample racer: three resolutions, four options and one option kept
    // from an earlier load.
    AppStrings app;
    app.DisplayName = u"Sample Racer";
    app.VersionName = u"1.2.0";
    app.InstallPath = u"C:\\Games\\SampleRacer";
    app.ConfigPath = ConfigDir().Path().u16string();
    app.Executable = u"SampleRacer.exe";
    app.ExecCmd = u"SampleRacer.exe -windowed";
    Restart(app);

    const QORVA_ZEL_Resolution modes[] = {Mode(1280, 720, 60), Mode(1920, 1080, 59.94f), Mode(1920, 1080, 60)};
    ASSERT_EQ(QORVA_ZEL_RegisterResolutions(modes, 3), QORVA_ZEL_OK);
    ASSERT_EQ(Register(IntOption(u"ShadowQuality", 2, 0, 4, 4)), QORVA_ZEL_OK);
    ASSERT_EQ(Register(FloatOption(u"Gamma", 1.5f, 0.5f, 2.5f, 4)), QORVA_ZEL_OK);
    const QORVA_ZEL_Char* filters[] = {u"Bilinear", u"Trilinear", u"Anisotropic"};
    ASSERT_EQ(Register(EnumOption(u"TextureFilter", u"Anisotropic", filters, 3)), QORVA_ZEL_OK);
    ASSERT_EQ(Register(BoolOption(u"VSync", 1)), QORVA_ZEL_OK);
    const auto path = ConfigDir().Path() / "GFXSettings.SampleRacer.exe.xml";
    WriteBytes(path, Utf16LeBytes(kMotionBlurFile));
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);

    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);

    const std::u16string expected = Lines({
        {0, u"<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"no\"?>"},
        {0, u"<ZEL_SDK Version=\"2.3.18713301.0\">"},
        {1, u"<APPLICATION>"},
        {2, u"<DISPLAYNAME Value=\"Sample Racer\" />"},
        {2, u"<VERSIONNAME Value=\"1.2.0\" />"},
        {2, u"<INSTALLPATH Value=\"C:\\Games\\SampleRacer\" />"},
        {2, u"<CONFIGPATH Value=\"" + app.ConfigPath + u"\" />"},
        {2, u"<EXECUTABLE Value=\"SampleRacer.exe\" />"},
        {2, u"<EXECCMD Value=\"SampleRacer.exe -windowed\" />"},
        {1, u"</APPLICATION>"},
        {1, u"<GAMESETTINGS>"},
        {2, u"<RESOLUTION Width=\"1920\" Height=\"1080\" RefreshRate=\"60\">"},
        {3, u"<ENUM Width=\"1280\" Height=\"720\" RefreshRate=\"60\" />"},
        {3, u"<ENUM Width=\"1920\" Height=\"1080\" RefreshRate=\"59.94\" />"},
        {3, u"<ENUM Width=\"1920\" Height=\"1080\" RefreshRate=\"60\" />"},
        {2, u"</RESOLUTION>"},
        {2, u"<OPTION Name=\"ShadowQuality\" Registered=\"True\" Type=\"Integer\" Value=\"2\">"},
        {3, u"<RANGE MinValue=\"0\" MaxValue=\"4\" NumSteps=\"4\" />"},
        {2, u"</OPTION>"},
        {2, u"<OPTION Name=\"Gamma\" Registered=\"True\" Type=\"Float\" Value=\"1.5\">"},
        {3, u"<RANGE MinValue=\"0.5\" MaxValue=\"2.5\" NumSteps=\"4\" />"},
        {2, u"</OPTION>"},
        {2, u"<OPTION Name=\"TextureFilter\" Registered=\"True\" Type=\"Enum\" Value=\"Anisotropic\">"},
        {3, u"<ENUM EnumValue=\"Bilinear\" />"},
        {3, u"<ENUM EnumValue=\"Trilinear\" />"},
        {3, u"<ENUM EnumValue=\"Anisotropic\" />"},
        {2, u"</OPTION>"},
        {2, u"<OPTION Name=\"VSync\" Registered=\"True\" Type=\"Bool\" Value=\"true\" />"},
        {2, u"<OPTION Name=\"MotionBlur\" Registered=\"False\" Type=\"Bool\" Value=\"false\" />"},
        {1, u"</GAMESETTINGS>"},
        {0, u"</ZEL_SDK>"},
    });
    const std::string bytes = ReadBytes(path);
    // No byte-order mark: the file starts with "<?".
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x3C\x00\x3F\x00", 4));
    EXPECT_EQ(bytes, Utf16LeBytes(expected));
}

TEST_F(SettingsFileTest, EmptyStateAndSingleLineElements)
{
    // Right after initialisation: only the application and a childless,
    // zero resolution.
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    const std::u16string text = SavedText();
    EXPECT_NE(text.find(u"\t<GAMESETTINGS>\n\t\t<RESOLUTION Width=\"0\" Height=\"0\" RefreshRate=\"0\" />\n"
                        u"\t</GAMESETTINGS>\n</ZEL_SDK>\n"),
              std::u16string::npos);

    // An Enum without allowed strings, every Bool and an unknown type number
    // are one line each; a negative step count is written too.
    ASSERT_EQ(Register(EnumOption(u"Preset", u"Custom", nullptr, 0)), QORVA_ZEL_OK);
    ASSERT_EQ(Register(BoolOption(u"HDR", 0)), QORVA_ZEL_OK);
    QORVA_ZEL_OptionDesc odd = BoolOption(u"Odd", 0);
    odd.Type = static_cast<QORVA_ZEL_OptionType>(7);
    ASSERT_EQ(Register(odd), QORVA_ZEL_OK);
    ASSERT_EQ(Register(IntOption(u"Free", -5, 0, 0, -1)), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    const std::u16string withOptions = SavedText();
    EXPECT_NE(withOptions.find(u"\t\t<OPTION Name=\"Preset\" Registered=\"True\" Type=\"Enum\" Value=\"Custom\" />\n"),
              std::u16string::npos);
    EXPECT_NE(withOptions.find(u"\t\t<OPTION Name=\"HDR\" Registered=\"True\" Type=\"Bool\" Value=\"false\" />\n"),
              std::u16string::npos);
    EXPECT_NE(withOptions.find(u"\t\t<OPTION Name=\"Odd\" Registered=\"True\" />\n"), std::u16string::npos);
    EXPECT_NE(withOptions.find(u"Value=\"-5\">\n\t\t\t<RANGE MinValue=\"0\" MaxValue=\"0\" NumSteps=\"-1\" />\n"),
              std::u16string::npos);
}

TEST_F(SettingsFileTest, AttributeValuesAreEscapedTheFileWay)
{
    // & < > " and controls other than TAB are references; TAB and non-ASCII
    // characters (a surrogate pair among them) stay as they are.
    const std::u16string name = u"A&B<C>\"D\nE\rF\x01G\tH\u00e9\U0001F3AE";
    ASSERT_EQ(Register(BoolOption(name.c_str(), 1)), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_NE(SavedText().find(u"Name=\"A&amp;B&lt;C&gt;&quot;D&#10;E&#13;F&#01;G\tH\u00e9\U0001F3AE\""),
              std::u16string::npos);
}

TEST_F(SettingsFileTest, NumberTexts)
{
    // Short "%g" texts where they read back exactly, more digits where not.
    const std::pair<float, std::u16string> cases[] = {
        {60.0f, u"60"},
        {59.94f, u"59.94"},
        {0.5f, u"0.5"},
        {1e-05f, u"1e-05"},
        {1.0f / 3.0f, u"0.33333334"},
        {1234567.0f, u"1234567"},
        {-0.0f, u"-0"},
        {std::numeric_limits<float>::infinity(), u"inf"},
        {-std::numeric_limits<float>::infinity(), u"-inf"},
        {std::numeric_limits<float>::quiet_NaN(), u"nan"},
    };
    for (const auto& [value, text] : cases) {
        ASSERT_EQ(SetMode(Mode(4294967295u, 0, value)), QORVA_ZEL_OK);
        ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
        EXPECT_NE(SavedText().find(u"<RESOLUTION Width=\"4294967295\" Height=\"0\" RefreshRate=\"" + text + u"\" />"),
                  std::u16string::npos)
            << std::string(text.begin(), text.end());
    }
}

// ---- Values read back as they were saved ---------------------------------------

TEST_F(SettingsFileTest, EveryTypeSurvivesSaveAndLoad)
{
    RegisterEveryType();
    const QORVA_ZEL_Resolution modes[] = {Mode(2560, 1440, 143.856f)};
    ASSERT_EQ(QORVA_ZEL_RegisterResolutions(modes, 1), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SetResolution(&modes[0]), QORVA_ZEL_OK);
    ASSERT_EQ(SetInt(u"Shadows", -1), QORVA_ZEL_OK);
    ASSERT_EQ(SetFloat(u"Gamma", 1.0f / 3.0f), QORVA_ZEL_OK); // a step "0.333333" would miss
    ASSERT_EQ(SetFloat(u"Free", 1.17549435e-38f * 0.5f), QORVA_ZEL_OK); // subnormal
    ASSERT_EQ(SetEnum(u"Quality & \"Mode\"", kAwkwardQualities[2]), QORVA_ZEL_OK);
    ASSERT_EQ(SetBool(u"VSync", 2), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    const std::string firstBytes = ReadBytes(SettingsPath());

    // A new start of the game: defaults first, then the file.
    Restart();
    RegisterEveryType();
    ASSERT_EQ(QORVA_ZEL_RegisterResolutions(modes, 1), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    EXPECT_EQ(GetInt(u"Shadows"), -1);
    EXPECT_EQ(GetFloat(u"Gamma"), 1.0f / 3.0f);
    EXPECT_EQ(GetFloat(u"Free"), 1.17549435e-38f * 0.5f);
    EXPECT_EQ(GetEnum(u"Quality & \"Mode\""), QzString(kAwkwardQualities[2]));
    EXPECT_EQ(GetBool(u"VSync"), 1); // the file holds "true"
    EXPECT_TRUE(SameMode(CurrentMode(), modes[0]));

    // Saving what was loaded gives the same bytes, however often.
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_EQ(ReadBytes(SettingsPath()), firstBytes);
}

TEST_F(SettingsFileTest, RandomFloatsAndStepValuesComeBackBitForBit)
{
    std::mt19937 random(20261208);
    std::uniform_real_distribution<float> bound(-1000.0f, 1000.0f);
    std::uniform_int_distribution<std::uint32_t> bits;
    for (int round = 0; round < 40; ++round) {
        Restart();
        float min = bound(random);
        float max = bound(random);
        if (max < min) {
            std::swap(min, max);
        }
        const int steps = 1 + round % 12;
        const float step = (max - min) / static_cast<float>(steps);
        const float onStep = min + step * static_cast<float>(round % (steps + 1));
        // Any finite bit pattern, in an option without a range check.
        float anyValue = 0.0f;
        do {
            const std::uint32_t pattern = bits(random);
            std::memcpy(&anyValue, &pattern, sizeof anyValue);
        } while (!std::isfinite(anyValue));

        ASSERT_EQ(Register(FloatOption(u"Stepped", min, min, max, steps)), QORVA_ZEL_OK);
        ASSERT_EQ(Register(FloatOption(u"Any", 0.0f, 0.0f, 0.0f, -1)), QORVA_ZEL_OK);
        ASSERT_EQ(SetFloat(u"Stepped", onStep), QORVA_ZEL_OK) << min << " " << max << " " << steps;
        ASSERT_EQ(SetFloat(u"Any", anyValue), QORVA_ZEL_OK);
        ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);

        Restart();
        ASSERT_EQ(Register(FloatOption(u"Stepped", min, min, max, steps)), QORVA_ZEL_OK);
        ASSERT_EQ(Register(FloatOption(u"Any", 0.0f, 0.0f, 0.0f, -1)), QORVA_ZEL_OK);
        ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
        EXPECT_EQ(GetFloat(u"Stepped"), onStep);
        EXPECT_EQ(GetFloat(u"Any"), anyValue);
        EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    }
}

TEST_F(SettingsFileTest, InfinityAndNanReadBackAsThemselves)
{
    ASSERT_EQ(Register(FloatOption(u"Any", 0.0f, 0.0f, 0.0f, -1)), QORVA_ZEL_OK);
    for (float value : {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                        std::numeric_limits<float>::quiet_NaN()}) {
        ASSERT_EQ(SetFloat(u"Any", value), QORVA_ZEL_OK);
        ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
        ASSERT_EQ(SetFloat(u"Any", 1.0f), QORVA_ZEL_OK);
        ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
        const float back = GetFloat(u"Any");
        if (std::isnan(value)) {
            EXPECT_TRUE(std::isnan(back));
        } else {
            EXPECT_EQ(back, value);
        }
    }
}

TEST_F(SettingsFileTest, NumbersIgnoreTheProcessLocale)
{
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    const char* comma = nullptr;
    // The last name is the Windows C run-time's.
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8", "German_Germany.1252"}) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            comma = name;
            break;
        }
    }
    if (comma == nullptr) {
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }
    ASSERT_EQ(Register(FloatOption(u"Rate", 59.94f, 0.0f, 100.0f, 0)), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_NE(SavedText().find(u"Value=\"59.94\""), std::u16string::npos);
    ASSERT_EQ(SetFloat(u"Rate", 1.0f), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    EXPECT_EQ(GetFloat(u"Rate"), 59.94f);
    std::setlocale(LC_ALL, saved.c_str());
}

TEST_F(SettingsFileTest, StandardXmlReaderSeesTheSameStrings)
{
    if (std::system("command -v xmllint >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "xmllint is not installed";
    }
    // Strings without TAB and without controls that XML 1.0 cannot carry.
    const QORVA_ZEL_Char* const allowed[] = {u"x<y & \"z\" > w", u"caf\u00e9 \U0001F3AE"};
    ASSERT_EQ(Register(EnumOption(u"Na&me<1>", allowed[0], allowed, 2)), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);

    // xmllint ends each answer with a line break.
    const auto out = ConfigDir().Path() / "xpath.txt";
    std::string command;
    for (const char* xpath : {"//OPTION/@Name", "//OPTION/@Value", "//OPTION/ENUM[2]/@EnumValue"}) {
        command += "xmllint --xpath 'string(" + std::string(xpath) + ")' '" + SettingsPath().string() + "' >> '" +
                   out.string() + "' && ";
    }
    ASSERT_EQ(std::system((command + "true").c_str()), 0);
    EXPECT_EQ(ReadBytes(out), "Na&me<1>\nx<y & \"z\" > w\ncaf\xC3\xA9 \xF0\x9F\x8E\xAE\n");
}

// ---- The same file on every CPU ------------------------------------------------------
//
// data/every_cpu.xml holds what a save of the state below wrote on x86-64,
// with the marker kConfigDirMark where the test's settings directory was.
// The cross builds (32-bit x86, ARM64, big-endian s390x) save the same state
// and load the same file.

namespace {

const std::u16string kConfigDirMark = u"@CONFIG_DIR@";

// A game whose strings leave ASCII (a surrogate pair among them) and whose
// values need every digit of their texts.
class EveryCpuFileTest : public SettingsFileTest {
protected:
    void SetUp() override
    {
        SettingsFileTest::SetUp();
        AppStrings app = App();
        app.DisplayName = u"Caf\u00e9 Racer \U0001F3CE";
        app.VersionName = u"2.0 \u03b2";
        Restart(app);
        RegisterEveryType();
        ASSERT_EQ(QORVA_ZEL_RegisterResolutions(kModes, 3), QORVA_ZEL_OK);
    }

    static constexpr QORVA_ZEL_Resolution kModes[] = {{1280, 720, 59.94f}, {2560, 1440, 143.856f},
                                                      {4294967295u, 1, 1e-45f}};

    // The file as x86-64 wrote it for this test's settings directory.
    std::string CommittedBytes() const
    {
        const std::string marked = ReadBytes(std::filesystem::path(QORVA_ZEL_TEST_DATA_DIR) / "every_cpu.xml");
        const std::string mark = Utf16LeBytes(kConfigDirMark);
        const std::size_t at = marked.find(mark);
        EXPECT_NE(at, std::string::npos) << "data/every_cpu.xml is missing or has no directory mark";
        if (at == std::string::npos) {
            return marked;
        }
        std::string bytes = marked;
        bytes.replace(at, mark.size(), Utf16LeBytes(App().ConfigPath));
        return bytes;
    }
};

} // namespace

TEST_F(EveryCpuFileTest, SavedStateIsTheCommittedFileByteForByte)
{
    ASSERT_EQ(SetMode(kModes[1]), QORVA_ZEL_OK);
    ASSERT_EQ(SetInt(u"Shadows", -2147483647 - 1), QORVA_ZEL_OK);
    ASSERT_EQ(SetFloat(u"Gamma", 1.0f / 3.0f), QORVA_ZEL_OK);
    ASSERT_EQ(SetFloat(u"Free", -1.17549435e-38f * 0.5f), QORVA_ZEL_OK); // subnormal
    ASSERT_EQ(SetEnum(u"Quality & \"Mode\"", kAwkwardQualities[3]), QORVA_ZEL_OK); // a surrogate pair
    ASSERT_EQ(SetBool(u"VSync", 1), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);

    const std::string saved = ReadBytes(SettingsPath());
    const std::string committed = CommittedBytes();
    EXPECT_EQ(saved.size(), committed.size());
    const auto differ = std::mismatch(saved.begin(), saved.end(), committed.begin(), committed.end());
    EXPECT_TRUE(differ.first == saved.end() && differ.second == committed.end())
        << "first difference at byte " << (differ.first - saved.begin());
}

TEST_F(EveryCpuFileTest, CommittedFileLoadsToTheSameValues)
{
    WriteBytes(SettingsPath(), CommittedBytes());
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);

    EXPECT_TRUE(SameMode(CurrentMode(), kModes[1]));
    EXPECT_EQ(GetInt(u"Shadows"), -2147483647 - 1);
    EXPECT_EQ(GetFloat(u"Gamma"), 1.0f / 3.0f);
    const float free = GetFloat(u"Free");
    EXPECT_EQ(free, -1.17549435e-38f * 0.5f);
    EXPECT_TRUE(std::signbit(free));
    EXPECT_EQ(GetEnum(u"Quality & \"Mode\""), QzString(kAwkwardQualities[3]));
    EXPECT_EQ(GetBool(u"VSync"), 1);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    // Saved again here, it is the same file.
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_TRUE(ReadBytes(SettingsPath()) == CommittedBytes());
}
