// The library's one lock: recursive, one owner thread at a time, meeting the
// Lockable requirements so that callers hold it with std::lock_guard.
//
// Each platform folder provides native_lock.h (CMake puts the folder of the
// platform being built on the include path): a critical section with a spin
// count of 1000 on Windows, a recursive pthread mutex that fork() leaves
// usable in the child on POSIX.
#pragma once

#include "native_lock.h"
