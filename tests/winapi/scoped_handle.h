// Test helpers for file handles: a handle closed at scope exit, and a short form of CreateFileA.
#pragma once

#include <string>

#include "winapi/winapi.h"

namespace cdinst::testing {

class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedHandle() { Close(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  HANDLE Get() const { return handle_; }
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  void Close() {
    if (Valid()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

inline HANDLE OpenForTest(const std::string& path, DWORD access, DWORD share,
                          DWORD disposition = OPEN_EXISTING) {
  return CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

// The last error of an open that is expected to fail, or ~0 when it succeeded.
inline DWORD OpenError(const std::string& path, DWORD access, DWORD share,
                       DWORD disposition = OPEN_EXISTING) {
  ScopedHandle handle(OpenForTest(path, access, share, disposition));
  return handle.Valid() ? ~DWORD{0} : GetLastError();
}

}  // namespace cdinst::testing
