// POSIX implementation of the settings file's operating-system calls.

// 64-bit file sizes, inode numbers and directory positions on 32-bit systems
// too, before any header: without them stat() and readdir() fail with
// EOVERFLOW where a file system hands out values past 32 bits (large inode
// numbers, hashed directory positions), and a 32-bit game could neither
// read its file nor clear the temporaries of killed saves.
#ifndef _FILE_OFFSET_BITS
#define _FILE_OFFSET_BITS 64
#endif

#include "platform/file_io.h"
#include "platform/save_names.h"

#include "text/utf.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
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
    void Reset(int fd) noexcept
    {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }
    // Gives the descriptor up without closing it.
    int Release() noexcept
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes now and reports whether the close succeeded. A close is never
    // repeated: Linux releases the descriptor even when it reports EINTR
    // (which then says nothing about the data; the file was synced before).
    bool Close() noexcept
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 || errno == EINTR;
    }

private:
    int fd_;
};

// Runs a file call again for as long as a signal interrupts it (a handler
// installed without SA_RESTART: profilers, crash reporters).
template <class Call>
auto Retrying(Call call) noexcept
{
    for (;;) {
        const auto result = call();
        if (result >= 0 || errno != EINTR) {
            return result;
        }
    }
}

int OpenRetrying(const char* path, int flags, mode_t mode = 0) noexcept
{
    return Retrying([&] { return ::open(path, flags, mode); });
}

int OpenAtRetrying(int directory, const char* name, int flags) noexcept
{
    return Retrying([&] { return ::openat(directory, name, flags); });
}

// An exclusive lock on the open file description, never waited for.
// Returns 0, or the errno of the refusal (EWOULDBLOCK: another holds it).
int TryLock(int fd) noexcept
{
    return Retrying([&] { return ::flock(fd, LOCK_EX | LOCK_NB); }) == 0 ? 0 : errno;
}

bool SameFile(const struct stat& a, const struct stat& b) noexcept
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
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

// Why a file call failed, as a replacement reports it.
ReplaceOutcome FailureOf(int error) noexcept
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return ReplaceOutcome::NoFolder;
    case EACCES:
    case EPERM:
    case EROFS:
        return ReplaceOutcome::NoPermission;
    default:
        return ReplaceOutcome::WriteError;
    }
}

// A player may make the settings file read-only to keep it as it is: a file
// with no write permission bit, or one the process may not open for writing,
// is not replaced. Otherwise opens it for writing into old (its extended
// attributes are read there, and a bind mount is written through it).
ReplaceOutcome OpenToReplace(const std::string& path, const struct stat& info, FileDescriptor& old)
{
    if (!S_ISREG(info.st_mode)) {
        return ReplaceOutcome::NotRegularFile;
    }
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return ReplaceOutcome::ReadOnly;
    }
    old.Reset(OpenRetrying(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    return old.Valid() ? ReplaceOutcome::Ok : FailureOf(errno);
}

// The extended attributes of a file: user attributes, the access-control
// list (system.posix_acl_access), a security label. Best effort: a file
// system without them gives none.
struct Attribute {
    std::string Name;
    std::string Value;
};

constexpr const char* kAccessAcl = "system.posix_acl_access";

std::vector<Attribute> ReadAttributes(int fd)
{
    std::vector<Attribute> attributes;
    std::string names;
    for (int round = 0; round < 8; ++round) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size <= 0) {
            return attributes;
        }
        names.resize(static_cast<std::size_t>(size));
        const ssize_t got = ::flistxattr(fd, names.data(), names.size());
        if (got >= 0) {
            names.resize(static_cast<std::size_t>(got));
            break;
        }
        if (errno != ERANGE) {
            return attributes;
        }
        names.clear(); // grown meanwhile
    }
    for (std::size_t at = 0; at < names.size();) {
        const std::size_t end = std::min(names.find('\0', at), names.size());
        Attribute attribute{names.substr(at, end - at), std::string()};
        at = end + 1;
        for (int round = 0; round < 8 && !attribute.Name.empty(); ++round) {
            const ssize_t size = ::fgetxattr(fd, attribute.Name.c_str(), nullptr, 0);
            if (size < 0) {
                break;
            }
            attribute.Value.resize(static_cast<std::size_t>(size));
            const ssize_t got = ::fgetxattr(fd, attribute.Name.c_str(), attribute.Value.data(), attribute.Value.size());
            if (got >= 0) {
                attribute.Value.resize(static_cast<std::size_t>(got));
                attributes.push_back(std::move(attribute));
                break;
            }
            if (errno != ERANGE) {
                break;
            }
        }
    }
    return attributes;
}

// Gives the new file the old one's owner, group, extended attributes and
// permission bits. The owner and group are compared with the new file's
// own (a set-group-ID folder gives it the folder's group) and restored
// where allowed; an attribute the file system refuses is left out. Only a
// failing fchmod fails the save.
bool CopyAccess(int fd, const struct stat& old, const std::vector<Attribute>& attributes) noexcept
{
    struct stat created {};
    if (::fstat(fd, &created) == 0 && (created.st_uid != old.st_uid || created.st_gid != old.st_gid)) {
        if (Retrying([&] { return ::fchown(fd, old.st_uid, old.st_gid); }) != 0 && created.st_gid != old.st_gid) {
            // Another user's file, saved by a member of its group.
            (void)!Retrying([&] { return ::fchown(fd, static_cast<uid_t>(-1), old.st_gid); });
        }
    }
    const bool oldHasAcl = std::any_of(attributes.begin(), attributes.end(),
                                       [](const Attribute& attribute) { return attribute.Name == kAccessAcl; });
    if (!oldHasAcl) {
        ::fremovexattr(fd, kAccessAcl); // one the folder's default ACL gave the new file
    }
    for (const Attribute& attribute : attributes) {
        ::fsetxattr(fd, attribute.Name.c_str(), attribute.Value.data(), attribute.Value.size(), 0);
    }
    // Last: it also sets an ACL's mask to the old group bits.
    return Retrying([&] { return ::fchmod(fd, old.st_mode & 07777); }) == 0;
}

std::string BaseNameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A save writes its new file beside the settings file under a name of
// save_names.h, and holds an exclusive flock() on it from just after
// creating it until it has been renamed (or removed). The lock, not a
// process id, says that a temporary is in use: it belongs to the open file,
// so it is released when the saver closes the file or dies in whatever way,
// and it means the same in every PID namespace that shares the directory.
// Names of earlier versions, which held no lock, are cleared too.
std::string TemporaryPrefix(const std::string& target)
{
    return save_names::Prefix<char>(BaseNameOf(target), save_names::kTemporaryKind);
}

// 64 bits from the system's random source; should it be unavailable (a
// sandbox refusing getentropy), the clock, an address and a counter mixed,
// which only make a clash with another saver's name, caught by O_EXCL, a
// little likelier.
std::uint64_t RandomBits() noexcept
{
    using save_names::Mix;
    std::uint64_t bits = 0;
    if (::getentropy(&bits, sizeof bits) == 0) {
        return bits;
    }
    static std::atomic<std::uint64_t> counter{0};
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    bits = Mix(static_cast<std::uint64_t>(now.tv_sec) * 1000000000ULL + static_cast<std::uint64_t>(now.tv_nsec));
    bits ^= Mix(reinterpret_cast<std::uintptr_t>(&bits) ^ counter.fetch_add(1));
    return Mix(bits);
}

std::string TemporaryName(const std::string& directory, const std::string& prefix)
{
    std::string name = directory + "/" + prefix;
    save_names::AppendRandomPart(name, RandomBits());
    return name;
}

// Removes the temporaries that no save holds any more (one killed in the
// middle of a save, in this or any other PID namespace): a temporary of the
// library's naming goes only when this process can take its lock, and while
// holding it, and only if the name still leads to the file locked. A file
// system without flock() refuses the lock, so nothing is removed there.
// Runs after the file was replaced: it throws nothing and cannot fail the
// save.
// Takes over the directory's descriptor.
void RemoveStaleTemporaries(int directoryFd, std::string_view prefix) noexcept
{
    DIR* listing = ::fdopendir(directoryFd);
    if (listing == nullptr) {
        ::close(directoryFd);
        return;
    }
    while (const dirent* entry = ::readdir(listing)) {
        if (!save_names::IsSaveName<char>(entry->d_name, prefix)) {
            continue;
        }
        struct stat named {};
        if (::fstatat(directoryFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(named.st_mode)) {
            continue; // never a link, a directory or a device
        }
        // Read and write where permitted: flock() emulated over NFS locks
        // only a file open for writing.
        int fd = OpenAtRetrying(directoryFd, entry->d_name, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) {
            fd = OpenAtRetrying(directoryFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        }
        FileDescriptor file(fd);
        struct stat locked {};
        if (file.Valid() && TryLock(file.Get()) == 0 && ::fstat(file.Get(), &locked) == 0 &&
            ::fstatat(directoryFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(locked, named)) {
            ::unlinkat(directoryFd, entry->d_name, 0);
        }
    }
    ::closedir(listing);
}

// Syncs the directory, so that the rename is on disk, and clears the stale
// temporaries in it.
void SyncAndClearDirectory(const std::string& directory, std::string_view prefix) noexcept
{
    const int directoryFd = OpenRetrying(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directoryFd >= 0) {
        Retrying([&] { return ::fsync(directoryFd); }); // best effort: some file systems refuse it
        RemoveStaleTemporaries(directoryFd, prefix);
    }
}

// A new temporary beside the settings file, created and locked. Another
// process's clean-up may open it between the two steps: when that one holds
// the lock, or held it and removed the file, another name is taken.
// Returns the descriptor (or -1 with errno set) and sets temporary and
// keeper, a second descriptor of the same open file that keeps the lock
// until it is closed after the rename.
int CreateTemporary(const std::string& directory, const std::string& prefix, std::string& temporary,
                    FileDescriptor& keeper)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = TemporaryName(directory, prefix);
        FileDescriptor file(OpenRetrying(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
        if (!file.Valid()) {
            if (errno == EEXIST) {
                continue;
            }
            return -1;
        }
        const int lockError = TryLock(file.Get());
        if (lockError == EWOULDBLOCK) {
            continue; // a clean-up holds it and removes it
        }
        if (lockError == 0) {
            struct stat created {};
            struct stat named {};
            if (::fstat(file.Get(), &created) != 0 || ::lstat(temporary.c_str(), &named) != 0 ||
                !SameFile(created, named)) {
                continue; // removed by a clean-up before the lock was taken
            }
            // Without a second descriptor (none left) the save goes on with
            // the lock held until the first is closed, before the rename.
            keeper.Reset(Retrying([&] { return ::fcntl(file.Get(), F_DUPFD_CLOEXEC, 0); }));
        }
        // A file system without flock() (lockError other than 0): the save
        // goes on unlocked; no clean-up there removes a temporary either.
        return file.Release();
    }
    errno = EEXIST;
    return -1;
}

FileIdentity IdentityOf(const struct stat& info) noexcept
{
    FileIdentity identity;
    identity.Device = static_cast<std::uint64_t>(info.st_dev);
    identity.Index = static_cast<std::uint64_t>(info.st_ino);
    identity.Size = static_cast<std::uint64_t>(info.st_size);
    identity.Modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    return identity;
}

// Whether the file at path is the one expected, with the content expected.
// Allocates nothing.
bool IsExpectedFile(const std::string& path, const ExpectedFile& expected) noexcept
{
    FileDescriptor file(OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat info {};
    if (!file.Valid() || ::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        !(IdentityOf(info) == expected.Identity) || expected.Bytes.size() != expected.Identity.Size) {
        return false;
    }
    char buffer[4096];
    std::string_view rest = expected.Bytes;
    for (;;) {
        const ssize_t count = Retrying([&] { return ::read(file.Get(), buffer, sizeof buffer); });
        if (count < 0) {
            return false;
        }
        const auto got = static_cast<std::size_t>(count);
        if (got == 0 || got > rest.size() || rest.substr(0, got) != std::string_view(buffer, got)) {
            return got == 0 && rest.empty();
        }
        rest.remove_prefix(got);
    }
}

// Writes bytes over the file open in fd, shortens it to their length and
// syncs it: the replacement of a file that rename cannot replace (a bind
// mount, which gives EBUSY, or EXDEV). Not atomic: a reader in between, or a
// crash, may see part of either content.
bool WriteInPlace(int fd, std::string_view bytes) noexcept
{
    if (::lseek(fd, 0, SEEK_SET) != 0 || !WriteAll(fd, bytes)) {
        return false;
    }
    return Retrying([&] { return ::ftruncate(fd, static_cast<off_t>(bytes.size())); }) == 0 &&
           Retrying([&] { return ::fsync(fd); }) == 0;
}

} // namespace

std::string ToNativePath(std::u16string_view path)
{
    std::string native = ToUtf8(path);
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}

// Only a regular file (reached through any links) is read, and only as much
// of it as fstat gives at the opening: a FIFO, a device, a socket, a
// directory or a file larger than kLargestReadableFile is refused without
// reading or waiting. O_NONBLOCK keeps the opening of a FIFO without a
// writer from blocking.
ReadOutcome ReadWholeFile(const std::string& path, std::string& bytes, FileIdentity* identity)
{
    FileDescriptor file(OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat info {};
    if (!file.Valid()) {
        const int error = errno;
        // A socket, for one, exists but cannot be opened.
        if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
            return ReadOutcome::NotRegularFile;
        }
        if (error == ENOENT || error == ENOTDIR) {
            return ReadOutcome::Missing;
        }
        return error == EACCES || error == EPERM ? ReadOutcome::NoPermission : ReadOutcome::CannotOpen;
    }
    if (::fstat(file.Get(), &info) != 0) {
        return ReadOutcome::ReadError;
    }
    if (!S_ISREG(info.st_mode)) {
        return ReadOutcome::NotRegularFile;
    }
    if (info.st_size < 0 || static_cast<std::uint64_t>(info.st_size) > kLargestReadableFile) {
        return ReadOutcome::TooLarge;
    }
    if (identity != nullptr) {
        *identity = IdentityOf(info);
    }
    const std::size_t start = bytes.size();
    const std::size_t size = static_cast<std::size_t>(info.st_size);
    bytes.resize(start + size);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t count = Retrying([&] { return ::read(file.Get(), bytes.data() + start + got, size - got); });
        if (count < 0) {
            bytes.resize(start);
            return ReadOutcome::ReadError;
        }
        if (count == 0) {
            break; // shortened meanwhile
        }
        got += static_cast<std::size_t>(count);
    }
    bytes.resize(start + got);
    return ReadOutcome::Ok;
}

ReplaceOutcome ReplaceFileAtomically(const std::string& path, std::string_view bytes, const ExpectedFile* expected)
{
    const std::string target = ResolveLinks(path);
    // Everything that allocates comes before the file is replaced: after the
    // rename an exception would leave a saved file unrecorded in memory.
    const std::string directory = DirectoryOf(target);
    const std::string prefix = TemporaryPrefix(target);
    struct stat old {};
    FileDescriptor oldFile(-1);
    const bool existed = ::stat(target.c_str(), &old) == 0;
    if (!existed && errno != ENOENT) {
        return FailureOf(errno);
    }
    if (!existed && expected != nullptr) {
        return ReplaceOutcome::Changed;
    }
    if (existed) {
        const ReplaceOutcome allowed = OpenToReplace(target, old, oldFile);
        if (allowed != ReplaceOutcome::Ok) {
            return allowed;
        }
    }
    const std::vector<Attribute> attributes = existed ? ReadAttributes(oldFile.Get()) : std::vector<Attribute>();

    std::string temporary;
    FileDescriptor keeper(-1);
    FileDescriptor file(CreateTemporary(directory, prefix, temporary, keeper));
    if (!file.Valid()) {
        return FailureOf(errno);
    }
    ReplaceOutcome outcome = ReplaceOutcome::Ok;
    const auto check = [&outcome](bool ok, ReplaceOutcome failure) {
        if (outcome == ReplaceOutcome::Ok && !ok) {
            outcome = failure;
        }
    };
    if (existed) {
        check(CopyAccess(file.Get(), old, attributes), ReplaceOutcome::WriteError);
    }
    check(outcome == ReplaceOutcome::Ok && WriteAll(file.Get(), bytes) &&
              Retrying([&] { return ::fsync(file.Get()); }) == 0,
          ReplaceOutcome::WriteError);
    check(file.Close(), ReplaceOutcome::WriteError);
    check(outcome != ReplaceOutcome::Ok || expected == nullptr || IsExpectedFile(target, *expected),
          ReplaceOutcome::Changed);
    bool inPlace = false;
    if (outcome == ReplaceOutcome::Ok &&
        Retrying([&] { return ::rename(temporary.c_str(), target.c_str()); }) != 0) {
        const int error = errno;
        inPlace = existed && (error == EBUSY || error == EXDEV);
        check(inPlace && WriteInPlace(oldFile.Get(), bytes), FailureOf(error));
    }
    if (outcome != ReplaceOutcome::Ok || inPlace) {
        ::unlink(temporary.c_str());
    }
    if (outcome != ReplaceOutcome::Ok) {
        return outcome;
    }
    keeper.Close(); // the lock is of no use once the name is gone
    SyncAndClearDirectory(directory, prefix);
    return ReplaceOutcome::Ok;
}

} // namespace qorva_zel
