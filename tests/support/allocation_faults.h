// Allocation-failure injection.
//
// The test executable that links allocation_faults.cpp replaces every form
// of the global operator new and delete (the shared library's allocations
// come here too) and hands pugixml its allocation functions. Once armed on a
// thread, the allocations of that thread are counted, operator new and
// pugixml's allocation alike, and the N-th fails: operator new throws
// std::bad_alloc (its nothrow forms return null), pugixml's allocation
// returns null. Other threads are never failed.
#pragma once

#include <cstdint>

namespace qorva_zel_test::allocation_faults {

enum class Mode {
    OnlyNth,   // the N-th allocation fails, every other succeeds
    FromNthOn, // the N-th and every later one fails
};

// What happened between Arm and Disarm on this thread.
struct Tally {
    std::uint64_t Allocations = 0;      // attempted, failed ones included
    std::uint64_t Failures = 0;         // injected failures
    bool FirstFailureInPugixml = false; // the first failure hit pugixml's allocation
};

// Arms this thread: the n-th allocation from now on (n >= 1) fails.
void Arm(std::uint64_t n, Mode mode);
// Disarms this thread and tells what happened since Arm.
Tally Disarm();

} // namespace qorva_zel_test::allocation_faults
