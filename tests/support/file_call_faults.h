// Fault injection into the file calls of a save (POSIX).
//
// The test executable that links file_call_faults.cpp defines open, flock,
// write, fsync, close, rename and fchmod itself. Definitions in the executable come
// first in symbol look-up, so the library's calls arrive here too; each one
// is passed on to the C library unless a fault is armed for it.
//
// Only the calls of a save of one watched settings file take part: the
// probe that the file may be written, the creation of the temporary file
// beside it and every call on that temporary's descriptor, the rename, and
// the opening and syncing of the directory. Every other call (the test
// framework's output, reading files, the file system library) goes straight
// through, so faults are armed around the save alone.
#pragma once

#include <cstddef>
#include <string>

namespace qorva_zel_test::file_faults {

// The calls of a save, in the order it makes them.
enum class Call {
    ProbeOpen,     // open of the existing settings file for writing (may it be replaced?)
    Create,        // open(O_CREAT | O_EXCL) of the temporary file
    Lock,          // flock of the temporary: the save's claim on it
    Fchmod,        // the old file's permission bits onto the temporary
    Write,         // write to the temporary
    Fsync,         // fsync of the temporary
    Close,         // close of the temporary
    Rename,        // rename of the temporary over the settings file
    DirectoryOpen, // open of the settings directory, for its sync
    DirectorySync, // fsync of the settings directory
};
inline constexpr int kCallCount = 10;

const char* CallName(Call call);

enum class Action {
    Fail,       // the call fails with the armed errno (a close still releases the descriptor)
    KillBefore, // SIGKILL to the process before the real call
    KillAfter,  // SIGKILL to the process right after the real call
};

// Starts watching the calls that concern directory/fileName; clears the
// counts, the armed fault and the write limit.
void Watch(const std::string& directory, const std::string& fileName);
// Stops watching: every call goes straight through again.
void StopWatching();

// Arms one fault: the occurrence-th watched call of that kind (1 = the
// first) gets the action. Replaces an earlier armed fault.
void Arm(Call call, Action action, int error = 0, int occurrence = 1);
void Disarm();
// True once the armed fault has been applied.
bool Fired();

// Every watched write of the temporary writes at most this many bytes (0:
// no limit), as a file system may under pressure.
void LimitWrites(std::size_t bytes);

// How many calls of that kind were seen since Watch.
int Count(Call call);

} // namespace qorva_zel_test::file_faults
