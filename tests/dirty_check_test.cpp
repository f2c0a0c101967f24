// The dirty check against what a load or a save left: values compared by the
// rules of their type, file options matched by name and type with the first
// one counting, the resolution compared too and kept over a release.
#include "support/settings_file_support.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using namespace qorva_zel_test;

const QORVA_ZEL_Char* const kLevels[] = {u"Low", u"Medium", u"High"};

class DirtyAfterLoad : public SettingsFileTest {
protected:
    static QORVA_ZEL_Status Dirty() { return QORVA_ZEL_CheckForDirtyOptions(); }
};

TEST_F(DirtyAfterLoad, CurrentValuesAreComparedByTheRulesOfTheirType)
{
    ASSERT_EQ(Register(IntOption(u"Detail", 2, 0, 10, 0)), QORVA_ZEL_OK);
    ASSERT_EQ(Register(FloatOption(u"Gamma", 0.0f, -1.0f, 1.0f, 0)), QORVA_ZEL_OK);
    ASSERT_EQ(Register(BoolOption(u"VSync", 1)), QORVA_ZEL_OK);
    ASSERT_EQ(Register(EnumOption(u"Shadows", u"High", kLevels, 3)), QORVA_ZEL_OK);

    // -0 for Gamma, and limits that differ from the registered ones, which
    // are never compared. An option that no one registered is kept aside.
    WriteSettingsBody(u"<RESOLUTION Width=\"800\" Height=\"600\" RefreshRate=\"60\"/>"
                      u"<OPTION Name=\"Detail\" Type=\"Integer\" Value=\"2\"><RANGE MinValue=\"100\" "
                      u"MaxValue=\"200\" NumSteps=\"7\"/></OPTION>"
                      u"<OPTION Name=\"Gamma\" Type=\"Float\" Value=\"-0\"><RANGE MinValue=\"5\" MaxValue=\"6\" "
                      u"NumSteps=\"3\"/></OPTION>"
                      u"<OPTION Name=\"VSync\" Type=\"Bool\" Value=\"true\"/>"
                      u"<OPTION Name=\"Shadows\" Type=\"Enum\" Value=\"High\"/>"
                      u"<OPTION Name=\"Orphan\" Type=\"Integer\" Value=\"1\"/>");
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    EXPECT_EQ(Dirty(), QORVA_ZEL_OK);

    // Each change is dirty; setting it back is clean.
    ASSERT_EQ(SetInt(u"Detail", 3), QORVA_ZEL_OK);
    EXPECT_EQ(Dirty(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    ASSERT_EQ(SetInt(u"Detail", 2), QORVA_ZEL_OK);
    EXPECT_EQ(Dirty(), QORVA_ZEL_OK);

    ASSERT_EQ(SetFloat(u"Gamma", 0.5f), QORVA_ZEL_OK);
    EXPECT_EQ(Dirty(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    ASSERT_EQ(SetFloat(u"Gamma", 0.0f), QORVA_ZEL_OK); // equals the saved -0
    EXPECT_EQ(Dirty(), QORVA_ZEL_OK);

    // Bool bytes are compared as bytes: 2 is not 1.
    ASSERT_EQ(SetBool(u"VSync", 2), QORVA_ZEL_OK);
    EXPECT_EQ(Dirty(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    ASSERT_EQ(SetBool(u"VSync", 1), QORVA_ZEL_OK);
    EXPECT_EQ(Dirty(), QORVA_ZEL_OK);

    // The resolution counts even when every option is clean.
    const QORVA_ZEL_Resolution other = Mode(1024, 768, 60.0f);
    ASSERT_EQ(QORVA_ZEL_SetResolution(&other), QORVA_ZEL_OK);
    EXPECT_EQ(Dirty(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    const QORVA_ZEL_Resolution loaded = Mode(800, 600, 60.0f);
    ASSERT_EQ(QORVA_ZEL_SetResolution(&loaded), QORVA_ZEL_OK);
    EXPECT_EQ(Dirty(), QORVA_ZEL_OK);

    // Enum strings are compared exactly: the file's "high" is refused as a
    // value, stays the saved one, and differs from the current "High".
    WriteSettingsBody(u"<RESOLUTION Width=\"800\" Height=\"600\" RefreshRate=\"60\"/>"
                      u"<OPTION Name=\"Detail\" Type=\"Integer\" Value=\"2\"/>"
                      u"<OPTION Name=\"Gamma\" Type=\"Float\" Value=\"0\"/>"
                      u"<OPTION Name=\"VSync\" Type=\"Bool\" Value=\"1\"/>"
                      u"<OPTION Name=\"Shadows\" Type=\"Enum\" Value=\"high\"/>");
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    EXPECT_EQ(GetEnum(u"Shadows"), QzString(u"High"));
    EXPECT_EQ(Dirty(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
}

TEST_F(DirtyAfterLoad, FileOptionsAreMatchedByNameAndTypeAndTheFirstOneCounts)
{
    // Two options share a name; the file holds both, in the other order,
    // among names that sort around theirs.
    ASSERT_EQ(Register(IntOption(u"Quality", 3, 0, 10, 0)), QORVA_ZEL_OK);
    ASSERT_EQ(Register(FloatOption(u"Quality", 0.5f, 0.0f, 1.0f, 0)), QORVA_ZEL_OK);
    WriteSettingsBody(u"<OPTION Name=\"Quality\" Type=\"Float\" Value=\"0.5\"/>"
                      u"<OPTION Name=\"Qualit\" Type=\"Integer\" Value=\"0\"/>"
                      u"<OPTION Name=\"Quality\" Type=\"Integer\" Value=\"3\"/>"
                      u"<OPTION Name=\"Quality2\" Type=\"Integer\" Value=\"0\"/>"
                      u"<OPTION Name=\"\uFFFF\" Type=\"Integer\" Value=\"0\"/>");
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    ASSERT_EQ(SetFloat(u"Quality", 0.75f), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    ASSERT_EQ(SetFloat(u"Quality", 0.5f), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);

    // A file option of the right name but another type does not count.
    ASSERT_EQ(Register(IntOption(u"Detail", 1, 0, 10, 0)), QORVA_ZEL_OK);
    WriteSettingsBody(u"<OPTION Name=\"Quality\" Type=\"Integer\" Value=\"3\"/>"
                      u"<OPTION Name=\"Quality\" Type=\"Float\" Value=\"0.5\"/>"
                      u"<OPTION Name=\"Detail\" Type=\"Float\" Value=\"1\"/>");
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);

    // Of two file options of one name and type, the first is the saved value
    // and the last accepted one the current value.
    WriteSettingsBody(u"<OPTION Name=\"Quality\" Type=\"Integer\" Value=\"3\"/>"
                      u"<OPTION Name=\"Quality\" Type=\"Float\" Value=\"0.5\"/>"
                      u"<OPTION Name=\"Detail\" Type=\"Integer\" Value=\"4\"/>"
                      u"<OPTION Name=\"Detail\" Type=\"Integer\" Value=\"1\"/>");
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    EXPECT_EQ(GetInt(u"Detail"), 1);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    ASSERT_EQ(SetInt(u"Detail", 4), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
}

TEST_F(DirtyAfterLoad, OnlyTheSavedResolutionSurvivesARelease)
{
    ASSERT_EQ(Register(IntOption(u"Detail", 1, 0, 10, 0)), QORVA_ZEL_OK);
    WriteSettingsBody(u"<RESOLUTION Width=\"1024\" Height=\"768\" RefreshRate=\"59.94\"/>"
                      u"<OPTION Name=\"Detail\" Type=\"Integer\" Value=\"1\"/>");
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    Restart();

    // The options are gone; the current mode is 0 x 0 again, the saved one
    // is still the file's.
    QORVA_ZEL_Resolution current{};
    ASSERT_EQ(QORVA_ZEL_GetResolution(&current), QORVA_ZEL_OK);
    EXPECT_EQ(current.Width, 0u);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    const QORVA_ZEL_Resolution saved = Mode(1024, 768, 59.94f);
    ASSERT_EQ(QORVA_ZEL_SetResolution(&saved), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
}

// A NaN value or refresh rate equals a NaN saved copy, so the marker of
// unsaved changes clears after a save and after a reload.
TEST_F(DirtyAfterLoad, ANanThatWasSavedIsNoUnsavedChange)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    ASSERT_EQ(Register(FloatOption(u"Any", 0.0f, 0.0f, 0.0f, -1)), QORVA_ZEL_OK);
    ASSERT_EQ(SetFloat(u"Any", nan), QORVA_ZEL_OK);
    const QORVA_ZEL_Resolution mode = Mode(640, 480, nan);
    ASSERT_EQ(QORVA_ZEL_SetResolution(&mode), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    ASSERT_EQ(SetFloat(u"Any", 1.0f), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
}

} // namespace
