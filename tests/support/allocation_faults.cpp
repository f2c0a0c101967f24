// The replaced global operator new and delete, and pugixml's allocation
// functions, with failures on demand. See allocation_faults.h.
#include "support/allocation_faults.h"

#include <cstddef>
#include <cstdlib>
#include <new>

#include <pugixml.hpp>

namespace qorva_zel_test::allocation_faults {
namespace {

// Constant-initialised, so reading it needs no allocation of its own.
struct ThreadState {
    bool Armed;
    Mode FailureMode;
    std::uint64_t Target;
    std::uint64_t Count;
    std::uint64_t Failures;
    bool FirstFailureInPugixml;
};

thread_local ThreadState t_state{};

// Counts one allocation of this thread and tells whether it is to fail.
bool FailThisOne(bool pugixml) noexcept
{
    ThreadState& state = t_state;
    if (!state.Armed) {
        return false;
    }
    ++state.Count;
    const bool fail =
        state.FailureMode == Mode::OnlyNth ? state.Count == state.Target : state.Count >= state.Target;
    if (fail) {
        if (state.Failures == 0) {
            state.FirstFailureInPugixml = pugixml;
        }
        ++state.Failures;
    }
    return fail;
}

void* AllocateBytes(std::size_t size) noexcept
{
    return std::malloc(size == 0 ? 1 : size);
}

void* AllocateAligned(std::size_t size, std::align_val_t alignment) noexcept
{
    std::size_t align = static_cast<std::size_t>(alignment);
    if (align < sizeof(void*)) {
        align = sizeof(void*);
    }
    void* memory = nullptr;
    return ::posix_memalign(&memory, align, size == 0 ? 1 : size) == 0 ? memory : nullptr;
}

void* NewOrThrow(std::size_t size)
{
    if (FailThisOne(false)) {
        throw std::bad_alloc();
    }
    if (void* memory = AllocateBytes(size)) {
        return memory;
    }
    throw std::bad_alloc();
}

void* NewAlignedOrThrow(std::size_t size, std::align_val_t alignment)
{
    if (FailThisOne(false)) {
        throw std::bad_alloc();
    }
    if (void* memory = AllocateAligned(size, alignment)) {
        return memory;
    }
    throw std::bad_alloc();
}

void* NewOrNull(std::size_t size) noexcept
{
    return FailThisOne(false) ? nullptr : AllocateBytes(size);
}

void* NewAlignedOrNull(std::size_t size, std::align_val_t alignment) noexcept
{
    return FailThisOne(false) ? nullptr : AllocateAligned(size, alignment);
}

void* PugixmlAllocate(std::size_t size)
{
    return FailThisOne(true) ? nullptr : AllocateBytes(size);
}

void PugixmlDeallocate(void* memory)
{
    std::free(memory);
}

// pugixml takes its functions before the first document of the process.
const bool g_pugixmlInstalled = [] {
    pugi::set_memory_management_functions(PugixmlAllocate, PugixmlDeallocate);
    return true;
}();

} // namespace

void Arm(std::uint64_t n, Mode mode)
{
    (void)g_pugixmlInstalled;
    t_state = ThreadState{true, mode, n, 0, 0, false};
}

Tally Disarm()
{
    ThreadState& state = t_state;
    state.Armed = false;
    Tally tally;
    tally.Allocations = state.Count;
    tally.Failures = state.Failures;
    tally.FirstFailureInPugixml = state.FirstFailureInPugixml;
    return tally;
}

} // namespace qorva_zel_test::allocation_faults

// ---- Every replaceable form of the global operator new and delete -------------

using namespace qorva_zel_test::allocation_faults;

void* operator new(std::size_t size)
{
    return NewOrThrow(size);
}

void* operator new[](std::size_t size)
{
    return NewOrThrow(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return NewOrNull(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return NewOrNull(size);
}

void* operator new(std::size_t size, std::align_val_t alignment)
{
    return NewAlignedOrThrow(size, alignment);
}

void* operator new[](std::size_t size, std::align_val_t alignment)
{
    return NewAlignedOrThrow(size, alignment);
}

void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return NewAlignedOrNull(size, alignment);
}

void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return NewAlignedOrNull(size, alignment);
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, const std::nothrow_t&) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, const std::nothrow_t&) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::size_t) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::align_val_t) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::align_val_t) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t, std::align_val_t) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::align_val_t, const std::nothrow_t&) noexcept
{
    std::free(memory);
}
