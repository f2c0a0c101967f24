// Windows implementation details of the settings file's operating-system
// calls, shared with the tests that reach below the exported functions.
#pragma once


#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace qorva_zel::win32 {

// The system calls whose outcome depends on other processes or on the file
// system's state at that instant. The library calls them through this table,
// which holds the system's functions; a test may put its own in place to
// produce the rare outcomes (a partly failed ReplaceFileW, a transient
// sharing violation) and to count the waits instead of waiting.
struct FileCalls {
    decltype(&::ReplaceFileW) ReplaceFile;
    decltype(&::MoveFileExW) MoveFileEx;
    decltype(&::Sleep) Sleep;
};

FileCalls& TheFileCalls() noexcept;

// How often an operation that another process holds up (a sharing
// violation, or access denied while a scanner or indexer has the file open)
// is tried in all, and the wait in milliseconds between two tries.
inline constexpr int kFileAttempts = 8;
inline constexpr DWORD kRetryDelayMs = 25;

} // namespace qorva_zel::win32

