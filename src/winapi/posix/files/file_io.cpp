// ReadFile and WriteFile at the handle's file pointer.
#include <algorithm>

#include "winapi/posix/call_count.h"
#include "winapi/posix/files/fault_injection.h"
#include "winapi/posix/files/file_buffers.h"
#include "winapi/posix/files/file_handles.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/progress.h"
#include "winapi/posix/stop_signals.h"

namespace cdinst::posix {
namespace {

// With an OVERLAPPED on a synchronous handle, Windows transfers at its offset and leaves the
// file pointer after the bytes transferred.
void StartAt(OpenFile& file, const OVERLAPPED* overlapped) {
  if (!overlapped) return;
  file.position = static_cast<int64_t>((static_cast<uint64_t>(overlapped->OffsetHigh) << 32) |
                                       overlapped->Offset);
}

void Finish(OpenFile& file, DWORD done, LPDWORD transferred, LPOVERLAPPED overlapped) {
  file.position += done;
  if (transferred) *transferred = done;
  if (overlapped) overlapped->InternalHigh = done;
}

// Windows' share modes keep other writers out of a file while a handle may write it; programs
// on Linux take no notice of them, and may append to a file meanwhile. A write at the end this
// handle knows goes to the end the file has now, so it never overwrites such bytes.
int Write(OpenFile& file, const char* buffer, DWORD count, DWORD& done) {
  if (file.knownEnd < 0 || file.position != file.knownEnd || count == 0) {
    const int error = WriteBuffered(file, buffer, count, done);
    if (file.knownEnd >= 0) file.knownEnd = std::max(file.knownEnd, file.position + done);
    return error;
  }
  int64_t end = 0;
  if (const int error = AppendAtEnd(file, buffer, count, done, end)) {
    file.knownEnd = -1;  // where the bytes went is not known; the handle stops appending
    return error;
  }
  file.position = end - done;
  file.knownEnd = end;
  return 0;
}

}  // namespace
}  // namespace cdinst::posix

BOOL ReadFile(HANDLE handle, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped) {
  const cdinst::posix::WindowsCall call;
  using namespace cdinst::posix;
  if (read) *read = 0;
  const std::shared_ptr<OpenFile> file = FindOpenFileToTransfer(handle);
  if (!file) return FailWith(FALSE, ERROR_INVALID_HANDLE);
  if (!file->canRead) return FailWith(FALSE, ERROR_ACCESS_DENIED);
  StartAt(*file, overlapped);
  if (StopSignal()) return FailWith(FALSE, ERROR_OPERATION_ABORTED);
  if (const DWORD fault = TakeReadFault()) return FailWith(FALSE, fault);
  DWORD done = 0;
  const int error = ReadBuffered(*file, static_cast<char*>(buffer), count, done);
  Finish(*file, done, read, overlapped);
  return error ? FailWith(FALSE, ErrorFromErrno(error)) : TRUE;
}

BOOL WriteFile(HANDLE handle, LPCVOID buffer, DWORD count, LPDWORD written,
               LPOVERLAPPED overlapped) {
  const cdinst::posix::WindowsCall call;
  using namespace cdinst::posix;
  if (written) *written = 0;
  const std::shared_ptr<OpenFile> file = FindOpenFileToTransfer(handle);
  if (!file) return FailWith(FALSE, ERROR_INVALID_HANDLE);
  if (!file->canWrite) return FailWith(FALSE, ERROR_ACCESS_DENIED);
  StartAt(*file, overlapped);
  if (StopSignal()) return FailWith(FALSE, ERROR_OPERATION_ABORTED);
  const WriteFault fault = TakeWriteFault(count);
  DWORD done = 0;
  const int error = Write(*file, static_cast<const char*>(buffer), fault.allowedBytes, done);
  Finish(*file, done, written, overlapped);
  if (Progress()) Progress()->BytesWritten(done);
  if (error) return FailWith(FALSE, ErrorFromErrno(error));
  return fault.code ? FailWith(FALSE, fault.code) : TRUE;
}
