#include "winapi/posix/last_error.h"

#include <cerrno>

#include "winapi/posix/call_count.h"

namespace {
thread_local DWORD lastError = 0;
}

DWORD GetLastError() {
  const cdinst::posix::WindowsCall call;
  return lastError;
}
void SetLastError(DWORD code) {
  const cdinst::posix::WindowsCall call;
  lastError = code;
}

namespace cdinst::posix {

DWORD ErrorFromErrno(int error, DWORD missingCode) {
  switch (error) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
      return missingCode;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    case EEXIST:
      return ERROR_ALREADY_EXISTS;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return ERROR_DISK_FULL;
    case EROFS:
      return ERROR_WRITE_PROTECT;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EBUSY:
    case ETXTBSY:
      return ERROR_SHARING_VIOLATION;
    case ELOOP:
      return ERROR_CANT_RESOLVE_FILENAME;
    case ENODEV:
    case ENXIO:
      return ERROR_NOT_READY;
    case EIO:
      return ERROR_IO_DEVICE;
    default:
      return ERROR_GEN_FAILURE;
  }
}

}  // namespace cdinst::posix
