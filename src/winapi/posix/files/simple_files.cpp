// The simple file-handle functions: thin forms of CreateFileA and friends, as Windows has them.
// An HFILE is the HANDLE value itself.
#include "winapi/posix/call_count.h"
#include "winapi/winapi.h"

namespace {

HANDLE ToHandle(HFILE file) { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(file)); }

HFILE ToHfile(HANDLE handle) {
  return static_cast<HFILE>(reinterpret_cast<LONG_PTR>(handle));  // INVALID_HANDLE_VALUE: -1
}

DWORD AccessOfMode(int mode) {
  switch (mode & 3) {
    case OF_READ:
      return GENERIC_READ;
    case OF_WRITE:
      return GENERIC_WRITE;
    case OF_READWRITE:
      return GENERIC_READ | GENERIC_WRITE;
    default:
      return 0;
  }
}

DWORD ShareOfMode(int mode) {
  switch (mode & 0x70) {
    case OF_SHARE_EXCLUSIVE:
      return 0;
    case OF_SHARE_DENY_WRITE:
      return FILE_SHARE_READ;
    case OF_SHARE_DENY_READ:
      return FILE_SHARE_WRITE;
    default:
      return FILE_SHARE_READ | FILE_SHARE_WRITE;  // deny none, compatibility, the rest
  }
}

}  // namespace

HFILE _lopen(LPCSTR path, int mode) {
  const cdinst::posix::WindowsCall call;
  return ToHfile(CreateFileA(path, AccessOfMode(mode), ShareOfMode(mode), nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
}

HFILE _lcreat(LPCSTR path, int attributes) {
  const cdinst::posix::WindowsCall call;
  const DWORD kept =
      attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  return ToHfile(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, CREATE_ALWAYS, kept, nullptr));
}

// A position of 0xFFFFFFFF is indistinguishable from HFILE_ERROR here, as on Windows.
LONG _llseek(HFILE file, LONG offset, int origin) {
  const cdinst::posix::WindowsCall call;
  return static_cast<LONG>(SetFilePointer(ToHandle(file), offset, nullptr, origin));
}

UINT _lread(HFILE file, LPVOID buffer, UINT count) {
  const cdinst::posix::WindowsCall call;
  DWORD read = 0;
  if (!ReadFile(ToHandle(file), buffer, count, &read, nullptr)) return HFILE_ERROR;
  return read;
}

// A count of 0 sets the end of the file at the file pointer, cutting or extending it.
UINT _lwrite(HFILE file, LPCCH buffer, UINT count) {
  const cdinst::posix::WindowsCall call;
  if (count == 0) return SetEndOfFile(ToHandle(file)) ? 0 : HFILE_ERROR;
  DWORD written = 0;
  if (!WriteFile(ToHandle(file), buffer, count, &written, nullptr)) return HFILE_ERROR;
  return written;
}

HFILE _lclose(HFILE file) {
  const cdinst::posix::WindowsCall call;
  return CloseHandle(ToHandle(file)) ? 0 : HFILE_ERROR;
}
