#include "install/directory_identity.h"

#include "winapi/winapi.h"

namespace cdinst {
namespace {

// Closes the handle when it goes out of scope.
class QueryHandle {
 public:
  explicit QueryHandle(HANDLE handle) : handle_(handle) {}
  ~QueryHandle() {
    if (Valid()) CloseHandle(handle_);
  }
  QueryHandle(const QueryHandle&) = delete;
  QueryHandle& operator=(const QueryHandle&) = delete;

  HANDLE Get() const { return handle_; }
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

}  // namespace

// A file system without file indexes reports 0 for every directory; taking that for an
// identity would make all its directories one.
std::optional<DirectoryIdentity> IdentityOfDirectory(const std::string& path) {
  const QueryHandle directory(
      CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!directory.Valid()) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(directory.Get(), &information)) return std::nullopt;
  if (!(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
  if (information.nFileIndexHigh == 0 && information.nFileIndexLow == 0) return std::nullopt;
  return DirectoryIdentity{information.dwVolumeSerialNumber, information.nFileIndexHigh,
                           information.nFileIndexLow};
}

}  // namespace cdinst
