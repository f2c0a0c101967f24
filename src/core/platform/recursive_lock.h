// The library's one lock: recursive, one owner thread at a time.
//
// This is the platform seam for locking. On Windows it is a critical section
// with a spin count of 1000; elsewhere it is std::recursive_mutex. Both meet
// the BasicLockable requirements, so callers hold it with std::lock_guard.
#pragma once

#if defined(_WIN32)
#include "core/platform/recursive_lock_win32.h"
#else
#include <mutex>

namespace qorva_zel {
using RecursiveLock = std::recursive_mutex;
} // namespace qorva_zel
#endif
