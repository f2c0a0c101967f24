// Display resolutions, and the dirty check as far as it can be driven
// without the settings file.
#include "support/qorva_zel_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace qorva_zel_test;

using Resolutions = InitializedLibrary;
using DirtyCheck = InitializedLibrary;

QORVA_ZEL_Resolution Current()
{
    QORVA_ZEL_Resolution mode = Mode(12345, 54321, 1.5f);
    EXPECT_EQ(QORVA_ZEL_GetResolution(&mode), QORVA_ZEL_OK);
    return mode;
}

QORVA_ZEL_Status Choose(const QORVA_ZEL_Resolution& mode)
{
    return QORVA_ZEL_SetResolution(&mode);
}

void ExpectMode(const QORVA_ZEL_Resolution& actual, const QORVA_ZEL_Resolution& expected)
{
    EXPECT_EQ(actual.Width, expected.Width);
    EXPECT_EQ(actual.Height, expected.Height);
    EXPECT_EQ(actual.RefreshRate, expected.RefreshRate);
}

TEST_F(Resolutions, WithoutAListAnyModeIsTaken)
{
    ExpectMode(Current(), Mode(0, 0, 0.0f));
    for (const QORVA_ZEL_Resolution& mode :
         {Mode(1920, 1080, 144.0f), Mode(0, 0, 0.0f), Mode(1, 0xFFFFFFFFu, -5.0f), Mode(640, 480, 59.94f)}) {
        EXPECT_EQ(Choose(mode), QORVA_ZEL_OK);
        ExpectMode(Current(), mode);
    }
}

TEST_F(Resolutions, AListAdmitsOnlyItsExactModes)
{
    const QORVA_ZEL_Resolution list[] = {Mode(800, 600, 60.0f), Mode(640, 480, 60.0f), Mode(1920, 1080, 59.94f)};
    ASSERT_EQ(QORVA_ZEL_RegisterResolutions(list, 3), QORVA_ZEL_OK);
    ExpectMode(Current(), Mode(0, 0, 0.0f)); // registering does not choose a mode

    EXPECT_EQ(Choose(Mode(800, 600, 60.0f)), QORVA_ZEL_OK);
    const QORVA_ZEL_Resolution refused[] = {
        Mode(800, 600, 59.94f),
        Mode(720, 576, 60.0f),
        Mode(600, 800, 60.0f), // width and height swapped
        Mode(800, 480, 60.0f),
        Mode(1920, 1080, std::nextafter(59.94f, 60.0f)), // no tolerance on the rate
        Mode(1920, 1080, 60.0f),
        Mode(0, 0, 0.0f),
    };
    for (const QORVA_ZEL_Resolution& mode : refused) {
        EXPECT_EQ(Choose(mode), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED)
            << mode.Width << 'x' << mode.Height << '@' << mode.RefreshRate;
        ExpectMode(Current(), Mode(800, 600, 60.0f));
    }
    EXPECT_EQ(Choose(Mode(1920, 1080, 59.94f)), QORVA_ZEL_OK);
    EXPECT_EQ(Choose(Mode(640, 480, 60.0f)), QORVA_ZEL_OK);
    ExpectMode(Current(), Mode(640, 480, 60.0f));
}

TEST_F(Resolutions, RegisteringReplacesTheListAndKeepsTheCurrentMode)
{
    QORVA_ZEL_Resolution first[] = {Mode(800, 600, 60.0f), Mode(640, 480, 60.0f)};
    ASSERT_EQ(QORVA_ZEL_RegisterResolutions(first, 2), QORVA_ZEL_OK);
    ASSERT_EQ(Choose(Mode(800, 600, 60.0f)), QORVA_ZEL_OK);
    // The library keeps its own copy of the list.
    first[0] = Mode(1, 1, 1.0f);
    first[1] = Mode(2, 2, 2.0f);
    EXPECT_EQ(Choose(Mode(640, 480, 60.0f)), QORVA_ZEL_OK);
    EXPECT_EQ(Choose(Mode(1, 1, 1.0f)), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);

    // A new list replaces the old one; the current mode stays, even unlisted.
    const QORVA_ZEL_Resolution second[] = {Mode(1024, 768, 75.0f), Mode(1024, 768, 75.0f), Mode(1280, 720, 60.0f),
                                           Mode(4000, 3000, 30.0f)};
    ASSERT_EQ(QORVA_ZEL_RegisterResolutions(second, 3), QORVA_ZEL_OK); // the last entry is not counted
    ExpectMode(Current(), Mode(640, 480, 60.0f));
    EXPECT_EQ(Choose(Mode(640, 480, 60.0f)), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    EXPECT_EQ(Choose(Mode(800, 600, 60.0f)), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    EXPECT_EQ(Choose(Mode(4000, 3000, 30.0f)), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    EXPECT_EQ(Choose(Mode(1024, 768, 75.0f)), QORVA_ZEL_OK); // listed twice
    EXPECT_EQ(Choose(Mode(1280, 720, 60.0f)), QORVA_ZEL_OK);

    // A null list is refused whatever the count and leaves the list in force.
    EXPECT_EQ(QORVA_ZEL_RegisterResolutions(nullptr, 0), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(QORVA_ZEL_RegisterResolutions(nullptr, 2), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(Choose(Mode(320, 200, 70.0f)), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    EXPECT_EQ(QORVA_ZEL_GetResolution(nullptr), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(QORVA_ZEL_SetResolution(nullptr), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    ExpectMode(Current(), Mode(1280, 720, 60.0f));

    // An empty list admits every mode again.
    ASSERT_EQ(QORVA_ZEL_RegisterResolutions(second, 0), QORVA_ZEL_OK);
    EXPECT_EQ(Choose(Mode(320, 200, 70.0f)), QORVA_ZEL_OK);
    ExpectMode(Current(), Mode(320, 200, 70.0f));
}

TEST_F(DirtyCheck, FreshLibraryIsCleanAndTheResolutionIsComparedFieldByField)
{
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);

    // The saved mode is 0 x 0 at 0; a difference in any one field is dirty.
    for (const QORVA_ZEL_Resolution& mode : {Mode(800, 600, 60.0f), Mode(1, 0, 0.0f), Mode(0, 1, 0.0f),
                                             Mode(0, 0, 60.0f), Mode(0, 0, 1e-30f)}) {
        ASSERT_EQ(Choose(mode), QORVA_ZEL_OK);
        EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY)
            << mode.Width << 'x' << mode.Height << '@' << mode.RefreshRate;
        EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY) << "the check changed something";
    }
    // Setting the saved mode back is clean again; -0.0 equals 0.0.
    ASSERT_EQ(Choose(Mode(0, 0, 0.0f)), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    ASSERT_EQ(Choose(Mode(0, 0, -0.0f)), QORVA_ZEL_OK);
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

} // namespace
