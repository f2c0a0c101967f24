// Windows implementation of the settings file's operating-system calls.
//
// The path is the settings path's UTF-16 units unchanged, handed to the wide
// (...W) calls. A save writes a new file beside the settings file, flushes
// and closes it, and lets ReplaceFileW put it in the old one's place, which
// keeps the old file's attributes and security; with no old file,
// MoveFileExW renames it. Operations that another process holds up for a
// moment (a virus scanner, an indexer or a backup tool with the file open)
// are tried a few times before the save gives up.

// rand_s, the system's random numbers, is declared only on request.
#define _CRT_RAND_S

#include "platform/file_io.h"
#include "platform/save_names.h"
#include "platform/win32/file_calls.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace qorva_zel {

namespace win32 {

FileCalls& TheFileCalls() noexcept
{
    static FileCalls calls{&::ReplaceFileW, &::MoveFileExW, &::Sleep};
    return calls;
}

} // namespace win32

namespace {

using win32::FileCalls;
using win32::kFileAttempts;
using win32::kRetryDelayMs;
using win32::TheFileCalls;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The attributes of the settings file that a save keeps (read-only files are
// not replaced at all).
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Owns one handle.
class FileHandle {
public:
    FileHandle() noexcept = default;
    explicit FileHandle(HANDLE handle) noexcept : handle_(handle) {}
    ~FileHandle()
    {
        if (Valid()) {
            ::CloseHandle(handle_);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    HANDLE Get() const noexcept { return handle_; }
    bool Valid() const noexcept { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    void Reset(HANDLE handle) noexcept
    {
        if (Valid()) {
            ::CloseHandle(handle_);
        }
        handle_ = handle;
    }
    // Closes now and reports whether the close succeeded.
    bool Close() noexcept
    {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return ::CloseHandle(handle) != FALSE;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Errors that another process's open handle causes and that pass when it
// closes the file. Reading waits only for sharing conflicts; writing also for
// access denied, which a file being deleted or scanned reports for a moment.
bool IsTransientForReading(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

bool IsTransientForWriting(DWORD error)
{
    return IsTransientForReading(error) || error == ERROR_ACCESS_DENIED;
}

// Runs attempt until it succeeds, fails for a lasting reason, or has been
// tried kFileAttempts times, with a short wait between tries. Afterwards the
// last error is that of the last try.
template <class Attempt, class IsTransient>
bool Retrying(Attempt attempt, IsTransient isTransient)
{
    for (int tries = 1;; ++tries) {
        if (attempt()) {
            return true;
        }
        const DWORD error = ::GetLastError();
        if (tries >= kFileAttempts || !isTransient(error)) {
            ::SetLastError(error);
            return false;
        }
        TheFileCalls().Sleep(kRetryDelayMs);
    }
}

bool OpenFile(FileHandle& file, const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
              DWORD flags, bool (*isTransient)(DWORD))
{
    return Retrying(
        [&] {
            file.Reset(::CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr));
            return file.Valid();
        },
        isTransient);
}

bool WriteAll(HANDLE file, std::string_view bytes)
{
    constexpr std::size_t kMaxChunk = std::size_t{1} << 30;
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(bytes.size() < kMaxChunk ? bytes.size() : kMaxChunk);
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

bool Exists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The directory part of a path, with its final separator ("" for a bare
// name). Both separators count, as they do for the system.
std::wstring DirectoryPrefixOf(const std::wstring& path)
{
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

// The file a symbolic link or junction leads to, as a full path. False when
// it cannot be opened (a dangling link).
bool ResolveLinks(std::wstring& path)
{
    FileHandle file(
        ::CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.Valid()) {
        return false;
    }
    std::wstring resolved(MAX_PATH, L'\0');
    for (int round = 0; round < 2; ++round) {
        const DWORD length = ::GetFinalPathNameByHandleW(file.Get(), resolved.data(),
                                                         static_cast<DWORD>(resolved.size()), FILE_NAME_NORMALIZED);
        if (length == 0) {
            return false;
        }
        if (length < resolved.size()) {
            resolved.resize(length);
            path = resolved;
            return true;
        }
        resolved.assign(length + 1, L'\0');
    }
    return false;
}

// Names of the files a save makes beside the settings file (save_names.h):
// ".<file>.tmp-<r>.qz" for the new contents and ".<file>.bak-<r>.qz" for the
// old file while ReplaceFileW swaps them.
//
// A save holds its temporary open without delete sharing while it writes
// it, so no other process can remove it then. ReplaceFileW opens the
// temporary without any sharing, so it must be closed just before; should a
// clean-up remove it in that instant, the save writes it again.
struct SaveNames {
    std::wstring Temporary;
    std::wstring Backup;
};

std::wstring SaveNamePrefix(const std::wstring& fileName, std::string_view kind)
{
    return save_names::Prefix<wchar_t>(fileName, kind);
}

// 64 bits from the system's random source (rand_s), or, should it fail, the
// performance counter, the process id, an address and a counter mixed; a
// clash with another saver's name is caught by CREATE_NEW either way.
std::uint64_t RandomBits() noexcept
{
    using save_names::Mix;
    unsigned int high = 0;
    unsigned int low = 0;
    if (::rand_s(&high) == 0 && ::rand_s(&low) == 0) {
        return (std::uint64_t{high} << 32) | low;
    }
    static std::atomic<std::uint64_t> counter{0};
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    std::uint64_t bits = Mix(static_cast<std::uint64_t>(now.QuadPart) ^ (std::uint64_t{::GetCurrentProcessId()} << 32));
    bits ^= Mix(reinterpret_cast<std::uintptr_t>(&bits) ^ counter.fetch_add(1));
    return Mix(bits);
}

SaveNames MakeSaveNames(const std::wstring& directory, const std::wstring& fileName)
{
    const std::uint64_t bits = RandomBits();
    SaveNames names{directory + SaveNamePrefix(fileName, save_names::kTemporaryKind),
                    directory + SaveNamePrefix(fileName, save_names::kBackupKind)};
    save_names::AppendRandomPart(names.Temporary, bits);
    save_names::AppendRandomPart(names.Backup, bits);
    return names;
}

bool IsSaveName(std::wstring_view name, std::wstring_view prefix) noexcept
{
    return save_names::IsSaveName<wchar_t>(name, prefix);
}

// What the clean-up after a save needs, made before the file is replaced:
// after that nothing may allocate (an exception would leave a saved file
// unrecorded in memory).
struct StaleSweep {
    std::wstring Pattern;         // directory + ".<file>.*"
    std::wstring TemporaryPrefix; // ".<file>.tmp-"
    std::wstring BackupPrefix;    // ".<file>.bak-"
    std::wstring SettingsFile;
    std::wstring Path; // directory, then room for one name
    std::size_t DirectoryLength = 0;
};

StaleSweep PrepareSweep(const std::wstring& directory, const std::wstring& fileName)
{
    StaleSweep sweep;
    sweep.TemporaryPrefix = SaveNamePrefix(fileName, save_names::kTemporaryKind);
    // ".<file>." and "*": the prefix without its kind
    sweep.Pattern = directory +
                    sweep.TemporaryPrefix.substr(0, sweep.TemporaryPrefix.size() - save_names::kTemporaryKind.size() - 1) +
                    L"*";
    sweep.BackupPrefix = SaveNamePrefix(fileName, save_names::kBackupKind);
    sweep.SettingsFile = directory + fileName;
    sweep.DirectoryLength = directory.size();
    sweep.Path.assign(directory.size() + MAX_PATH + 1, L'\0');
    sweep.Path.replace(0, directory.size(), directory);
    return sweep;
}

// Removes what killed saves left beside the settings file: a save file of
// the library's naming goes only when no process has it open (it is opened
// for deletion without any sharing, which fails while a save writes it).
// A left-over old file is removed only while the settings file exists, so
// that it is never the last copy. Neither allocates nor throws.
void RemoveStaleSaveFiles(StaleSweep& sweep) noexcept
{
    const bool settingsFileExists = Exists(sweep.SettingsFile);
    WIN32_FIND_DATAW entry{};
    const HANDLE search = ::FindFirstFileW(sweep.Pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::wstring_view name(entry.cFileName);
        const bool temporary = IsSaveName(name, sweep.TemporaryPrefix);
        const bool backup = IsSaveName(name, sweep.BackupPrefix);
        if ((!temporary && !(backup && settingsFileExists)) ||
            (entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0 ||
            name.size() > MAX_PATH) {
            continue;
        }
        wchar_t* const at = sweep.Path.data() + sweep.DirectoryLength;
        name.copy(at, name.size());
        at[name.size()] = L'\0';
        const HANDLE file = ::CreateFileW(sweep.Path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            ::CloseHandle(file); // the last handle: the file goes
        }
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
}

// Puts the new file in place of a settings file that does not exist.
bool MoveIntoPlace(const std::wstring& temporary, const std::wstring& target)
{
    return Retrying(
        [&] {
            return TheFileCalls().MoveFileEx(temporary.c_str(), target.c_str(),
                                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
        },
        IsTransientForWriting);
}

// Puts the new file in place of the existing settings file with
// ReplaceFileW, which gives it the old file's attributes and security. The
// old file passes through a backup name, so that every partial failure that
// ReplaceFileW reports leaves it where it can be found again:
//  - ERROR_UNABLE_TO_REMOVE_REPLACED, ERROR_UNABLE_TO_MOVE_REPLACEMENT: both
//    files still have their own names; tried again while attempts remain.
//  - ERROR_UNABLE_TO_MOVE_REPLACEMENT_2: the old file has the backup name and
//    the new one still its temporary name; the old file is moved back.
//  - ERROR_FILE_NOT_FOUND: the settings file went away meanwhile; the new
//    file is moved into place as for a first save.
// On failure the new file is left for the caller to remove.
bool ReplaceExisting(const std::wstring& temporary, const std::wstring& backup, const std::wstring& target)
{
    FileCalls& calls = TheFileCalls();
    for (int tries = 1;; ++tries) {
        if (calls.ReplaceFile(target.c_str(), temporary.c_str(), backup.c_str(), 0, nullptr, nullptr)) {
            ::DeleteFileW(backup.c_str()); // the old contents; best effort
            return true;
        }
        const DWORD error = ::GetLastError();
        switch (error) {
        case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
            // Never over a file that appeared meanwhile; when the old file
            // cannot go back, it stays under the backup name.
            Retrying(
                [&] {
                    return calls.MoveFileEx(backup.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
                },
                IsTransientForWriting);
            return false;
        case ERROR_FILE_NOT_FOUND:
            if (!Exists(target) && Exists(temporary)) {
                return MoveIntoPlace(temporary, target);
            }
            return false;
        case ERROR_UNABLE_TO_REMOVE_REPLACED:
        case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
            break;
        default:
            if (!IsTransientForWriting(error)) {
                return false;
            }
            break;
        }
        if (Exists(target)) {
            ::DeleteFileW(backup.c_str()); // a copy ReplaceFileW may have made
        }
        if (tries >= kFileAttempts) {
            return false;
        }
        calls.Sleep(kRetryDelayMs);
    }
}

// Why a file call failed, as a replacement reports it.
ReplaceOutcome FailureOf(DWORD error) noexcept
{
    switch (error) {
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
        return ReplaceOutcome::NoFolder;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return ReplaceOutcome::NoPermission;
    default:
        return ReplaceOutcome::WriteError;
    }
}

bool IdentityOf(HANDLE file, FileIdentity& identity) noexcept
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info)) {
        return false;
    }
    identity.Device = info.dwVolumeSerialNumber;
    identity.Index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    identity.Size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    identity.Modified = static_cast<std::int64_t>((std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                                                  info.ftLastWriteTime.dwLowDateTime);
    return true;
}

// Whether the file at path is the one expected, with the content expected.
// Allocates nothing.
bool IsExpectedFile(const std::wstring& path, const ExpectedFile& expected) noexcept
{
    FileHandle file;
    FileIdentity identity;
    if (!OpenFile(file, path, GENERIC_READ, kShareAll, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, IsTransientForReading) ||
        !IdentityOf(file.Get(), identity) || !(identity == expected.Identity) ||
        expected.Bytes.size() != expected.Identity.Size) {
        return false;
    }
    char buffer[4096];
    std::string_view rest = expected.Bytes;
    for (;;) {
        DWORD count = 0;
        if (!::ReadFile(file.Get(), buffer, sizeof buffer, &count, nullptr)) {
            return false;
        }
        if (count == 0 || count > rest.size() || rest.substr(0, count) != std::string_view(buffer, count)) {
            return count == 0 && rest.empty();
        }
        rest.remove_prefix(count);
    }
}

} // namespace

NativePath ToNativePath(std::u16string_view path)
{
    return NativePath(path.begin(), path.end());
}

// Only a disk file is read (a pipe, a console or another device is not,
// nor a directory), and only as much of it as it held at the opening: one
// larger than kLargestReadableFile is refused without reading.
ReadOutcome ReadWholeFile(const NativePath& path, std::string& bytes, FileIdentity* identity)
{
    FileHandle file;
    if (!OpenFile(file, path, GENERIC_READ, kShareAll, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                  IsTransientForReading)) {
        const DWORD error = ::GetLastError();
        // A directory in the file's place exists but is no file to read.
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return ReadOutcome::NotRegularFile;
        }
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return ReadOutcome::Missing;
        }
        return error == ERROR_ACCESS_DENIED ? ReadOutcome::NoPermission : ReadOutcome::CannotOpen;
    }
    if (::GetFileType(file.Get()) != FILE_TYPE_DISK) {
        return ReadOutcome::NotRegularFile;
    }
    FileIdentity found;
    if (!IdentityOf(file.Get(), found)) {
        return ReadOutcome::ReadError;
    }
    if (found.Size > kLargestReadableFile) {
        return ReadOutcome::TooLarge;
    }
    if (identity != nullptr) {
        *identity = found;
    }
    const std::size_t start = bytes.size();
    const std::size_t total = static_cast<std::size_t>(found.Size);
    bytes.resize(start + total);
    std::size_t got = 0;
    while (got < total) {
        DWORD count = 0;
        if (!::ReadFile(file.Get(), bytes.data() + start + got, static_cast<DWORD>(total - got), &count, nullptr)) {
            bytes.resize(start);
            return ReadOutcome::ReadError;
        }
        if (count == 0) {
            break; // shortened meanwhile
        }
        got += count;
    }
    bytes.resize(start + got);
    return ReadOutcome::Ok;
}

ReplaceOutcome ReplaceFileAtomically(const NativePath& path, std::string_view bytes, const ExpectedFile* expected)
{
    std::wstring target = path;
    DWORD attributes = ::GetFileAttributesW(target.c_str());
    const bool existed = attributes != INVALID_FILE_ATTRIBUTES;
    if (!existed) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) {
            return FailureOf(error); // no such directory, no access, ...
        }
        if (expected != nullptr) {
            return ReplaceOutcome::Changed;
        }
    }
    if (existed && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        if (!ResolveLinks(target)) {
            return ReplaceOutcome::NoFolder; // a dangling link
        }
        attributes = ::GetFileAttributesW(target.c_str());
    }
    if (existed) {
        // A player may make the settings file read-only to keep it as it is;
        // a file the process may not open for writing is not replaced either.
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            return FailureOf(::GetLastError());
        }
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            return ReplaceOutcome::NotRegularFile;
        }
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            return ReplaceOutcome::ReadOnly;
        }
        FileHandle probe;
        if (!OpenFile(probe, target, GENERIC_WRITE, kShareAll, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                      IsTransientForWriting)) {
            return FailureOf(::GetLastError());
        }
    }

    const std::wstring directory = DirectoryPrefixOf(target);
    const std::wstring fileName = target.substr(directory.size());
    StaleSweep sweep = PrepareSweep(directory, fileName);
    // A temporary removed by another process's clean-up in the instant
    // between its closing and ReplaceFileW is written again.
    for (int round = 0; round < 3; ++round) {
        SaveNames names;
        FileHandle file;
        for (int attempt = 0; attempt < 100 && !file.Valid(); ++attempt) {
            names = MakeSaveNames(directory, fileName);
            file.Reset(::CreateFileW(names.Temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file.Valid()) {
                const DWORD error = ::GetLastError();
                if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
                    return FailureOf(error);
                }
            }
        }
        if (!file.Valid()) {
            return ReplaceOutcome::WriteError;
        }
        bool ok = WriteAll(file.Get(), bytes) && ::FlushFileBuffers(file.Get());
        ok = file.Close() && ok;
        if (!ok) {
            ::DeleteFileW(names.Temporary.c_str());
            return ReplaceOutcome::WriteError;
        }
        if (expected != nullptr && !IsExpectedFile(target, *expected)) {
            ::DeleteFileW(names.Temporary.c_str());
            return ReplaceOutcome::Changed;
        }
        if (existed) {
            // ReplaceFileW gives the new file the old one's attributes; not
            // every implementation does (Wine does not), so the visible ones
            // are set beforehand too. Best effort: the replacement does not
            // depend on it.
            ::SetFileAttributesW(names.Temporary.c_str(), attributes & kKeptAttributes);
        }
        if (existed ? ReplaceExisting(names.Temporary, names.Backup, target) : MoveIntoPlace(names.Temporary, target)) {
            RemoveStaleSaveFiles(sweep);
            return ReplaceOutcome::Ok;
        }
        const DWORD error = ::GetLastError();
        if (Exists(names.Temporary)) {
            ::DeleteFileW(names.Temporary.c_str());
            return FailureOf(error);
        }
    }
    return ReplaceOutcome::WriteError;
}

} // namespace qorva_zel
