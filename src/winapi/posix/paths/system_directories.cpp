// GetWindowsDirectoryA and GetSystemDirectoryA: the fixed places of a Wine prefix.
#include "winapi/posix/result_buffer.h"

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) {
  return cdinst::posix::CopyTextResult("C:\\windows", buffer, size);
}

UINT GetSystemDirectoryA(LPSTR buffer, UINT size) {
  return cdinst::posix::CopyTextResult("C:\\windows\\system32", buffer, size);
}
