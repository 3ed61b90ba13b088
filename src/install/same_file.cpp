#include "install/same_file.h"

namespace cdinst {
namespace {

// Closes the handle when it goes out of scope.
class ProbeHandle {
 public:
  explicit ProbeHandle(HANDLE handle) : handle_(handle) {}
  ~ProbeHandle() {
    if (Valid()) CloseHandle(handle_);
  }
  ProbeHandle(const ProbeHandle&) = delete;
  ProbeHandle& operator=(const ProbeHandle&) = delete;

  HANDLE Get() const { return handle_; }
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

bool SameIdentity(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace

// A path that does not open is not the open file: with no access asked, no share mode and no
// read-only bit can keep a second open of that file out.
PathTarget WhatPathReaches(const char* path, const BY_HANDLE_FILE_INFORMATION& open) {
  const ProbeHandle probe(CreateFileA(path, 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!probe.Valid()) return PathTarget::kOtherFile;
  BY_HANDLE_FILE_INFORMATION found;
  if (!GetFileInformationByHandle(probe.Get(), &found)) return PathTarget::kUndecided;
  return SameIdentity(found, open) ? PathTarget::kSameFile : PathTarget::kOtherFile;
}

}  // namespace cdinst
