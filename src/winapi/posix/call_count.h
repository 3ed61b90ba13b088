// How many Windows calls the program makes, for the system-call budget that scripts/bench
// checks. Each Windows function of the emulation opens with a WindowsCall; one made inside
// another (CloseHandle from _lclose, SetLastError from anything) is not counted again. Only the
// tests' copy of the emulation counts (CDINST_CALL_COUNT), never the one users' programs link;
// it writes the count at exit to the file the environment variable CDINST_CALL_COUNT names,
// when it is set: the total on the first line, then each function's count, the most called
// first.
#pragma once

namespace cdinst::posix {

#ifdef CDINST_CALL_COUNT
class WindowsCall {
 public:
  explicit WindowsCall(const char* function = __builtin_FUNCTION());
  ~WindowsCall();
  WindowsCall(const WindowsCall&) = delete;
  WindowsCall& operator=(const WindowsCall&) = delete;
};
#else
// Counts nothing; being user-provided, its constructor keeps the compiler from calling an
// instance unused.
class WindowsCall {
 public:
  WindowsCall() {}
};
#endif

}  // namespace cdinst::posix
