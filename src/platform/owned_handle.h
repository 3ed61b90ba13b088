// A kernel handle that its owner closes when it goes.
#pragma once

#include "winapi/winapi.h"

namespace cdinst {

class OwnedHandle {
 public:
  explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
  ~OwnedHandle() {
    if (Valid()) CloseHandle(handle_);
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;

  HANDLE Get() const { return handle_; }
  // CreateFileA fails with INVALID_HANDLE_VALUE, CreateMutexA with null.
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }

 private:
  HANDLE handle_;
};

}  // namespace cdinst
