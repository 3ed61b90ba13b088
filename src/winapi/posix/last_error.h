// The thread's last-error slot and the mapping of errno values to Windows error codes.
#pragma once

#include "winapi/winapi.h"

namespace cdinst::posix {

// The Windows code for an errno value; `missingCode` is what ENOENT means at this call
// (ERROR_FILE_NOT_FOUND for a last component, ERROR_PATH_NOT_FOUND for a directory on the way).
DWORD ErrorFromErrno(int error, DWORD missingCode = ERROR_FILE_NOT_FOUND);

// Sets the last error from errno and returns `result`, for one-line failure exits.
template <typename T>
T FailWithErrno(T result, DWORD missingCode = ERROR_FILE_NOT_FOUND);

// Sets the last error to `code` and returns `result`.
template <typename T>
T FailWith(T result, DWORD code) {
  SetLastError(code);
  return result;
}

}  // namespace cdinst::posix

#include <cerrno>

template <typename T>
T cdinst::posix::FailWithErrno(T result, DWORD missingCode) {
  SetLastError(ErrorFromErrno(errno, missingCode));
  return result;
}
