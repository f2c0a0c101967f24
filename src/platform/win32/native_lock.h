// Windows flavour of the library lock: a critical section, initialised with a
// spin count of 1000 when the state object is made (on first use). The state
// is never destroyed, so the section is never deleted. It is recursive and
// meets the Lockable requirements, as the POSIX lock does. Windows has no
// fork(), so nothing here needs the POSIX lock's fork handlers.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace qorva_zel {

class RecursiveLock {
public:
    RecursiveLock() noexcept { ::InitializeCriticalSectionAndSpinCount(&section_, 1000); }
    ~RecursiveLock() { ::DeleteCriticalSection(&section_); }
    RecursiveLock(const RecursiveLock&) = delete;
    RecursiveLock& operator=(const RecursiveLock&) = delete;

    void lock() noexcept { ::EnterCriticalSection(&section_); }
    void unlock() noexcept { ::LeaveCriticalSection(&section_); }
    // As std::recursive_mutex::try_lock: true when the calling thread now
    // holds the lock (again).
    bool try_lock() noexcept { return ::TryEnterCriticalSection(&section_) != FALSE; }

private:
    CRITICAL_SECTION section_;
};

} // namespace qorva_zel
