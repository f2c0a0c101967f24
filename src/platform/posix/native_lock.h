// POSIX flavour of the library lock.
#pragma once

#include <mutex>

namespace qorva_zel {
using RecursiveLock = std::recursive_mutex;
} // namespace qorva_zel
