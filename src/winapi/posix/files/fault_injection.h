// Test-only faults in the emulation's file reads and writes, for error paths a test cannot
// provoke on a real disk (a full disk, an unreadable sector). Nothing is armed unless a test
// arms it or the environment variable CDINST_FAULT is set. Only the tests' copy of the
// emulation has them (CDINST_FAULT_INJECTION); in users' programs every read and write goes
// ahead.
#pragma once

#include <cstdint>
#include <string_view>

#include "winapi/winapi.h"

namespace cdinst::posix {

// For WriteFile: how many of `count` bytes may be written, and the code the write then fails
// with (0: it succeeds).
struct WriteFault {
  DWORD allowedBytes;
  DWORD code;
};

#ifdef CDINST_FAULT_INJECTION

// Disarms every fault, those from CDINST_FAULT included; the variable is read afresh before the
// next read or write.
void ResetFaults();

// Arms the faults that `faults` describes, comma-separated items with decimal numbers:
// - "read:N:C": the Nth ReadFile (_lread included) from now, counting from 1, fails with code C
//   and reads nothing; the ones before and after it are untouched;
// - "write:N:C": the Nth WriteFile (_lwrite with a non-zero count included) fails likewise;
// - "writebytes:K:C": writes go through for K more bytes in all; the write that would go past
//   them writes the part that fits and fails with C, and so does every later write that has
//   bytes to write.
// Returns false and arms nothing when `faults` is malformed. CDINST_FAULT is armed this way
// before the process's first read or write.
bool ArmFaults(std::string_view faults);

// For ReadFile: the code this read must fail with, or 0 to go ahead.
DWORD TakeReadFault();

// For WriteFile: the fault, if any, for a write of `count` bytes.
WriteFault TakeWriteFault(DWORD count);

#else

inline DWORD TakeReadFault() { return 0; }
inline WriteFault TakeWriteFault(DWORD count) { return {count, 0}; }

#endif

}  // namespace cdinst::posix
