#include "core/state.h"

#include <new>

namespace qorva_zel {
namespace {

// Storage for an object that is constructed once and never destroyed. Its
// memory stays reachable from here, so leak checkers do not count it.
template <class T>
class Immortal {
public:
    Immortal() { ::new (static_cast<void*>(storage_)) T(); }
    Immortal(const Immortal&) = delete;
    Immortal& operator=(const Immortal&) = delete;
    T& Get() noexcept { return *std::launder(reinterpret_cast<T*>(storage_)); }

private:
    alignas(T) unsigned char storage_[sizeof(T)];
};

// Makes the state on the first call. Kept out of TheState, so that every
// later call is a test of the guard and a return, without the registers
// that the construction needs saved and restored around it.
#if defined(__GNUC__)
#define QORVA_ZEL_NOINLINE __attribute__((noinline))
#else
#define QORVA_ZEL_NOINLINE
#endif
QORVA_ZEL_NOINLINE SdkState& MakeState() noexcept
{
    static Immortal<SdkState> state;
    return state.Get();
}

} // namespace

SdkState& TheState() noexcept
{
    static SdkState& state = MakeState();
    return state;
}

namespace {

// The state is made when the library is loaded, so that the game's first
// call finds it ready: its memory and the lock's fork handlers are set up
// with the rest of the program's start, not inside that call. A call from
// a static constructor that runs earlier (a game linking the static library)
// makes it then, through TheState.
[[maybe_unused]] const SdkState& madeAtLoad = TheState();

} // namespace

} // namespace qorva_zel
