#include "install/file_identity.h"

#include "platform/owned_handle.h"

namespace cdinst {
namespace {

// Nothing when the file system keeps no file index: it reports 0 for every file, which would
// make them all one.
std::optional<FileIdentity> IdentityFrom(uint32_t volume, uint32_t indexHigh, uint32_t indexLow) {
  if (indexHigh == 0 && indexLow == 0) return std::nullopt;
  return FileIdentity{volume, indexHigh, indexLow};
}

// No access and every share mode, so that no holder can refuse it and nothing changes.
std::optional<FileIdentity> IdentityOpened(const std::string& path, DWORD flags) {
  const OwnedHandle file(CreateFileA(path.c_str(), 0,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, flags, nullptr));
  if (!file.Valid()) return std::nullopt;
  return IdentityOfOpen(file.Get());
}

}  // namespace

std::optional<FileIdentity> IdentityOfOpen(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(handle, &information)) return std::nullopt;
  return IdentityFrom(information.dwVolumeSerialNumber, information.nFileIndexHigh,
                      information.nFileIndexLow);
}

std::optional<FileIdentity> IdentityMadeIn(HANDLE handle,
                                           const std::optional<FileIdentity>& folder) {
  if (!folder) return IdentityOfOpen(handle);
  FILE_INTERNAL_INFORMATION information;
  IO_STATUS_BLOCK status;
  if (!NT_SUCCESS(NtQueryInformationFile(handle, &status, &information, sizeof information,
                                         FileInternalInformation))) {
    return std::nullopt;
  }
  const auto index = static_cast<uint64_t>(information.IndexNumber.QuadPart);
  return IdentityFrom(folder->volumeSerialNumber, static_cast<uint32_t>(index >> 32),
                      static_cast<uint32_t>(index));
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  return IdentityOpened(path, FILE_FLAG_BACKUP_SEMANTICS);
}

std::optional<FileIdentity> EntryIdentityOf(const std::string& path) {
  return IdentityOpened(path, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT);
}

}  // namespace cdinst
