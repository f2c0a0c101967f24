// The operating-system file calls of loading and saving. Each platform
// folder implements them (file_io.cpp) and says what a path is there
// (native_path.h); CMake compiles the folder of the platform being built.
#pragma once

#include "native_path.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qorva_zel {

// The settings path as the platform's file calls take it.
NativePath ToNativePath(std::u16string_view path);

// A settings file is a few kilobytes; a larger file than this is not read.
inline constexpr std::uint64_t kLargestReadableFile = 64ULL * 1024 * 1024;

enum class ReadOutcome {
    Ok,
    Missing,        // no file there (or no such folder)
    NoPermission,   // the file may not be opened for reading
    CannotOpen,     // not opened for another reason (a loop of links, a name too long, ...)
    NotRegularFile, // a directory, FIFO, device or socket in its place
    TooLarge,       // larger than kLargestReadableFile
    ReadError,      // opened, but reading failed
};

// Which file a read found and how it was, to tell later whether it is
// still the same: POSIX device, inode, size and modification time in
// nanoseconds; Windows volume serial number, file index, size and last
// write time in 100-nanosecond units.
struct FileIdentity {
    std::uint64_t Device = 0;
    std::uint64_t Index = 0;
    std::uint64_t Size = 0;
    std::int64_t Modified = 0;
};

inline bool operator==(const FileIdentity& a, const FileIdentity& b) noexcept
{
    return a.Device == b.Device && a.Index == b.Index && a.Size == b.Size && a.Modified == b.Modified;
}

// Appends the whole file to bytes: a regular file (reached through any
// links), read up to the size it had when opened. Anything else in its
// place (a FIFO, a device, a socket, a directory) or a file larger than
// kLargestReadableFile is refused without reading or waiting. identity, when
// given, receives the file's identity at the opening.
ReadOutcome ReadWholeFile(const NativePath& path, std::string& bytes, FileIdentity* identity = nullptr);

enum class ReplaceOutcome {
    Ok,
    ReadOnly,       // the file has no write permission (the read-only attribute)
    NoPermission,   // the file or its folder may not be written
    NoFolder,       // the folder does not exist
    NotRegularFile, // a directory, FIFO, device or socket in its place
    Changed,        // not the file expected: replaced or changed since it was read
    WriteError,     // writing, syncing or renaming failed (a full disk, an I/O error)
};

// What a replacement expects to find at the path: the file as a read found
// it, identity and content.
struct ExpectedFile {
    FileIdentity Identity;
    std::string_view Bytes;
};

// Replaces the file at path (or, for a symbolic link, the file it points to)
// with bytes, atomically: a new file is written, flushed and synced beside
// it and renamed over the old one. The new file keeps the old one's owner,
// group, permission bits and extended attributes, its access-control list
// among them, as far as the file system takes them (on Windows: its
// attributes and security, through ReplaceFileW). A file that may not be
// written, or one marked read-only, is refused. With expected given, a file
// that is no longer the one expected (or gone) is refused as Changed, checked
// just before the new file takes its place. On any failure no temporary file
// is left and the old file is untouched, with one exception on POSIX: where
// the rename cannot replace the file (EBUSY or EXDEV: it is a bind mount),
// the written and synced content is written into the file in place, which
// is not atomic. Afterwards it removes the temporaries of saves that were
// killed (in any process), and never one a running save holds.
ReplaceOutcome ReplaceFileAtomically(const NativePath& path, std::string_view bytes,
                                     const ExpectedFile* expected = nullptr);

} // namespace qorva_zel
