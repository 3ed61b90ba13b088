#include "platform/io_error.h"

namespace cdinst {
namespace {

thread_local int32_t pendingIoResult = 0;

struct CodeMessage {
  int32_t code;
  const char* message;
};

constexpr CodeMessage kMessages[] = {
    {2, "File not found"},          {3, "Invalid filename"},          {4, "Too many open files"},
    {5, "File access denied"},      {100, "Read beyond end of file"}, {101, "Disk full"},
    {106, "Invalid numeric input"},
};

}  // namespace

IoError::IoError(int32_t code, const void* place)
    : ProgramError(IoErrorMessage(code), place), code_(code) {}

std::string IoErrorMessage(int32_t code) {
  for (const CodeMessage& entry : kMessages) {
    if (entry.code == code) return entry.message;
  }
  return "I/O error " + std::to_string(code);
}

void RecordIoResult(int32_t code) { pendingIoResult = code; }

int32_t TakeIoResult() {
  const int32_t code = pendingIoResult;
  pendingIoResult = 0;
  return code;
}

// Not inlined, so that the return address names the operation that failed.
__attribute__((noinline)) void RaiseIfIoResultPending() {
  if (pendingIoResult == 0) return;
  throw IoError(TakeIoResult(), __builtin_return_address(0));
}

}  // namespace cdinst
