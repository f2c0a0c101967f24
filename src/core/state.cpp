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

} // namespace

SdkState& TheState() noexcept
{
    static Immortal<SdkState> state;
    return state.Get();
}

} // namespace qorva_zel
