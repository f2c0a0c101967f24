// Initialising and releasing the library, the version check, the order of
// the argument checks and the limit on the settings path.
#include "support/qorva_zel_test_support.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace {

using namespace qorva_zel_test;

QORVA_ZEL_Status Initialize(const AppStrings& app, const QORVA_ZEL_Version& version = kSupportedVersion)
{
    const QORVA_ZEL_ApplicationInfo info = app.Info();
    return QORVA_ZEL_InitializeSDK(&info, &version);
}

void ExpectSupportedVersion(const QORVA_ZEL_Version& v)
{
    EXPECT_EQ(v.Major, 2u);
    EXPECT_EQ(v.Minor, 3u);
    EXPECT_EQ(v.Build, 18713301u);
    EXPECT_EQ(v.Revision, 0u);
}

// Every status-returning function except the lifecycle and the settings file
// ones, called with valid pointers.
void ExpectEveryCallNotInitialised()
{
    const QORVA_ZEL_OptionDesc desc = IntOption(u"Detail", 1, 0, 3, 0);
    const QORVA_ZEL_Resolution mode = Mode(800, 600, 60.0f);
    QORVA_ZEL_Resolution out{};
    QORVA_ZEL_Variant variant = IntVariant(1);
    EXPECT_EQ(QORVA_ZEL_RegisterOption(&desc), QORVA_ZEL_ERROR_NOT_INITIALIZED);
    EXPECT_EQ(QORVA_ZEL_RegisterResolutions(&mode, 1), QORVA_ZEL_ERROR_NOT_INITIALIZED);
    EXPECT_EQ(QORVA_ZEL_GetOptionValue(&variant, u"Detail"), QORVA_ZEL_ERROR_NOT_INITIALIZED);
    EXPECT_EQ(QORVA_ZEL_SetOptionValue(&variant, u"Detail"), QORVA_ZEL_ERROR_NOT_INITIALIZED);
    EXPECT_EQ(QORVA_ZEL_GetResolution(&out), QORVA_ZEL_ERROR_NOT_INITIALIZED);
    EXPECT_EQ(QORVA_ZEL_SetResolution(&mode), QORVA_ZEL_ERROR_NOT_INITIALIZED);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_NOT_INITIALIZED);
    EXPECT_EQ(QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_ERROR_NOT_INITIALIZED);
}

// A null pointer is refused before anything else is looked at.
void ExpectNullArgumentsRefused()
{
    QORVA_ZEL_Variant variant = IntVariant(1);
    const QORVA_ZEL_Variant nullEnum = EnumVariant(nullptr);
    EXPECT_EQ(QORVA_ZEL_RegisterOption(nullptr), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(QORVA_ZEL_RegisterResolutions(nullptr, 0), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(QORVA_ZEL_RegisterResolutions(nullptr, 3), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(QORVA_ZEL_GetOptionValue(nullptr, u"Detail"), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(QORVA_ZEL_GetOptionValue(&variant, nullptr), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(QORVA_ZEL_SetOptionValue(nullptr, u"Detail"), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(QORVA_ZEL_SetOptionValue(&variant, nullptr), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(QORVA_ZEL_SetOptionValue(&nullEnum, u"Detail"), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(QORVA_ZEL_GetResolution(nullptr), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(QORVA_ZEL_SetResolution(nullptr), QORVA_ZEL_ERROR_NULL_ARGUMENT);
}

TEST(Lifecycle, VersionIsReportedBeforeDuringAndAfterInitialisation)
{
    ExpectSupportedVersion(QORVA_ZEL_GetVersion());
    ASSERT_EQ(Initialize(AppStrings{}), QORVA_ZEL_OK);
    ExpectSupportedVersion(QORVA_ZEL_GetVersion());
    ASSERT_EQ(QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_OK);
    ExpectSupportedVersion(QORVA_ZEL_GetVersion());
}

TEST(Lifecycle, UninitialisedLibraryRefusesNullArgumentsFirstThenEveryCall)
{
    ExpectNullArgumentsRefused();
    ExpectEveryCallNotInitialised();
    QORVA_ZEL_ReleaseVariant(nullptr);
}

TEST(Lifecycle, OnlyTheExactVersionIsAcceptedAndARefusalChangesNothing)
{
    const QORVA_ZEL_Version wrong[] = {
        {1, 3, 18713301, 0}, {3, 3, 18713301, 0}, {2, 2, 18713301, 0}, {2, 4, 18713301, 0},
        {2, 3, 18713300, 0}, {2, 3, 18713302, 0}, {2, 3, 18713301, 1}, {0, 0, 0, 0},
        {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu},
    };
    for (const QORVA_ZEL_Version& version : wrong) {
        EXPECT_EQ(Initialize(AppStrings{}, version), QORVA_ZEL_ERROR_VERSION_MISMATCH)
            << version.Major << '.' << version.Minor << '.' << version.Build << '.' << version.Revision;
        EXPECT_TRUE(LibraryIsUninitialised());
    }
    EXPECT_EQ(QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_ERROR_NOT_INITIALIZED);
    ASSERT_EQ(Initialize(AppStrings{}), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_OK);
}

TEST(Lifecycle, NullPointersAreRefusedBeforeTheInitialisedTest)
{
    const AppStrings app;
    const QORVA_ZEL_ApplicationInfo complete = app.Info();
    // Each of the six strings in turn set to null.
    const std::size_t memberCount = 6;
    auto withNullMember = [&complete](std::size_t which) {
        QORVA_ZEL_ApplicationInfo info = complete;
        const QORVA_ZEL_Char** members[] = {&info.DisplayName, &info.VersionName, &info.InstallPath,
                                            &info.ConfigPath,  &info.Executable,  &info.ExecCmd};
        *members[which] = nullptr;
        return info;
    };

    EXPECT_EQ(QORVA_ZEL_InitializeSDK(nullptr, &kSupportedVersion), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(QORVA_ZEL_InitializeSDK(&complete, nullptr), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    for (std::size_t i = 0; i < memberCount; ++i) {
        const QORVA_ZEL_ApplicationInfo info = withNullMember(i);
        EXPECT_EQ(QORVA_ZEL_InitializeSDK(&info, &kSupportedVersion), QORVA_ZEL_ERROR_NULL_ARGUMENT) << i;
        EXPECT_TRUE(LibraryIsUninitialised()) << i;
    }

    ASSERT_EQ(QORVA_ZEL_InitializeSDK(&complete, &kSupportedVersion), QORVA_ZEL_OK);
    // While initialised a null pointer still gives -4, not -101.
    EXPECT_EQ(QORVA_ZEL_InitializeSDK(nullptr, &kSupportedVersion), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(QORVA_ZEL_InitializeSDK(&complete, nullptr), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    for (std::size_t i = 0; i < memberCount; ++i) {
        const QORVA_ZEL_ApplicationInfo info = withNullMember(i);
        EXPECT_EQ(QORVA_ZEL_InitializeSDK(&info, &kSupportedVersion), QORVA_ZEL_ERROR_NULL_ARGUMENT) << i;
    }
    ExpectNullArgumentsRefused();

    // A second initialisation is refused before its version is looked at.
    const QORVA_ZEL_Version wrong{2, 3, 18713301, 1};
    EXPECT_EQ(QORVA_ZEL_InitializeSDK(&complete, &wrong), QORVA_ZEL_ERROR_ALREADY_INITIALIZED);
    EXPECT_EQ(QORVA_ZEL_InitializeSDK(&complete, &kSupportedVersion), QORVA_ZEL_ERROR_ALREADY_INITIALIZED);
    EXPECT_FALSE(LibraryIsUninitialised());
    EXPECT_EQ(QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_OK);
}

TEST(Lifecycle, ReleaseDropsEverythingAndTheLibraryCanBeInitialisedAgain)
{
    ASSERT_EQ(Initialize(AppStrings{}), QORVA_ZEL_OK);
    const QORVA_ZEL_OptionDesc detail = IntOption(u"Detail", 2, 0, 3, 0);
    const QORVA_ZEL_Resolution modes[] = {Mode(800, 600, 60.0f), Mode(1024, 768, 60.0f)};
    ASSERT_EQ(QORVA_ZEL_RegisterOption(&detail), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_RegisterResolutions(modes, 2), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SetResolution(&modes[1]), QORVA_ZEL_OK);

    ASSERT_EQ(QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_OK);
    ExpectNullArgumentsRefused();
    ExpectEveryCallNotInitialised(); // includes a second release

    // Other strings, all of them empty, are accepted too.
    AppStrings other;
    other.DisplayName = other.VersionName = other.InstallPath = u"";
    other.ConfigPath = other.Executable = other.ExecCmd = u"";
    ASSERT_EQ(Initialize(other), QORVA_ZEL_OK);

    // Nothing of the earlier period is left.
    QORVA_ZEL_Variant variant = IntVariant(99);
    EXPECT_EQ(QORVA_ZEL_GetOptionValue(&variant, u"Detail"), QORVA_ZEL_ERROR_OPTION_NOT_FOUND);
    EXPECT_EQ(variant.Value.IntValue, 99);
    EXPECT_TRUE(SameMode(CurrentMode(), Mode(0, 0, 0.0f)));
    const QORVA_ZEL_Resolution unlisted = Mode(320, 200, 70.0f);
    EXPECT_EQ(QORVA_ZEL_SetResolution(&unlisted), QORVA_ZEL_OK) << "the old list of modes is still in force";
    EXPECT_EQ(QORVA_ZEL_RegisterOption(&detail), QORVA_ZEL_OK) << "the old option is still registered";
    EXPECT_EQ(QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_OK);
}

// ConfigPath "\" "GFXSettings" "." Executable ".xml" plus the terminator:
// 18 units besides the two strings.
TEST(Lifecycle, SettingsPathMayUseAtMost2048UnitsWithItsTerminator)
{
    constexpr std::size_t kFixedUnits = 18;
    constexpr std::size_t kLimit = 2048;

    AppStrings app;
    app.Executable = u"testgame";
    app.ConfigPath = QzString(kLimit - kFixedUnits - app.Executable.size(), u'd');
    ASSERT_EQ(Initialize(app), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_OK);

    app.ConfigPath.push_back(u'd');
    EXPECT_EQ(Initialize(app), QORVA_ZEL_ERROR_FILE);
    EXPECT_TRUE(LibraryIsUninitialised());
    EXPECT_EQ(QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_ERROR_NOT_INITIALIZED);

    // The executable's length counts the same way.
    app.ConfigPath = u"/tmp";
    app.Executable = QzString(kLimit - kFixedUnits - app.ConfigPath.size(), u'x');
    ASSERT_EQ(Initialize(app), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_OK);
    app.Executable.push_back(u'x');
    EXPECT_EQ(Initialize(app), QORVA_ZEL_ERROR_FILE);
    EXPECT_TRUE(LibraryIsUninitialised());

    // Far beyond the limit, and a normal initialisation afterwards.
    app.ConfigPath = QzString(100000, u'/');
    EXPECT_EQ(Initialize(app), QORVA_ZEL_ERROR_FILE);
    EXPECT_TRUE(LibraryIsUninitialised());
    ASSERT_EQ(Initialize(AppStrings{}), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_OK);
}

} // namespace
