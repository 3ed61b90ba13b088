#include "install/file_identity.h"

namespace cdinst {
namespace {

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

std::optional<FileIdentity> IdentityIn(const BY_HANDLE_FILE_INFORMATION& information) {
  if (information.nFileIndexHigh == 0 && information.nFileIndexLow == 0) return std::nullopt;
  return FileIdentity{information.dwVolumeSerialNumber, information.nFileIndexHigh,
                      information.nFileIndexLow};
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  const QueryHandle file(CreateFileA(path.c_str(), 0,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.Valid()) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(file.Get(), &information)) return std::nullopt;
  return IdentityIn(information);
}

}  // namespace cdinst
