// The save replaces the settings file whole or not at all (POSIX file system).
#include "support/settings_file_support.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace qorva_zel_test;

namespace {

mode_t PermissionBits(const std::filesystem::path& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mode & 07777;
}

} // namespace

TEST_F(SettingsFileTest, ReadOnlyFileIsRefusedAndLeftAlone)
{
    ASSERT_EQ(Register(IntOption(u"Level", 3, 0, 10, 0)), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    const std::string before = ReadBytes(SettingsPath());
    ASSERT_EQ(::chmod(SettingsPath().c_str(), 0444), 0);

    ASSERT_EQ(SetInt(u"Level", 4), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_ERROR_FILE);
    EXPECT_EQ(ReadBytes(SettingsPath()), before);
    EXPECT_EQ(PermissionBits(SettingsPath()), 0444u);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    EXPECT_EQ(DirectoryEntries().size(), 1u) << "a temporary file was left behind";

    // Writable again: the save goes through and keeps the chosen bits.
    ASSERT_EQ(::chmod(SettingsPath().c_str(), 0640), 0);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_EQ(PermissionBits(SettingsPath()), 0640u);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    EXPECT_EQ(DirectoryEntries().size(), 1u);
}

TEST_F(SettingsFileTest, MissingDirectoryFailsWithoutChangingTheSnapshot)
{
    AppStrings app = App();
    app.ConfigPath = (ConfigDir().Path() / "missing").u16string();
    ASSERT_EQ(QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_OK);
    const QORVA_ZEL_ApplicationInfo info = app.Info();
    ASSERT_EQ(QORVA_ZEL_InitializeSDK(&info, &kSupportedVersion), QORVA_ZEL_OK);

    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    const QORVA_ZEL_Resolution mode = Mode(800, 600, 60);
    ASSERT_EQ(QORVA_ZEL_SetResolution(&mode), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_ERROR_FILE);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    EXPECT_FALSE(std::filesystem::exists(ConfigDir().Path() / "missing"));
}

TEST_F(SettingsFileTest, SymbolicLinkKeepsPointingAtTheReplacedFile)
{
    const auto elsewhere = ConfigDir().Path() / "real";
    std::filesystem::create_directory(elsewhere);
    const auto target = elsewhere / "settings.xml";
    WriteBytes(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
    std::filesystem::create_symlink(std::filesystem::path("real") / "settings.xml", SettingsPath());

    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_TRUE(std::filesystem::is_symlink(SettingsPath()));
    EXPECT_EQ(ReadBytes(target), ReadBytes(SettingsPath()));
    EXPECT_NE(ReadBytes(target), "old");
    EXPECT_EQ(PermissionBits(target), 0600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(elsewhere), {}), 1);
}

TEST_F(SettingsFileTest, NewFileGetsTheUsualPermissions)
{
    const mode_t mask = ::umask(022);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    ::umask(mask);
    EXPECT_EQ(PermissionBits(SettingsPath()), 0644u);
}

TEST_F(SettingsFileTest, OnlyTemporariesNoSaveHoldsAreCleared)
{
    const std::string prefix = "." + SettingsPath().filename().string() + ".tmp-";
    const auto at = [&](const std::string& rest) { return ConfigDir().Path() / (prefix + rest); };
    // Left by saves that were killed: one of this version, two of earlier
    // ones (named by a process id, which says nothing any more).
    const std::vector<std::filesystem::path> stale = {at("0123456789abcdef.qz"), at("12345-0"),
                                                      at(std::to_string(::getpid()) + "-7")};
    // A save in progress in another process (or PID namespace) holds its lock.
    const auto held = at("fedcba9876543210.qz");
    // A player's files that only look like temporaries.
    const std::vector<std::filesystem::path> players = {
        at("2024-12-08-backup"), at("x"), at("0123456789ABCDEF.qz"), at("0123456789abcdef.qz.bak"),
        at("0123456789abcde.qz"), at("12345-"), at("-0"), at("1-2-3")};
    for (const auto& path : stale) {
        WriteBytes(path, "partial");
    }
    for (const auto& path : players) {
        WriteBytes(path, "mine");
    }
    WriteBytes(held, "partial");
    const int holder = ::open(held.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    // Never followed or entered, whatever their name.
    std::filesystem::create_symlink("settings-elsewhere", at("00000000000000aa.qz"));
    std::filesystem::create_directory(at("00000000000000bb.qz"));

    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    for (const auto& path : stale) {
        EXPECT_FALSE(std::filesystem::exists(path)) << path;
    }
    EXPECT_TRUE(std::filesystem::exists(held)) << "a running save holds it";
    for (const auto& path : players) {
        EXPECT_EQ(ReadBytes(path), "mine") << path;
    }
    EXPECT_TRUE(std::filesystem::is_symlink(at("00000000000000aa.qz")));
    EXPECT_TRUE(std::filesystem::is_directory(at("00000000000000bb.qz")));

    // Once the other save has gone, its temporary goes with the next save.
    ::close(holder);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_FALSE(std::filesystem::exists(held));
}

TEST_F(SettingsFileTest, BackslashesBecomeDirectorySeparators)
{
    std::filesystem::create_directory(ConfigDir().Path() / "sub");
    AppStrings app = App();
    app.ConfigPath = ConfigDir().Path().u16string() + u"\\sub";
    ASSERT_EQ(QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_OK);
    const QORVA_ZEL_ApplicationInfo info = app.Info();
    ASSERT_EQ(QORVA_ZEL_InitializeSDK(&info, &kSupportedVersion), QORVA_ZEL_OK);

    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_TRUE(std::filesystem::exists(ConfigDir().Path() / "sub" / SettingsPath().filename()));
    EXPECT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
}
