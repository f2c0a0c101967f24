// The file calls of the test executable: counted, passed on to the C library
// through dlsym(RTLD_NEXT), or failed and killed at will. See file_call_faults.h.
//
// Fortified headers turn open into an inline wrapper that could not be
// defined here; the executable needs the plain declarations.
#undef _FORTIFY_SOURCE

#include "support/file_call_faults.h"
#include "support/save_names.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qorva_zel_test::file_faults {
namespace {

// Plain fixed-size state: the interposed calls must not allocate, and may
// run before any constructor of this file and after every destructor.
constexpr std::size_t kPathCapacity = 4096;

struct Watched {
    bool Active;
    char Directory[kPathCapacity];
    char Target[kPathCapacity];          // directory/fileName
    char TemporaryPrefix[kPathCapacity]; // directory/ and the temporaries' prefix
    int TemporaryFd;
    int DirectoryFd;
    int Counts[kCallCount];
    bool Armed;
    Call ArmedCall;
    Action ArmedAction;
    int ArmedError;
    int ArmedOccurrence;
    bool Fired;
    std::size_t WriteLimit;
};

Watched g_watched{};

bool StartsWith(const char* text, const char* prefix)
{
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

bool Equals(const char* a, const char* b)
{
    return std::strcmp(a, b) == 0;
}

void Copy(char (&to)[kPathCapacity], const std::string& from)
{
    const std::size_t length = from.size() < kPathCapacity - 1 ? from.size() : kPathCapacity - 1;
    std::memcpy(to, from.data(), length);
    to[length] = '\0';
}

void Kill()
{
    ::kill(::getpid(), SIGKILL);
    for (;;) {
        ::pause(); // SIGKILL cannot be caught; this is never reached
    }
}

// Counts a watched call and applies what is armed for it before the real
// call. Returns the errno to fail with, or 0 to go on.
int Before(Call call)
{
    const int index = static_cast<int>(call);
    ++g_watched.Counts[index];
    if (!g_watched.Armed || g_watched.ArmedCall != call || g_watched.Counts[index] != g_watched.ArmedOccurrence) {
        return 0;
    }
    g_watched.Fired = true;
    switch (g_watched.ArmedAction) {
    case Action::KillBefore:
        Kill();
        return 0;
    case Action::Fail:
        return g_watched.ArmedError;
    case Action::KillAfter:
        return 0;
    }
    return 0;
}

// Applies a kill armed for after the real call.
void After(Call call)
{
    if (g_watched.Armed && g_watched.Fired && g_watched.ArmedCall == call &&
        g_watched.ArmedAction == Action::KillAfter &&
        g_watched.Counts[static_cast<int>(call)] == g_watched.ArmedOccurrence) {
        Kill();
    }
}

bool Watching()
{
    return g_watched.Active;
}

// Which call of a save an open of path with flags is, if any.
bool ClassifyOpen(const char* path, int flags, Call& call)
{
    if (!Watching() || path == nullptr) {
        return false;
    }
    if ((flags & O_CREAT) != 0 && StartsWith(path, g_watched.TemporaryPrefix)) {
        call = Call::Create;
        return true;
    }
    if ((flags & O_CREAT) == 0 && (flags & O_ACCMODE) == O_WRONLY && Equals(path, g_watched.Target)) {
        call = Call::ProbeOpen;
        return true;
    }
    if ((flags & O_DIRECTORY) != 0 && Equals(path, g_watched.Directory)) {
        call = Call::DirectoryOpen;
        return true;
    }
    return false;
}

template <class Function>
Function Next(const char* name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

bool TakesMode(int flags)
{
#ifdef O_TMPFILE
    if ((flags & O_TMPFILE) == O_TMPFILE) {
        return true;
    }
#endif
    return (flags & O_CREAT) != 0;
}

// The mode argument of an open: present only when the flags create a file.
mode_t ModeArgument(int flags, va_list arguments)
{
    return TakesMode(flags) ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}

template <class Open>
int OpenWatched(Open open, const char* path, int flags, mode_t mode)
{
    Call call{};
    if (!ClassifyOpen(path, flags, call)) {
        return open(path, flags, mode);
    }
    if (const int error = Before(call)) {
        errno = error;
        return -1;
    }
    const int fd = open(path, flags, mode);
    if (fd >= 0 && call == Call::Create) {
        g_watched.TemporaryFd = fd;
    } else if (fd >= 0 && call == Call::DirectoryOpen) {
        g_watched.DirectoryFd = fd;
    }
    After(call);
    return fd;
}

using OpenFunction = int (*)(const char*, int, ...);
using OpenAtFunction = int (*)(int, const char*, int, ...);

// An openat relative to another directory never names the settings file.
int OpenAtWatched(OpenAtFunction next, int directoryFd, const char* path, int flags, mode_t mode)
{
    if (directoryFd != AT_FDCWD && path[0] != '/') {
        return next(directoryFd, path, flags, mode);
    }
    return OpenWatched([next](const char* p, int f, mode_t m) { return next(AT_FDCWD, p, f, m); }, path, flags,
                       mode);
}

int RealOpen(const char* path, int flags, mode_t mode)
{
    static const auto next = Next<OpenFunction>("open");
    return next(path, flags, mode);
}

int RealOpen64(const char* path, int flags, mode_t mode)
{
    static const auto next = Next<OpenFunction>("open64");
    return next(path, flags, mode);
}

} // namespace

const char* CallName(Call call)
{
    switch (call) {
    case Call::ProbeOpen:
        return "probe-open";
    case Call::Create:
        return "create";
    case Call::Lock:
        return "flock";
    case Call::Fchmod:
        return "fchmod";
    case Call::Write:
        return "write";
    case Call::Fsync:
        return "fsync";
    case Call::Close:
        return "close";
    case Call::Rename:
        return "rename";
    case Call::DirectoryOpen:
        return "directory-open";
    case Call::DirectorySync:
        return "directory-fsync";
    }
    return "?";
}

void Watch(const std::string& directory, const std::string& fileName)
{
    g_watched = Watched{};
    Copy(g_watched.Directory, directory);
    Copy(g_watched.Target, directory + "/" + fileName);
    Copy(g_watched.TemporaryPrefix, directory + "/" + TemporaryPrefix(fileName));
    g_watched.TemporaryFd = -1;
    g_watched.DirectoryFd = -1;
    g_watched.Active = true;
}

void StopWatching()
{
    g_watched.Active = false;
    g_watched.Armed = false;
}

void Arm(Call call, Action action, int error, int occurrence)
{
    g_watched.Armed = true;
    g_watched.ArmedCall = call;
    g_watched.ArmedAction = action;
    g_watched.ArmedError = error;
    g_watched.ArmedOccurrence = occurrence;
    g_watched.Fired = false;
}

void Disarm()
{
    g_watched.Armed = false;
}

bool Fired()
{
    return g_watched.Fired;
}

void LimitWrites(std::size_t bytes)
{
    g_watched.WriteLimit = bytes;
}

int Count(Call call)
{
    return g_watched.Counts[static_cast<int>(call)];
}

} // namespace qorva_zel_test::file_faults

// ---- The interposed C library functions -------------------------------------

using namespace qorva_zel_test::file_faults;

extern "C" {

int open(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    return OpenWatched(RealOpen, path, flags, mode);
}

int open64(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    return OpenWatched(RealOpen64, path, flags, mode);
}

// What fortified callers reach for an open without a mode.
int __open_2(const char* path, int flags)
{
    return OpenWatched(RealOpen, path, flags, 0);
}

int __open64_2(const char* path, int flags)
{
    return OpenWatched(RealOpen64, path, flags, 0);
}

int openat(int directoryFd, const char* path, int flags, ...)
{
    static const auto next = Next<OpenAtFunction>("openat");
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    return OpenAtWatched(next, directoryFd, path, flags, mode);
}

int openat64(int directoryFd, const char* path, int flags, ...)
{
    static const auto next = Next<OpenAtFunction>("openat64");
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    return OpenAtWatched(next, directoryFd, path, flags, mode);
}

ssize_t write(int fd, const void* data, size_t size)
{
    static const auto next = Next<ssize_t (*)(int, const void*, size_t)>("write");
    if (!Watching() || fd < 0 || fd != g_watched.TemporaryFd) {
        return next(fd, data, size);
    }
    if (const int error = Before(Call::Write)) {
        errno = error;
        return -1;
    }
    if (g_watched.WriteLimit != 0 && size > g_watched.WriteLimit) {
        size = g_watched.WriteLimit;
    }
    const ssize_t written = next(fd, data, size);
    After(Call::Write);
    return written;
}

int fsync(int fd)
{
    static const auto next = Next<int (*)(int)>("fsync");
    if (!Watching() || fd < 0 || (fd != g_watched.TemporaryFd && fd != g_watched.DirectoryFd)) {
        return next(fd);
    }
    const Call call = fd == g_watched.TemporaryFd ? Call::Fsync : Call::DirectorySync;
    if (const int error = Before(call)) {
        errno = error;
        return -1;
    }
    const int result = next(fd);
    After(call);
    return result;
}

int close(int fd)
{
    static const auto next = Next<int (*)(int)>("close");
    if (!Watching() || fd < 0 || (fd != g_watched.TemporaryFd && fd != g_watched.DirectoryFd)) {
        return next(fd);
    }
    if (fd == g_watched.DirectoryFd) {
        g_watched.DirectoryFd = -1;
        return next(fd);
    }
    g_watched.TemporaryFd = -1;
    // Like Linux, a failed close still releases the descriptor.
    const int error = Before(Call::Close);
    const int result = next(fd);
    if (error != 0) {
        errno = error;
        return -1;
    }
    After(Call::Close);
    return result;
}

int flock(int fd, int operation) noexcept
{
    static const auto next = Next<int (*)(int, int)>("flock");
    if (!Watching() || fd < 0 || fd != g_watched.TemporaryFd) {
        return next(fd, operation);
    }
    if (const int error = Before(Call::Lock)) {
        errno = error;
        return -1;
    }
    const int result = next(fd, operation);
    After(Call::Lock);
    return result;
}

int fchmod(int fd, mode_t mode) noexcept
{
    static const auto next = Next<int (*)(int, mode_t)>("fchmod");
    if (!Watching() || fd < 0 || fd != g_watched.TemporaryFd) {
        return next(fd, mode);
    }
    if (const int error = Before(Call::Fchmod)) {
        errno = error;
        return -1;
    }
    const int result = next(fd, mode);
    After(Call::Fchmod);
    return result;
}

int rename(const char* from, const char* to) noexcept
{
    static const auto next = Next<int (*)(const char*, const char*)>("rename");
    if (!Watching() || from == nullptr || !StartsWith(from, g_watched.TemporaryPrefix)) {
        return next(from, to);
    }
    if (const int error = Before(Call::Rename)) {
        errno = error;
        return -1;
    }
    const int result = next(from, to);
    After(Call::Rename);
    return result;
}

} // extern "C"
