// Display resolutions: the current mode, and the list of modes that limits it.
#include "support/qorva_zel_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace qorva_zel_test;

using Resolutions = InitializedLibrary;

TEST_F(Resolutions, WithoutAListAnyModeIsTaken)
{
    EXPECT_TRUE(SameMode(CurrentMode(), Mode(0, 0, 0.0f)));
    for (const QORVA_ZEL_Resolution& mode :
         {Mode(1920, 1080, 144.0f), Mode(0, 0, 0.0f), Mode(1, 0xFFFFFFFFu, -5.0f), Mode(640, 480, 59.94f)}) {
        EXPECT_EQ(SetMode(mode), QORVA_ZEL_OK);
        EXPECT_TRUE(SameMode(CurrentMode(), mode));
    }
}

TEST_F(Resolutions, AListAdmitsOnlyItsExactModes)
{
    const QORVA_ZEL_Resolution list[] = {Mode(800, 600, 60.0f), Mode(640, 480, 60.0f), Mode(1920, 1080, 59.94f)};
    ASSERT_EQ(QORVA_ZEL_RegisterResolutions(list, 3), QORVA_ZEL_OK);
    EXPECT_TRUE(SameMode(CurrentMode(), Mode(0, 0, 0.0f))); // registering does not choose a mode

    EXPECT_EQ(SetMode(Mode(800, 600, 60.0f)), QORVA_ZEL_OK);
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
        EXPECT_EQ(SetMode(mode), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED)
            << mode.Width << 'x' << mode.Height << '@' << mode.RefreshRate;
        EXPECT_TRUE(SameMode(CurrentMode(), Mode(800, 600, 60.0f)));
    }
    EXPECT_EQ(SetMode(Mode(1920, 1080, 59.94f)), QORVA_ZEL_OK);
    EXPECT_EQ(SetMode(Mode(640, 480, 60.0f)), QORVA_ZEL_OK);
    EXPECT_TRUE(SameMode(CurrentMode(), Mode(640, 480, 60.0f)));
}

TEST_F(Resolutions, RegisteringReplacesTheListAndKeepsTheCurrentMode)
{
    QORVA_ZEL_Resolution first[] = {Mode(800, 600, 60.0f), Mode(640, 480, 60.0f)};
    ASSERT_EQ(QORVA_ZEL_RegisterResolutions(first, 2), QORVA_ZEL_OK);
    ASSERT_EQ(SetMode(Mode(800, 600, 60.0f)), QORVA_ZEL_OK);
    // The library keeps its own copy of the list.
    first[0] = Mode(1, 1, 1.0f);
    first[1] = Mode(2, 2, 2.0f);
    EXPECT_EQ(SetMode(Mode(640, 480, 60.0f)), QORVA_ZEL_OK);
    EXPECT_EQ(SetMode(Mode(1, 1, 1.0f)), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);

    // A new list replaces the old one; the current mode stays, even unlisted.
    const QORVA_ZEL_Resolution second[] = {Mode(1024, 768, 75.0f), Mode(1024, 768, 75.0f), Mode(1280, 720, 60.0f),
                                           Mode(4000, 3000, 30.0f)};
    ASSERT_EQ(QORVA_ZEL_RegisterResolutions(second, 3), QORVA_ZEL_OK); // the last entry is not counted
    EXPECT_TRUE(SameMode(CurrentMode(), Mode(640, 480, 60.0f)));
    EXPECT_EQ(SetMode(Mode(640, 480, 60.0f)), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    EXPECT_EQ(SetMode(Mode(800, 600, 60.0f)), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    EXPECT_EQ(SetMode(Mode(4000, 3000, 30.0f)), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    EXPECT_EQ(SetMode(Mode(1024, 768, 75.0f)), QORVA_ZEL_OK); // listed twice
    EXPECT_EQ(SetMode(Mode(1280, 720, 60.0f)), QORVA_ZEL_OK);

    // A null list is refused whatever the count and leaves the list in force.
    EXPECT_EQ(QORVA_ZEL_RegisterResolutions(nullptr, 0), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(QORVA_ZEL_RegisterResolutions(nullptr, 2), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(SetMode(Mode(320, 200, 70.0f)), QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED);
    EXPECT_EQ(QORVA_ZEL_GetResolution(nullptr), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(QORVA_ZEL_SetResolution(nullptr), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    EXPECT_TRUE(SameMode(CurrentMode(), Mode(1280, 720, 60.0f)));

    // An empty list admits every mode again.
    ASSERT_EQ(QORVA_ZEL_RegisterResolutions(second, 0), QORVA_ZEL_OK);
    EXPECT_EQ(SetMode(Mode(320, 200, 70.0f)), QORVA_ZEL_OK);
    EXPECT_TRUE(SameMode(CurrentMode(), Mode(320, 200, 70.0f)));
}

} // namespace
