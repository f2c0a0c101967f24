// How every exported function that returns a status runs its operation:
// under the library's lock, and, but for initialisation, only when the
// library is initialised.
//
// Exceptions. No operation catches anything but the load, and the one
// exception that can leave them is std::bad_alloc (memory exhaustion). It
// leaves the exported function after the lock has been released and every
// temporary freed, with the state as it was before the call or as a
// successful call leaves it. A load reports it as QORVA_ZEL_ERROR_FILE
// instead: a file too large for the memory there is is a file that cannot
// be loaded.
#pragma once

#include "qorva_zel.h"
#include "core/state.h"

#include <mutex>
#include <new>

namespace qorva_zel {

enum class Requires { Nothing, Initialized };
enum class OutOfMemory { Throws, IsFileError };

template <class Operation>
QORVA_ZEL_Status RunOperation(Requires needs, OutOfMemory outOfMemory, Operation&& operation)
{
    SdkState& state = TheState();
    std::lock_guard<RecursiveLock> guard(state.Lock);
    if (needs == Requires::Initialized && !state.IsInitialized) {
        return QORVA_ZEL_ERROR_NOT_INITIALIZED;
    }
    if (outOfMemory == OutOfMemory::Throws) {
        return operation(state);
    }
    try {
        return operation(state);
    } catch (const std::bad_alloc&) {
        return QORVA_ZEL_ERROR_FILE;
    }
}

// The usual case: initialised, std::bad_alloc leaves the call.
template <class Operation>
QORVA_ZEL_Status RunOperation(Operation&& operation)
{
    return RunOperation(Requires::Initialized, OutOfMemory::Throws, operation);
}

} // namespace qorva_zel
