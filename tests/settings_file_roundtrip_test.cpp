// Saving and loading again gives back exactly what was saved.
#include "support/settings_file_support.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>

using namespace qorva_zel_test;

namespace {

const QORVA_ZEL_Char* const kQualities[] = {u"Low", u"A&B \"quoted\" <x>", u"line\nbreak\r\tTab", u"\U0001F3AE"};

void RegisterEveryType(float gamma, float freeFloat)
{
    const QORVA_ZEL_OptionDesc descs[] = {
        IntOption(u"Shadows", 0, -2147483647 - 1, 2147483647, 2),
        FloatOption(u"Gamma", gamma, 0.0f, 1.0f, 3),
        FloatOption(u"Free", freeFloat, 0.0f, 0.0f, -1),
        EnumOption(u"Quality & \"Mode\"", u"Low", kQualities, 4),
        BoolOption(u"VSync", 0),
    };
    for (const QORVA_ZEL_OptionDesc& desc : descs) {
        ASSERT_EQ(QORVA_ZEL_RegisterOption(&desc), QORVA_ZEL_OK);
    }
}

} // namespace

TEST_F(SettingsFileTest, EveryTypeSurvivesSaveAndLoad)
{
    RegisterEveryType(0.0f, 0.0f);
    const QORVA_ZEL_Resolution modes[] = {Mode(2560, 1440, 143.856f)};
    ASSERT_EQ(QORVA_ZEL_RegisterResolutions(modes, 1), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SetResolution(&modes[0]), QORVA_ZEL_OK);
    ASSERT_EQ(SetInt(u"Shadows", -1), QORVA_ZEL_OK);
    ASSERT_EQ(SetFloat(u"Gamma", 1.0f / 3.0f), QORVA_ZEL_OK); // a step "0.333333" would miss
    ASSERT_EQ(SetFloat(u"Free", 1.17549435e-38f * 0.5f), QORVA_ZEL_OK); // subnormal
    ASSERT_EQ(SetEnum(u"Quality & \"Mode\"", kQualities[2]), QORVA_ZEL_OK);
    ASSERT_EQ(SetBool(u"VSync", 2), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    const std::string firstBytes = ReadBytes(SettingsPath());

    // A new start of the game: defaults first, then the file.
    Restart();
    RegisterEveryType(0.0f, 0.0f);
    ASSERT_EQ(QORVA_ZEL_RegisterResolutions(modes, 1), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    EXPECT_EQ(GetInt(u"Shadows"), -1);
    EXPECT_EQ(GetFloat(u"Gamma"), 1.0f / 3.0f);
    EXPECT_EQ(GetFloat(u"Free"), 1.17549435e-38f * 0.5f);
    EXPECT_EQ(GetEnum(u"Quality & \"Mode\""), QzString(kQualities[2]));
    EXPECT_EQ(GetBool(u"VSync"), 1); // the file holds "true"
    QORVA_ZEL_Resolution mode{};
    ASSERT_EQ(QORVA_ZEL_GetResolution(&mode), QORVA_ZEL_OK);
    EXPECT_EQ(mode.RefreshRate, 143.856f);

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

TEST_F(SettingsFileTest, DirtyCheckFollowsEveryChangeBackAndForth)
{
    RegisterEveryType(0.0f, 0.5f);
    ASSERT_EQ(SetInt(u"Shadows", -1), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);

    // Two options changed, then put back one at a time.
    ASSERT_EQ(SetInt(u"Shadows", -2147483647 - 1), QORVA_ZEL_OK);
    ASSERT_EQ(SetEnum(u"Quality & \"Mode\"", kQualities[3]), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    ASSERT_EQ(SetInt(u"Shadows", -1), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    ASSERT_EQ(SetEnum(u"Quality & \"Mode\"", u"Low"), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    // A refused value changes nothing; the same value set again neither.
    EXPECT_EQ(SetInt(u"Shadows", 1), QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP);
    ASSERT_EQ(SetBool(u"VSync", 0), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);

    // A load puts the file's values back.
    ASSERT_EQ(SetFloat(u"Free", 0.25f), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);

    // An option registered since the save has no saved value until the next.
    ASSERT_EQ(Register(BoolOption(u"Late", 1)), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);

    // Values are compared as numbers, except that a saved NaN equals a NaN.
    ASSERT_EQ(SetFloat(u"Free", std::numeric_limits<float>::quiet_NaN()), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    ASSERT_EQ(SetFloat(u"Free", 0.5f), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
}
