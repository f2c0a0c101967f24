// POSIX implementation of the settings file's operating-system calls.

#include "platform/file_io.h"

#include "settingsfile/text.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qorva_zel {
namespace {

// Owns one file descriptor.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const noexcept { return fd_; }
    bool Valid() const noexcept { return fd_ >= 0; }
    // Closes now and reports whether the close succeeded.
    bool Close() noexcept
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

int OpenRetrying(const char* path, int flags, mode_t mode = 0)
{
    int fd;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string DirectoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Follows symbolic links to the file they name, which need not exist yet.
std::string ResolveLinks(std::string path)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return path;
        }
        std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 256) + 1, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<std::size_t>(length) >= target.size()) {
            return path;
        }
        target.resize(static_cast<std::size_t>(length));
        path = (!target.empty() && target.front() == '/') ? target : DirectoryOf(path) + "/" + target;
    }
    return path;
}

// A player may make the settings file read-only to keep it as it is: a file
// with no write permission bit, or one the process may not open for writing,
// is not replaced.
bool MayReplace(const std::string& path, const struct stat& info)
{
    if (!S_ISREG(info.st_mode) || (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return false;
    }
    FileDescriptor probe(OpenRetrying(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    return probe.Valid();
}

std::string BaseNameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Temporary files are named ".<file>.tmp-<pid>-<n>" beside the file.
std::string TemporaryPrefix(const std::string& target)
{
    return "." + BaseNameOf(target) + ".tmp-";
}

std::string TemporaryName(const std::string& target)
{
    static std::atomic<unsigned> counter{0};
    return DirectoryOf(target) + "/" + TemporaryPrefix(target) + std::to_string(::getpid()) + "-" +
           std::to_string(counter.fetch_add(1));
}

// Removes the temporary files of earlier saves whose process no longer runs
// (one killed in the middle of a save). Temporaries of a live process, which
// may be saving right now, are left alone. Runs after the file was
// replaced, so it allocates nothing and cannot fail the save.
void RemoveStaleTemporaries(const std::string& directory, std::string_view prefix) noexcept
{
    DIR* listing = ::opendir(directory.c_str());
    if (listing == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name(entry->d_name);
        if (name.substr(0, prefix.size()) != prefix) {
            continue;
        }
        long pid = 0;
        const std::string_view rest = name.substr(prefix.size());
        const auto parsed = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
        if (parsed.ec != std::errc() || parsed.ptr == rest.data() + rest.size() || *parsed.ptr != '-' || pid <= 0) {
            continue;
        }
        if (pid != ::getpid() && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
            ::unlinkat(::dirfd(listing), entry->d_name, 0);
        }
    }
    ::closedir(listing);
}

void SyncDirectory(const std::string& directory) noexcept
{
    FileDescriptor dir(OpenRetrying(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Valid()) {
        ::fsync(dir.Get()); // best effort: some file systems refuse it
    }
}

} // namespace

std::string ToNativePath(std::u16string_view path)
{
    std::string native = ToUtf8(path);
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}

ReadOutcome ReadWholeFile(const std::string& path, std::string& bytes)
{
    FileDescriptor file(OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!file.Valid()) {
        return ReadOutcome::CannotOpen;
    }
    struct stat info {};
    if (::fstat(file.Get(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        bytes.reserve(static_cast<std::size_t>(info.st_size));
    }
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(file.Get(), chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return ReadOutcome::ReadError;
        }
        if (got == 0) {
            return ReadOutcome::Ok;
        }
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
}

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes)
{
    const std::string target = ResolveLinks(path);
    // Everything that allocates comes before the file is replaced: after the
    // rename an exception would leave a saved file unrecorded in memory.
    const std::string directory = DirectoryOf(target);
    const std::string prefix = TemporaryPrefix(target);
    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;
    if (existed ? !MayReplace(target, old) : errno != ENOENT) {
        return false;
    }

    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = TemporaryName(target);
        fd = OpenRetrying(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd < 0 && errno != EEXIST) {
            return false;
        }
    }
    FileDescriptor file(fd);
    if (!file.Valid()) {
        return false;
    }
    bool ok = true;
    if (existed) {
        ok = ::fchmod(file.Get(), old.st_mode & 07777) == 0;
        if (ok && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
            // Keeps the owner when allowed to (a save run by another user).
            (void)!::fchown(file.Get(), old.st_uid, old.st_gid);
        }
    }
    ok = ok && WriteAll(file.Get(), bytes) && ::fsync(file.Get()) == 0;
    ok = file.Close() && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncDirectory(directory);
    RemoveStaleTemporaries(directory, prefix);
    return true;
}

} // namespace qorva_zel

