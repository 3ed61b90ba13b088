#include "install/folder_hold.h"

namespace cdinst {

// Wine enforces share modes only among its own processes: a Linux program can still rename the
// folder under the Windows program there. This follows Windows.
FolderHold::FolderHold(const std::string& path)
    : handle_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}

std::optional<FileIdentity> FolderHold::Identity() const {
  BY_HANDLE_FILE_INFORMATION information;
  if (!Held() || !GetFileInformationByHandle(handle_.Get(), &information)) return std::nullopt;
  return IdentityIn(information);
}

}  // namespace cdinst
