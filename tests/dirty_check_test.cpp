// The dirty check: a fresh library is clean and the resolution counts field
// by field; every set, load and save moves the answer; values are compared
// by the rules of their type against what the last load or save left (file
// options matched by name and type, the first one counting, a value the
// option refuses still the saved one); an option missing from that is
// dirty; the saved resolution is kept over a release.
#include "support/settings_file_support.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using namespace qorva_zel_test;

// ---- Without the settings file ----------------------------------------------------

// These two come first: they need a process in which nothing was saved yet
// (the saved resolution outlives a release).
using DirtyCheck = InitializedLibrary;

TEST_F(DirtyCheck, FreshLibraryIsCleanAndTheResolutionIsComparedFieldByField)
{
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);

    // The saved mode is 0 x 0 at 0; a difference in any one field is dirty.
    for (const QORVA_ZEL_Resolution& mode : {Mode(800, 600, 60.0f), Mode(1, 0, 0.0f), Mode(0, 1, 0.0f),
                                             Mode(0, 0, 60.0f), Mode(0, 0, 1e-30f)}) {
        ASSERT_EQ(SetMode(mode), QORVA_ZEL_OK);
        EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY)
            << mode.Width << 'x' << mode.Height << '@' << mode.RefreshRate;
        EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY) << "the check changed something";
    }
    // Setting the saved mode back is clean again; -0.0 equals 0.0.
    ASSERT_EQ(SetMode(Mode(0, 0, 0.0f)), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    ASSERT_EQ(SetMode(Mode(0, 0, -0.0f)), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);

    // Registering a list of modes does not change the current mode.
    const QORVA_ZEL_Resolution list[] = {Mode(800, 600, 60.0f)};
    ASSERT_EQ(QORVA_ZEL_RegisterResolutions(list, 1), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
}

TEST_F(DirtyCheck, AnOptionMissingFromTheSnapshotIsDirtyUntilRelease)
{
    ASSERT_EQ(Register(BoolOption(u"VSync", 1)), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    ASSERT_EQ(SetBool(u"VSync", 1), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);

    // Options of a type outside the four are dirty too: the snapshot lacks them.
    ASSERT_EQ(QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_NOT_INITIALIZED);
    const AppStrings app;
    const QORVA_ZEL_ApplicationInfo info = app.Info();
    ASSERT_EQ(QORVA_ZEL_InitializeSDK(&info, &kSupportedVersion), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    QORVA_ZEL_OptionDesc custom = BoolOption(u"Custom", 0);
    custom.Type = static_cast<QORVA_ZEL_OptionType>(17);
    ASSERT_EQ(Register(custom), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
}

// ---- After a load or a save ----------------------------------------------------------

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
    ASSERT_EQ(SetMode(Mode(1024, 768, 60.0f)), QORVA_ZEL_OK);
    EXPECT_EQ(Dirty(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    ASSERT_EQ(SetMode(Mode(800, 600, 60.0f)), QORVA_ZEL_OK);
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
    EXPECT_TRUE(SameMode(CurrentMode(), Mode(0, 0, 0.0f)));
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    ASSERT_EQ(SetMode(Mode(1024, 768, 59.94f)), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
}

// A NaN value or refresh rate equals a NaN saved copy, so the marker of
// unsaved changes clears after a save and after a reload.
TEST_F(DirtyAfterLoad, ANanThatWasSavedIsNoUnsavedChange)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    ASSERT_EQ(Register(FloatOption(u"Any", 0.0f, 0.0f, 0.0f, -1)), QORVA_ZEL_OK);
    ASSERT_EQ(SetFloat(u"Any", nan), QORVA_ZEL_OK);
    ASSERT_EQ(SetMode(Mode(640, 480, nan)), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    ASSERT_EQ(SetFloat(u"Any", 1.0f), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
}

TEST_F(SettingsFileTest, DirtyCheckFollowsEveryChangeBackAndForth)
{
    RegisterEveryType(0.5f);
    ASSERT_EQ(SetInt(u"Shadows", -1), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);

    // Two options changed, then put back one at a time.
    ASSERT_EQ(SetInt(u"Shadows", -2147483647 - 1), QORVA_ZEL_OK);
    ASSERT_EQ(SetEnum(u"Quality & \"Mode\"", kAwkwardQualities[3]), QORVA_ZEL_OK);
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

TEST_F(SettingsFileTest, RefusedAndRepeatedValuesAndTheSnapshot)
{
    ASSERT_EQ(Register(IntOption(u"Level", 3, 0, 10, 0)), QORVA_ZEL_OK);
    const QORVA_ZEL_Char* const names[] = {u"Low", u"High"};
    ASSERT_EQ(Register(EnumOption(u"Detail", u"Low", names, 2)), QORVA_ZEL_OK);

    // A value outside the range is not applied but is what the snapshot holds.
    WriteSettingsBody(u"<OPTION Name=\"Level\" Type=\"Integer\" Value=\"50\"/>"
                      u"<OPTION Name=\"Detail\" Type=\"Enum\" Value=\"High\"/>");
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    EXPECT_EQ(GetInt(u"Level"), 3);
    EXPECT_EQ(GetEnum(u"Detail"), QzString(u"High"));
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);

    // Repeated: both applied in order, the snapshot compares with the first.
    WriteSettingsBody(u"<OPTION Name=\"Level\" Type=\"Integer\" Value=\"1\"/>"
                      u"<OPTION Name=\"Detail\" Type=\"Enum\" Value=\"Low\"/>"
                      u"<OPTION Name=\"Level\" Type=\"Integer\" Value=\"2\"/>");
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    EXPECT_EQ(GetInt(u"Level"), 2);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    ASSERT_EQ(SetInt(u"Level", 1), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);

    // A failed save leaves the snapshot as it was.
    ASSERT_EQ(SetInt(u"Level", 6), QORVA_ZEL_OK);
    std::filesystem::remove(SettingsPath());
    std::filesystem::create_directory(SettingsPath());
    EXPECT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_ERROR_FILE);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    ASSERT_EQ(SetInt(u"Level", 1), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
}

} // namespace
