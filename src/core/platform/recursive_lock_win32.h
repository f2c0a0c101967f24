// Windows flavour of the library lock: a critical section.
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

private:
    CRITICAL_SECTION section_;
};

} // namespace qorva_zel
