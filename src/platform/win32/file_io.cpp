// Windows implementation of the settings file's operating-system calls.
//
// The path is the settings path's UTF-16 units unchanged, handed to the wide
// (...W) calls. A save writes a new file beside the settings file, flushes
// and closes it, and lets ReplaceFileW put it in the old one's place, which
// keeps the old file's attributes and security; with no old file,
// MoveFileExW renames it. Operations that another process holds up for a
// moment (a virus scanner, an indexer or a backup tool with the file open)
// are tried a few times before the save gives up.

#include "platform/file_io.h"
#include "platform/win32/file_calls.h"

#include <atomic>
#include <cstddef>
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

// Names of the files a save makes beside the settings file:
// ".<file>.tmp-<pid>-<n>" for the new contents and ".<file>.bak-<pid>-<n>"
// for the old file while ReplaceFileW swaps them.
struct SaveNames {
    std::wstring Temporary;
    std::wstring Backup;
};

std::wstring SaveNamePrefix(const std::wstring& fileName, std::wstring_view kind)
{
    return L"." + fileName + L"." + std::wstring(kind) + L"-";
}

SaveNames MakeSaveNames(const std::wstring& directory, const std::wstring& fileName)
{
    static std::atomic<unsigned> counter{0};
    const std::wstring suffix =
        std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(counter.fetch_add(1));
    return SaveNames{directory + SaveNamePrefix(fileName, L"tmp") + suffix,
                     directory + SaveNamePrefix(fileName, L"bak") + suffix};
}

// The process id in "<pid>-<n>", or 0 when the text is not of that form.
DWORD ProcessIdOf(std::wstring_view rest)
{
    DWORD pid = 0;
    std::size_t i = 0;
    while (i < rest.size() && rest[i] >= L'0' && rest[i] <= L'9' && pid < 100000000) {
        pid = pid * 10 + static_cast<DWORD>(rest[i] - L'0');
        ++i;
    }
    return i > 0 && i < rest.size() && rest[i] == L'-' ? pid : 0;
}

bool ProcessHasEnded(DWORD pid)
{
    if (pid == ::GetCurrentProcessId()) {
        return false;
    }
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == nullptr) {
        return ::GetLastError() == ERROR_INVALID_PARAMETER; // no such process
    }
    DWORD code = 0;
    const bool ended = ::GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
    ::CloseHandle(process);
    return ended;
}

// Removes what saves of processes that no longer run left beside the
// settings file (a save killed half-way). A left-over old file is removed
// only while the settings file exists, so that it is never the last copy.
void RemoveStaleSaveFiles(const std::wstring& directory, const std::wstring& fileName)
{
    const std::wstring temporaryPrefix = SaveNamePrefix(fileName, L"tmp");
    const std::wstring backupPrefix = SaveNamePrefix(fileName, L"bak");
    const bool settingsFileExists = Exists(directory + fileName);
    WIN32_FIND_DATAW entry{};
    const HANDLE search = ::FindFirstFileW((directory + L"." + fileName + L".*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::wstring_view name(entry.cFileName);
        const bool temporary = name.substr(0, temporaryPrefix.size()) == temporaryPrefix;
        const bool backup = name.substr(0, backupPrefix.size()) == backupPrefix;
        if ((!temporary && !(backup && settingsFileExists)) || (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            continue;
        }
        const std::size_t prefixLength = temporary ? temporaryPrefix.size() : backupPrefix.size();
        const DWORD pid = ProcessIdOf(name.substr(prefixLength));
        if (pid != 0 && ProcessHasEnded(pid)) {
            ::DeleteFileW((directory + std::wstring(name)).c_str());
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

} // namespace

NativePath ToNativePath(std::u16string_view path)
{
    return NativePath(path.begin(), path.end());
}

ReadOutcome ReadWholeFile(const NativePath& path, std::string& bytes)
{
    FileHandle file;
    if (!OpenFile(file, path, GENERIC_READ, kShareAll, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                  IsTransientForReading)) {
        // A directory in the file's place exists but is no file to read.
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        const bool directory = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        return directory ? ReadOutcome::ReadError : ReadOutcome::CannotOpen;
    }
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0 &&
        static_cast<unsigned long long>(size.QuadPart) < bytes.max_size()) {
        bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    }
    char chunk[65536];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr)) {
            return ReadOutcome::ReadError;
        }
        if (got == 0) {
            return ReadOutcome::Ok;
        }
        bytes.append(chunk, got);
    }
}

bool ReplaceFileAtomically(const NativePath& path, std::string_view bytes)
{
    std::wstring target = path;
    DWORD attributes = ::GetFileAttributesW(target.c_str());
    const bool existed = attributes != INVALID_FILE_ATTRIBUTES;
    if (!existed && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
        return false; // no such directory, no access, ...
    }
    if (existed && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        if (!ResolveLinks(target)) {
            return false;
        }
        attributes = ::GetFileAttributesW(target.c_str());
    }
    if (existed) {
        // A player may make the settings file read-only to keep it as it is;
        // a file the process may not open for writing is not replaced either.
        if (attributes == INVALID_FILE_ATTRIBUTES ||
            (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
            return false;
        }
        FileHandle probe;
        if (!OpenFile(probe, target, GENERIC_WRITE, kShareAll, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                      IsTransientForWriting)) {
            return false;
        }
    }

    const std::wstring directory = DirectoryPrefixOf(target);
    const std::wstring fileName = target.substr(directory.size());
    SaveNames names;
    FileHandle file;
    for (int attempt = 0; attempt < 100 && !file.Valid(); ++attempt) {
        names = MakeSaveNames(directory, fileName);
        file.Reset(::CreateFileW(names.Temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
        if (!file.Valid()) {
            const DWORD error = ::GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
                return false;
            }
        }
    }
    if (!file.Valid()) {
        return false;
    }
    bool ok = WriteAll(file.Get(), bytes) && ::FlushFileBuffers(file.Get());
    ok = file.Close() && ok;
    if (ok && existed) {
        // ReplaceFileW gives the new file the old one's attributes; not every
        // implementation does (Wine does not), so the visible ones are set
        // beforehand too. Best effort: the replacement does not depend on it.
        ::SetFileAttributesW(names.Temporary.c_str(), attributes & kKeptAttributes);
    }
    ok = ok && (existed ? ReplaceExisting(names.Temporary, names.Backup, target)
                        : MoveIntoPlace(names.Temporary, target));
    if (!ok) {
        ::DeleteFileW(names.Temporary.c_str());
        return false;
    }
    RemoveStaleSaveFiles(directory, fileName);
    return true;
}

} // namespace qorva_zel

