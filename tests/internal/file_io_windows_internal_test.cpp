// The Windows file calls of loading and saving, below the exported functions:
// the path handed over unchanged, reading, and the replacement of the
// settings file through ReplaceFileW, including the partial failures it
// reports, lasting errors and other processes holding the file for a
// moment. Those rare outcomes are produced by replacing the system calls in
// the library's table; the waits between tries are counted, never waited.
#include "platform/file_io.h"
#include "platform/save_names.h"
#include "platform/win32/file_calls.h"
#include "support/qorva_zel_test_support.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <vector>
#include <string>

using qorva_zel_test::ReadBytes;
using qorva_zel_test::TempDir;
using qorva_zel_test::WriteBytes;
namespace win32 = qorva_zel::win32;
namespace save_names = qorva_zel::save_names;
constexpr auto kReplaced = qorva_zel::ReplaceOutcome::Ok;

namespace {

// What the replaced calls do; each test sets what it needs.
struct Script {
    int ReplaceCalls = 0;
    int Sleeps = 0;
    // ReplaceFileW: the n-th call (1-based) behaves as given; 0 passes on.
    DWORD (*Replace)(int call, LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup) = nullptr;
    // Runs at each wait (for instance, another process letting go).
    void (*OnSleep)(int sleeps) = nullptr;
};
Script g_script;

BOOL WINAPI ScriptedReplaceFile(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags, LPVOID exclude,
                                LPVOID reserved)
{
    const int call = ++g_script.ReplaceCalls;
    const DWORD error = g_script.Replace != nullptr ? g_script.Replace(call, replaced, replacement, backup) : 0;
    if (error == 0) {
        return ::ReplaceFileW(replaced, replacement, backup, flags, exclude, reserved);
    }
    ::SetLastError(error);
    return FALSE;
}

void WINAPI CountedSleep(DWORD)
{
    ++g_script.Sleeps;
    if (g_script.OnSleep != nullptr) {
        g_script.OnSleep(g_script.Sleeps);
    }
}

HANDLE g_holder = INVALID_HANDLE_VALUE;

class WindowsFileIo : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = win32::TheFileCalls();
        win32::TheFileCalls().ReplaceFile = &ScriptedReplaceFile;
        win32::TheFileCalls().Sleep = &CountedSleep;
        g_script = Script{};
        target_ = dir_.Path() / "GFXSettings.game.xml";
    }
    void TearDown() override
    {
        win32::TheFileCalls() = saved_;
        if (g_holder != INVALID_HANDLE_VALUE) {
            ::CloseHandle(g_holder);
            g_holder = INVALID_HANDLE_VALUE;
        }
        ::SetFileAttributesW(NativeTarget().c_str(), FILE_ATTRIBUTE_NORMAL); // so that it can be removed
    }

    const std::filesystem::path& Target() const { return target_; }
    std::wstring NativeTarget() const { return target_.wstring(); }

    std::set<std::wstring> Entries() const
    {
        std::set<std::wstring> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir_.Path())) {
            names.insert(entry.path().filename().wstring());
        }
        return names;
    }
    std::set<std::wstring> OnlyTheSettingsFile() const { return {target_.filename().wstring()}; }

private:
    TempDir dir_;
    std::filesystem::path target_;
    win32::FileCalls saved_{};
};

TEST(WindowsPath, UnitsAndBackslashesStayAsTheyAre)
{
    const std::u16string path = u"C:\\Games\\Caf\u00e9\\\\x/y\\GFXSettings.\U0001F3AE.xml";
    const std::wstring native = qorva_zel::ToNativePath(path);
    ASSERT_EQ(native.size(), path.size());
    EXPECT_TRUE(std::equal(native.begin(), native.end(), path.begin(),
                           [](wchar_t a, char16_t b) { return static_cast<char16_t>(a) == b; }));
    EXPECT_EQ(native, L"C:\\Games\\Caf\u00e9\\\\x/y\\GFXSettings.\U0001F3AE.xml");
}

TEST_F(WindowsFileIo, ReadsWholeFilesAndTellsMissingFromUnreadable)
{
    std::string bytes;
    EXPECT_EQ(qorva_zel::ReadWholeFile(NativeTarget(), bytes), qorva_zel::ReadOutcome::Missing);

    std::string content(200000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>(i * 7 + i / 256);
    }
    WriteBytes(Target(), content);
    bytes.clear();
    ASSERT_EQ(qorva_zel::ReadWholeFile(NativeTarget(), bytes), qorva_zel::ReadOutcome::Ok);
    EXPECT_EQ(bytes, content);

    // A directory in the file's place exists but cannot be read as a file.
    std::filesystem::remove(Target());
    std::filesystem::create_directory(Target());
    bytes.clear();
    EXPECT_EQ(qorva_zel::ReadWholeFile(NativeTarget(), bytes), qorva_zel::ReadOutcome::NotRegularFile);
    EXPECT_EQ(g_script.Sleeps, 0);
}

TEST_F(WindowsFileIo, FirstSaveCreatesTheFileAndLaterSavesReplaceIt)
{
    ASSERT_EQ(qorva_zel::ReplaceFileAtomically(NativeTarget(), "first"), kReplaced);
    EXPECT_EQ(ReadBytes(Target()), "first");
    EXPECT_EQ(g_script.ReplaceCalls, 0) << "no file to replace: moved into place";

    ASSERT_EQ(qorva_zel::ReplaceFileAtomically(NativeTarget(), "second, longer"), kReplaced);
    EXPECT_EQ(ReadBytes(Target()), "second, longer");
    EXPECT_EQ(g_script.ReplaceCalls, 1);
    ASSERT_EQ(qorva_zel::ReplaceFileAtomically(NativeTarget(), ""), kReplaced);
    EXPECT_EQ(ReadBytes(Target()), "");
    EXPECT_EQ(Entries(), OnlyTheSettingsFile());
    EXPECT_EQ(g_script.Sleeps, 0);
}

TEST_F(WindowsFileIo, MissingDirectoryFailsWithoutCreatingIt)
{
    const std::filesystem::path inside = Target().parent_path() / "missing" / "GFXSettings.game.xml";
    EXPECT_NE(qorva_zel::ReplaceFileAtomically(inside.wstring(), "new"), kReplaced);
    EXPECT_FALSE(std::filesystem::exists(inside.parent_path()));
    EXPECT_TRUE(Entries().empty());
}

TEST_F(WindowsFileIo, OldFileLeftUnderTheBackupNameIsMovedBack)
{
    // ERROR_UNABLE_TO_MOVE_REPLACEMENT_2: ReplaceFileW moved the old file to
    // the backup name, then could not move the new one in.
    WriteBytes(Target(), "old");
    g_script.Replace = [](int, LPCWSTR replaced, LPCWSTR, LPCWSTR backup) -> DWORD {
        if (backup == nullptr || !::MoveFileExW(replaced, backup, 0)) {
            return ERROR_INVALID_PARAMETER; // the library must name a backup
        }
        return ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;
    };
    EXPECT_NE(qorva_zel::ReplaceFileAtomically(NativeTarget(), "new"), kReplaced);
    EXPECT_EQ(ReadBytes(Target()), "old");
    EXPECT_EQ(Entries(), OnlyTheSettingsFile()) << "no temporary, no backup left";
    EXPECT_EQ(g_script.ReplaceCalls, 1);

    // The next save goes through.
    g_script.Replace = nullptr;
    EXPECT_EQ(qorva_zel::ReplaceFileAtomically(NativeTarget(), "new"), kReplaced);
    EXPECT_EQ(ReadBytes(Target()), "new");
    EXPECT_EQ(Entries(), OnlyTheSettingsFile());
}

TEST_F(WindowsFileIo, ReplacementThatCannotBeMovedIsTriedAgainThenGivenUp)
{
    // ERROR_UNABLE_TO_REMOVE_REPLACED and ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    // both files keep their names (the old file is still in place).
    WriteBytes(Target(), "old");
    g_script.Replace = [](int call, LPCWSTR, LPCWSTR, LPCWSTR) -> DWORD {
        return call == 1 ? ERROR_UNABLE_TO_REMOVE_REPLACED : call == 2 ? ERROR_UNABLE_TO_MOVE_REPLACEMENT : 0;
    };
    EXPECT_EQ(qorva_zel::ReplaceFileAtomically(NativeTarget(), "new"), kReplaced);
    EXPECT_EQ(ReadBytes(Target()), "new");
    EXPECT_EQ(g_script.ReplaceCalls, 3);
    EXPECT_EQ(g_script.Sleeps, 2);
    EXPECT_EQ(Entries(), OnlyTheSettingsFile());

    // For good: a bounded number of tries, then failure with nothing changed.
    g_script = Script{};
    g_script.Replace = [](int, LPCWSTR, LPCWSTR, LPCWSTR) -> DWORD { return ERROR_UNABLE_TO_MOVE_REPLACEMENT; };
    EXPECT_NE(qorva_zel::ReplaceFileAtomically(NativeTarget(), "newer"), kReplaced);
    EXPECT_EQ(ReadBytes(Target()), "new");
    EXPECT_EQ(g_script.ReplaceCalls, win32::kFileAttempts);
    EXPECT_EQ(g_script.Sleeps, win32::kFileAttempts - 1);
    EXPECT_EQ(Entries(), OnlyTheSettingsFile());
}

TEST_F(WindowsFileIo, LastingErrorsAreNotTriedAgain)
{
    WriteBytes(Target(), "old");
    g_script.Replace = [](int, LPCWSTR, LPCWSTR, LPCWSTR) -> DWORD { return ERROR_DISK_FULL; };
    EXPECT_NE(qorva_zel::ReplaceFileAtomically(NativeTarget(), "new"), kReplaced);
    EXPECT_EQ(ReadBytes(Target()), "old");
    EXPECT_EQ(g_script.ReplaceCalls, 1);
    EXPECT_EQ(g_script.Sleeps, 0);
    EXPECT_EQ(Entries(), OnlyTheSettingsFile());

    // A read-only file is refused before ReplaceFileW, whose access denied
    // would be tried again as if another process held the file. (What the
    // refusal leaves is tested through the exported functions.)
    g_script = Script{};
    ASSERT_TRUE(::SetFileAttributesW(NativeTarget().c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_NE(qorva_zel::ReplaceFileAtomically(NativeTarget(), "new"), kReplaced);
    EXPECT_EQ(g_script.ReplaceCalls, 0);
    EXPECT_EQ(g_script.Sleeps, 0);
}

TEST_F(WindowsFileIo, SettingsFileThatWentAwayIsCreated)
{
    // Another process removed the settings file between the look and the
    // replacement: the new file is moved into place instead.
    WriteBytes(Target(), "old");
    g_script.Replace = [](int, LPCWSTR replaced, LPCWSTR, LPCWSTR) -> DWORD {
        ::DeleteFileW(replaced);
        return ERROR_FILE_NOT_FOUND;
    };
    EXPECT_EQ(qorva_zel::ReplaceFileAtomically(NativeTarget(), "new"), kReplaced);
    EXPECT_EQ(ReadBytes(Target()), "new");
    EXPECT_EQ(Entries(), OnlyTheSettingsFile());
}

TEST_F(WindowsFileIo, FileHeldByAnotherProcessIsWaitedForAFewTimes)
{
    // Another handle without write sharing, as a scanner's or an editor's:
    // it lets go at the first wait, and the save goes through.
    WriteBytes(Target(), "old");
    g_holder = ::CreateFileW(NativeTarget().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(g_holder, INVALID_HANDLE_VALUE);
    g_script.OnSleep = [](int) {
        if (g_holder != INVALID_HANDLE_VALUE) {
            ::CloseHandle(g_holder);
            g_holder = INVALID_HANDLE_VALUE;
        }
    };
    EXPECT_EQ(qorva_zel::ReplaceFileAtomically(NativeTarget(), "new"), kReplaced);
    EXPECT_EQ(ReadBytes(Target()), "new");
    EXPECT_EQ(g_script.Sleeps, 1);
    EXPECT_EQ(Entries(), OnlyTheSettingsFile());
}

TEST_F(WindowsFileIo, FileHeldForGoodFailsAfterBoundedTries)
{
    WriteBytes(Target(), "old");
    g_holder = ::CreateFileW(NativeTarget().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(g_holder, INVALID_HANDLE_VALUE);
    EXPECT_NE(qorva_zel::ReplaceFileAtomically(NativeTarget(), "new"), kReplaced);
    EXPECT_EQ(g_script.Sleeps, win32::kFileAttempts - 1);
    ::CloseHandle(g_holder);
    g_holder = INVALID_HANDLE_VALUE;
    EXPECT_EQ(ReadBytes(Target()), "old");
    EXPECT_EQ(Entries(), OnlyTheSettingsFile());
}

TEST_F(WindowsFileIo, SavesRemoveOnlySaveFilesNoProcessHasOpen)
{
    WriteBytes(Target(), "old");
    const std::wstring name = Target().filename().wstring();
    const std::filesystem::path dir = Target().parent_path();
    const std::wstring temporary = save_names::Prefix<wchar_t>(name, save_names::kTemporaryKind);
    const std::wstring backup = save_names::Prefix<wchar_t>(name, save_names::kBackupKind);
    // Left by killed saves, of this version and of earlier ones.
    const std::vector<std::wstring> stale = {temporary + L"0123456789abcdef.qz", backup + L"0123456789abcdef.qz",
                                             temporary + L"99999996-0", backup + L"99999996-0",
                                             temporary + std::to_wstring(::GetCurrentProcessId()) + L"-7"};
    // Being written by a running save, which holds it open.
    const std::wstring held = temporary + L"fedcba9876543210.qz";
    // A player's files that only look like save files.
    const std::vector<std::wstring> players = {temporary + L"2024-12-08-backup", temporary + L"00000000000000AA.qz",
                                               temporary + L"0123456789abcdef.qz.old", L"." + name + L".notes"};
    for (const auto& list : {stale, players}) {
        for (const std::wstring& file : list) {
            WriteBytes(dir / file, "x");
        }
    }
    WriteBytes(dir / held, "x");
    const HANDLE holder = ::CreateFileW((dir / held).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ASSERT_EQ(qorva_zel::ReplaceFileAtomically(NativeTarget(), "new"), kReplaced);
    std::set<std::wstring> expected(players.begin(), players.end());
    expected.insert(name);
    expected.insert(held);
    EXPECT_EQ(Entries(), expected);

    ::CloseHandle(holder);
    ASSERT_EQ(qorva_zel::ReplaceFileAtomically(NativeTarget(), "newer"), kReplaced);
    expected.erase(held);
    EXPECT_EQ(Entries(), expected);
}

} // namespace
