// Saving and the replacement of the settings file: a read-only file or a
// missing directory is refused with nothing changed; on POSIX file systems
// the file is replaced whole or not at all, through a symbolic link too,
// with the permission bits it had (a new one with the usual ones), and the
// temporaries of saves that were killed are cleared; on Windows the path
// reaches the system's wide calls unchanged and a save keeps the file's
// attributes. What a failing file call or a kill leaves is tested by
// save_fault_injection_test.cpp.
#include "support/settings_file_support.h"

#include <filesystem>
#include <optional>
#include <string>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

using namespace qorva_zel_test;

namespace {

// The permission bits as stat gives them; on Windows 0444 for a read-only
// file, the write bits set otherwise.
unsigned PermissionBits(const std::filesystem::path& path)
{
    return static_cast<unsigned>(std::filesystem::status(path).permissions());
}

} // namespace

// ---- Refused saves ----------------------------------------------------------------

// A file the player made read-only is refused and left as it is, and loads
// as ever; made writable again, it is saved with the bits it was given.
TEST_F(SettingsFileTest, ReadOnlyFileIsRefusedAndLeftAlone)
{
    namespace fs = std::filesystem;
    ASSERT_EQ(Register(IntOption(u"Level", 3, 0, 10, 0)), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    const std::string before = ReadBytes(SettingsPath());
    fs::permissions(SettingsPath(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    ASSERT_EQ(SetInt(u"Level", 4), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_ERROR_FILE);
    EXPECT_EQ(ReadBytes(SettingsPath()), before);
    EXPECT_EQ(PermissionBits(SettingsPath()), 0444u) << "the player's choice stays";
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    EXPECT_EQ(DirectoryEntries().size(), 1u) << "a temporary file was left behind";
    ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
    EXPECT_EQ(GetInt(u"Level"), 3);

    fs::permissions(SettingsPath(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(SetInt(u"Level", 4), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_NE(ReadBytes(SettingsPath()), before);
#ifdef _WIN32
    EXPECT_EQ(PermissionBits(SettingsPath()) & 0200u, 0200u);
#else
    EXPECT_EQ(PermissionBits(SettingsPath()), 0640u);
#endif
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    EXPECT_EQ(DirectoryEntries().size(), 1u);
}

TEST_F(SettingsFileTest, MissingDirectoryFailsWithoutChangingTheSnapshot)
{
    AppStrings app = App();
    app.ConfigPath = (ConfigDir().Path() / "missing").u16string();
    Restart(app);

    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_OK);
    ASSERT_EQ(SetMode(Mode(800, 600, 60)), QORVA_ZEL_OK);
    EXPECT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_ERROR_FILE);
    EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    EXPECT_FALSE(std::filesystem::exists(ConfigDir().Path() / "missing"));
}

#ifndef _WIN32

// ---- POSIX file systems ----------------------------------------------------------

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
    const std::string prefix = TemporaryPrefix(SettingsPath().filename().string());
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

namespace {

// An extended attribute's value, or nothing when the file has none of that name.
std::optional<std::string> Attribute(const std::filesystem::path& path, const char* name)
{
    char value[4096];
    const ssize_t size = ::getxattr(path.c_str(), name, value, sizeof value);
    return size < 0 ? std::nullopt : std::optional<std::string>(std::string(value, static_cast<std::size_t>(size)));
}

} // namespace

// A save keeps who may read and write the file: an access-control list
// (whose mask the group permission bits are) and user attributes go with
// the content, so the owning group gains nothing and the listed user loses
// nothing.
TEST_F(SettingsFileTest, SaveKeepsTheAccessControlListAndExtendedAttributes)
{
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    ASSERT_EQ(::chmod(SettingsPath().c_str(), 0600), 0);
    const std::string command = "setfacl -m u:65534:rw,g::-,m::rw '" + SettingsPath().string() + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0 || !Attribute(SettingsPath(), "system.posix_acl_access")) {
        GTEST_SKIP() << "no setfacl (Debian package acl), or the file system in TMPDIR has no ACLs";
    }
    if (::setxattr(SettingsPath().c_str(), "user.origin", "player", 6, 0) != 0) {
        GTEST_SKIP() << "the file system in TMPDIR has no user extended attributes";
    }
    const std::optional<std::string> acl = Attribute(SettingsPath(), "system.posix_acl_access");
    const unsigned bits = PermissionBits(SettingsPath());

    ASSERT_EQ(SetMode(Mode(800, 600, 60)), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_NE(SavedText().find(u"Width=\"800\""), std::u16string::npos);
    EXPECT_EQ(Attribute(SettingsPath(), "system.posix_acl_access"), acl);
    EXPECT_EQ(Attribute(SettingsPath(), "user.origin"), std::optional<std::string>("player"));
    EXPECT_EQ(PermissionBits(SettingsPath()), bits);
}

// In a set-group-ID folder a new file takes the folder's group; the saved
// file keeps its own.
TEST_F(SettingsFileTest, SaveInASetGroupIdFolderKeepsTheFilesGroup)
{
    const auto folder = ConfigDir().Path() / "shared";
    std::filesystem::create_directory(folder);
    const gid_t folderGroup = ::getegid() == 65534 ? 0 : 65534;
    if (::chown(folder.c_str(), static_cast<uid_t>(-1), folderGroup) != 0 || ::chmod(folder.c_str(), 02777) != 0) {
        GTEST_SKIP() << "cannot give a folder another group (run as root)";
    }
    AppStrings app = App();
    app.ConfigPath = folder.u16string();
    Restart(app);
    const auto file = folder / SettingsPath().filename();
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    ASSERT_EQ(::chown(file.c_str(), static_cast<uid_t>(-1), ::getegid()), 0);

    ASSERT_EQ(SetMode(Mode(800, 600, 60)), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_gid, ::getegid());
}

// A file name of 250 bytes leaves no room for the temporary's usual name; a
// shorter one is taken, and the clean-up still finds only this file's.
TEST_F(SettingsFileTest, FileNameOf250BytesIsSaved)
{
    // 2 + 77 x 3 + 1 bytes: the shortened name cuts no character in two.
    const std::u16string executable = u"xy" + std::u16string(77, u'\u6e38') + u"z";
    AppStrings app = App();
    app.Executable = executable;
    Restart(app);
    const std::filesystem::path file = ConfigDir().Path() / std::filesystem::path(u"GFXSettings." + executable + u".xml");
    const std::string name = file.filename().string();
    ASSERT_EQ(name.size(), 250u);
    std::string other = name;
    other.back() = 'X';
    const auto killed = ConfigDir().Path() / (TemporaryPrefix(name) + "0123456789abcdef.qz");
    const auto othersKilled = ConfigDir().Path() / (TemporaryPrefix(other) + "0123456789abcdef.qz");
    ASSERT_LE(killed.filename().string().size(), 255u);
    WriteBytes(killed, "partial");
    WriteBytes(othersKilled, "partial");

    ASSERT_EQ(SetMode(Mode(800, 600, 60)), QORVA_ZEL_OK);
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_TRUE(std::filesystem::is_regular_file(file));
    EXPECT_FALSE(std::filesystem::exists(killed));
    EXPECT_TRUE(std::filesystem::exists(othersKilled)) << "another file's";
    EXPECT_EQ(DirectoryEntries().size(), 2u);
    EXPECT_NE(FromUtf16LeBytes(ReadBytes(file)).find(u"Width=\"800\""), std::u16string::npos);
    EXPECT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
}

// A settings file that is a bind mount (a container's) cannot be renamed
// over; its content is written in place. Needs a mount namespace.
TEST_F(SettingsFileTest, BindMountedFileIsWrittenInPlace)
{
    const auto host = ConfigDir().Path() / "host.xml";
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    std::filesystem::copy_file(SettingsPath(), host);
    ASSERT_EQ(SetMode(Mode(800, 600, 60)), QORVA_ZEL_OK);
    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount(host.c_str(), SettingsPath().c_str(), nullptr, MS_BIND, nullptr) != 0) {
            ::_exit(2);
        }
        ::_exit(QORVA_ZEL_SaveConfigFile(0) == QORVA_ZEL_OK && Temporaries().empty() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2) {
        GTEST_SKIP() << "no bind mount permitted here (unshare(CLONE_NEWNS) and mount need root)";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(FromUtf16LeBytes(ReadBytes(host)).find(u"Width=\"800\""), std::u16string::npos);
}

TEST_F(SettingsFileTest, BackslashesBecomeDirectorySeparators)
{
    std::filesystem::create_directory(ConfigDir().Path() / "sub");
    AppStrings app = App();
    app.ConfigPath = ConfigDir().Path().u16string() + u"\\sub";
    Restart(app);

    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    EXPECT_TRUE(std::filesystem::exists(ConfigDir().Path() / "sub" / SettingsPath().filename()));
    EXPECT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
}

#else

// ---- Windows, through the DLL ------------------------------------------------------

namespace {

class WindowsSettingsFile : public SettingsFileTest {
protected:
    DWORD Attributes() const { return ::GetFileAttributesW(SettingsPath().wstring().c_str()); }

    // Initialises again with other path strings.
    void RestartWith(const std::u16string& configPath, const std::u16string& executable)
    {
        AppStrings app = App();
        app.ConfigPath = configPath;
        app.Executable = executable;
        Restart(app);
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

TEST_F(WindowsSettingsFile, SaveKeepsTheFilesAttributes)
{
    ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
    ASSERT_TRUE(::SetFileAttributesW(SettingsPath().wstring().c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_EQ(SetMode(Mode(800, 600, 60.0f)), QORVA_ZEL_OK);
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

#endif
