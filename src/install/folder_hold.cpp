#include "install/folder_hold.h"

namespace cdinst {

// Wine enforces share modes only among its own processes: a Linux program can still rename the
// folder under the Windows program there. This follows Windows.
FolderHold::FolderHold(const std::string& path)
    : handle_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}

std::optional<FileIdentity> FolderHold::Identity() const {
  if (!Held()) return std::nullopt;
  return IdentityOfOpen(handle_.Get());
}

std::optional<FileIdentity> FolderHold::IdentityMadeIn(
    const std::optional<FileIdentity>& parent) const {
  if (!Held()) return std::nullopt;
  return cdinst::IdentityMadeIn(handle_.Get(), parent);
}

}  // namespace cdinst
