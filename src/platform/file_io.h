// The operating-system file calls of loading and saving. Each platform
// folder implements them (file_io.cpp) and says what a path is there
// (native_path.h); CMake compiles the folder of the platform being built.
#pragma once

#include "native_path.h"

#include <string>
#include <string_view>

namespace qorva_zel {

// The settings path as the platform's file calls take it.
NativePath ToNativePath(std::u16string_view path);

enum class ReadOutcome {
    Ok,
    CannotOpen, // missing, or not openable for reading
    ReadError,
};

// A settings file is a few kilobytes; a larger file than this is not read.
inline constexpr unsigned long long kLargestReadableFile = 64ULL * 1024 * 1024;

// Appends the whole file to bytes: a regular file (reached through any
// links), read up to the size it had when opened. Anything else in its
// place (a FIFO, a device, a socket, a directory) or a file larger than
// kLargestReadableFile is a ReadError, found without reading or waiting.
ReadOutcome ReadWholeFile(const NativePath& path, std::string& bytes);

// Replaces the file at path (or, for a symbolic link, the file it points to)
// with bytes, atomically: a new file is written, flushed and synced beside
// it and renamed over the old one. The new file keeps the old one's
// permission bits (on Windows: its attributes and security, through
// ReplaceFileW). A file that may not be written, or one marked read-only,
// is refused. Returns false on any failure, with no temporary file left and
// the old file untouched. Afterwards it removes the temporaries of saves
// that were killed (in any process), and never one a running save holds.
bool ReplaceFileAtomically(const NativePath& path, std::string_view bytes);

} // namespace qorva_zel
