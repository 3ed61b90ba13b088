// Failure signalling of directory and text-file operations: the per-thread pending code and
// the IoError raised from it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/program_error.h"

namespace cdinst {

class IoError : public ProgramError {
 public:
  IoError(int32_t code, const void* place);
  const char* KindName() const override { return "IoError"; }
  int32_t IoErrorCode() const { return code_; }

 private:
  int32_t code_;
};

// The message for a code: the program's table, else "I/O error <code>".
std::string IoErrorMessage(int32_t code);

// Stores `code` as the pending result, replacing whatever the slot held (non-raising form).
void RecordIoResult(int32_t code);

// Returns the pending code and clears the slot; 0 means the last operations succeeded.
int32_t TakeIoResult();

// The raising form's check: when a code is pending (from this operation or an earlier
// non-raising one), clears the slot and raises IoError with it.
void RaiseIfIoResultPending();

}  // namespace cdinst
