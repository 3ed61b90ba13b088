// File pointer and file size: SetFilePointer, GetFileSize(Ex), SetEndOfFile.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "winapi/posix/call_count.h"
#include "winapi/posix/files/file_handles.h"
#include "winapi/posix/last_error.h"

namespace cdinst::posix {
namespace {

DWORD FileSize(const OpenFile& file, int64_t& size) {
  if (file.disc) {
    size = static_cast<int64_t>(file.disc->Entry().size);
    return ERROR_SUCCESS;
  }
  struct stat info;
  if (fstat(file.Fd(), &info) != 0) return ErrorFromErrno(errno);
  size = info.st_size;
  return ERROR_SUCCESS;
}

// Moves the file pointer; a target before the start fails and leaves it where it was.
DWORD Seek(OpenFile& file, int64_t distance, DWORD method) {
  int64_t origin = 0;
  if (method == FILE_CURRENT) {
    origin = file.position;
  } else if (method == FILE_END) {
    if (const DWORD error = FileSize(file, origin)) return error;
  } else if (method != FILE_BEGIN) {
    return ERROR_INVALID_PARAMETER;
  }
  int64_t target = 0;
  if (__builtin_add_overflow(origin, distance, &target)) return ERROR_INVALID_PARAMETER;
  if (target < 0) return ERROR_NEGATIVE_SEEK;
  file.position = target;
  return ERROR_SUCCESS;
}

// The handle's file, or null with ERROR_INVALID_HANDLE set.
std::shared_ptr<OpenFile> FileOrFail(HANDLE handle) {
  std::shared_ptr<OpenFile> file = FindOpenFile(handle);
  if (!file) SetLastError(ERROR_INVALID_HANDLE);
  return file;
}

}  // namespace
}  // namespace cdinst::posix

DWORD SetFilePointer(HANDLE handle, LONG distance, PLONG distanceHigh, DWORD method) {
  const cdinst::posix::WindowsCall call;
  using namespace cdinst::posix;
  const auto file = FileOrFail(handle);
  if (!file) return INVALID_SET_FILE_POINTER;
  // Without a high part the distance is a signed 32-bit number.
  const int64_t wide =
      distanceHigh ? static_cast<int64_t>(
                         (static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh)) << 32) |
                         static_cast<uint32_t>(distance))
                   : distance;
  if (const DWORD error = Seek(*file, wide, method)) {
    return FailWith(INVALID_SET_FILE_POINTER, error);
  }
  if (distanceHigh) *distanceHigh = static_cast<LONG>(file->position >> 32);
  const auto low = static_cast<DWORD>(file->position);
  // The caller tells this position from a failure by a last error of 0.
  if (low == INVALID_SET_FILE_POINTER) SetLastError(ERROR_SUCCESS);
  return low;
}

DWORD GetFileSize(HANDLE handle, LPDWORD sizeHigh) {
  const cdinst::posix::WindowsCall call;
  using namespace cdinst::posix;
  const auto file = FileOrFail(handle);
  if (!file) return INVALID_FILE_SIZE;
  int64_t size = 0;
  if (const DWORD error = FileSize(*file, size)) return FailWith(INVALID_FILE_SIZE, error);
  if (file->knownEnd >= 0) file->knownEnd = size;
  if (sizeHigh) *sizeHigh = static_cast<DWORD>(static_cast<uint64_t>(size) >> 32);
  const auto low = static_cast<DWORD>(size);
  if (low == INVALID_FILE_SIZE) SetLastError(ERROR_SUCCESS);
  return low;
}

BOOL GetFileSizeEx(HANDLE handle, PLARGE_INTEGER size) {
  const cdinst::posix::WindowsCall call;
  using namespace cdinst::posix;
  const auto file = FileOrFail(handle);
  if (!file) return FALSE;
  if (!size) return FailWith(FALSE, ERROR_INVALID_PARAMETER);
  int64_t bytes = 0;
  if (const DWORD error = FileSize(*file, bytes)) return FailWith(FALSE, error);
  if (file->knownEnd >= 0) file->knownEnd = bytes;
  size->QuadPart = bytes;
  return TRUE;
}

// Without write access Windows refuses with 5 (Wine says 87). A file that grew past the end
// this handle knows was written by a program that ignores share modes; cutting it would drop
// bytes this handle never read, so the cut is refused as a locked range would be.
BOOL SetEndOfFile(HANDLE handle) {
  const cdinst::posix::WindowsCall call;
  using namespace cdinst::posix;
  const auto file = FileOrFail(handle);
  if (!file) return FALSE;
  if (!file->canWrite) return FailWith(FALSE, ERROR_ACCESS_DENIED);
  if (file->knownEnd >= 0) {
    int64_t size = 0;
    if (const DWORD error = FileSize(*file, size)) return FailWith(FALSE, error);
    if (size > file->knownEnd) return FailWith(FALSE, ERROR_LOCK_VIOLATION);
  }
  if (ftruncate(file->Fd(), file->position) != 0) return FailWithErrno(FALSE);
  if (file->knownEnd >= 0) file->knownEnd = file->position;
  return TRUE;
}
