#include "install/file_identity.h"

#include "platform/owned_handle.h"

namespace cdinst {
namespace {

// No access and every share mode, so that no holder can refuse it and nothing changes.
std::optional<FileIdentity> IdentityOpened(const std::string& path, DWORD flags) {
  const OwnedHandle file(CreateFileA(path.c_str(), 0,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, flags, nullptr));
  if (!file.Valid()) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(file.Get(), &information)) return std::nullopt;
  return IdentityIn(information);
}

}  // namespace

std::optional<FileIdentity> IdentityIn(const BY_HANDLE_FILE_INFORMATION& information) {
  if (information.nFileIndexHigh == 0 && information.nFileIndexLow == 0) return std::nullopt;
  return FileIdentity{information.dwVolumeSerialNumber, information.nFileIndexHigh,
                      information.nFileIndexLow};
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  return IdentityOpened(path, FILE_FLAG_BACKUP_SEMANTICS);
}

std::optional<FileIdentity> EntryIdentityOf(const std::string& path) {
  return IdentityOpened(path, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT);
}

}  // namespace cdinst
