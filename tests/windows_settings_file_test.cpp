// The settings file on Windows, through the DLL: the path reaches the
// system's wide calls unchanged, a read-only settings file is refused and
// left alone, and a save keeps the file's attributes.
#include "support/settings_file_support.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <filesystem>
#include <string>

using namespace qorva_zel_test;

namespace {

class WindowsSettingsFile : public SettingsFileTest {
protected:
    void TearDown() override
    {
        // Whatever a test left, the temporary directory can be removed.
        ::SetFileAttributesW(SettingsPath().wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
        SettingsFileTest::TearDown();
    }

    DWORD Attributes() const { return ::GetFileAttributesW(SettingsPath().wstring().c_str()); }

    // Initialises again with other path strings.
    void RestartWith(const std::u16string& configPath, const std::u16string& executable)
    {
        ASSERT_EQ(QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_OK);
        AppStrings app = App();
        app.ConfigPath = configPath;
        app.Executable = executable;
        const QORVA_ZEL_ApplicationInfo info = app.Info();
        ASSERT_EQ(QORVA_ZEL_InitializeSDK(&info, &kSupportedVersion), QORVA_ZEL_OK);
    }

    // Saves Level = value, loads it back over another value, and checks
    // that the file is where the path says.
    void SaveAndLoad(const std::filesystem::path& expectedFile, std::int32_t value)
    {
        ASSERT_EQ(Register(IntOption(u"Level", 0, 0, 100, 0)), QORVA_ZEL_OK);
        ASSERT_EQ(SetInt(u"Level", value), QORVA_ZEL_OK);
        ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
        EXPECT_TRUE(std::filesystem::is_regular_file(expectedFile)) << expectedFile.string();
        ASSERT_EQ(SetInt(u"Level", 1), QORVA_ZEL_OK);
        ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
        EXPECT_EQ(GetInt(u"Level"), value);
        EXPECT_EQ(DirectoryEntries().size(), 1u) << "nothing but the settings file";
    }
};

TEST_F(WindowsSettingsFile, ReadOnlySettingsFileIsRefusedAndLeftAlone)
{
    ASSERT_EQ(Register(IntOption(u"Level", 1, 0, 10, 0)), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    const std::string before = ReadBytes(SettingsPath());
    ASSERT_TRUE(::SetFileAttributesW(SettingsPath().wstring().c_str(), FILE_ATTRIBUTE_READONLY));

    ASSERT_EQ(SetInt(u"Level", 2), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_ERROR_FILE);
    EXPECT_EQ(ReadBytes(SettingsPath()), before);
    EXPECT_NE(Attributes() & FILE_ATTRIBUTE_READONLY, 0u) << "the player's choice stays";
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    EXPECT_EQ(DirectoryEntries().size(), 1u);

    // Loading a read-only file works as ever; once writable it is saved again.
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    EXPECT_EQ(GetInt(u"Level"), 1);
    ASSERT_TRUE(::SetFileAttributesW(SettingsPath().wstring().c_str(), FILE_ATTRIBUTE_NORMAL));
    ASSERT_EQ(SetInt(u"Level", 2), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_NE(ReadBytes(SettingsPath()), before);
}

TEST_F(WindowsSettingsFile, SaveKeepsTheFilesAttributes)
{
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    ASSERT_TRUE(::SetFileAttributesW(SettingsPath().wstring().c_str(), FILE_ATTRIBUTE_HIDDEN));
    const QORVA_ZEL_Resolution mode = Mode(800, 600, 60.0f);
    ASSERT_EQ(QORVA_ZEL_SetResolution(&mode), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_NE(SavedText().find(u"<RESOLUTION Width=\"800\" Height=\"600\""), std::u16string::npos);
    EXPECT_NE(Attributes() & FILE_ATTRIBUTE_HIDDEN, 0u);
}

TEST_F(WindowsSettingsFile, BackslashesReachTheSystemUnchanged)
{
    // Behind the "\\?\" prefix Windows takes every character literally: only
    // backslashes separate, so the save finds the directory only when the
    // composed path keeps them.
    const std::u16string directory = ConfigDir().Path().u16string();
    ASSERT_EQ(directory.find(u'/'), std::u16string::npos);
    RestartWith(u"\\\\?\\" + directory, u"testgame");
    SaveAndLoad(SettingsPath(), 42);
}

TEST_F(WindowsSettingsFile, ForwardSlashesInTheDirectoryWorkToo)
{
    std::u16string directory = ConfigDir().Path().u16string();
    for (char16_t& unit : directory) {
        if (unit == u'\\') {
            unit = u'/';
        }
    }
    RestartWith(directory, u"testgame");
    SaveAndLoad(SettingsPath(), 7);
}

TEST_F(WindowsSettingsFile, NamesBeyondAsciiReachTheSystemUnchanged)
{
    const std::u16string executable = u"Caf\u00e9 \u00fc\u00df\U0001F3AE.exe";
    RestartWith(ConfigDir().Path().u16string(), executable);
    SaveAndLoad(ConfigDir().Path() / std::filesystem::path(u"GFXSettings." + executable + u".xml"), 9);
}

} // namespace
