// A folder the run works in, held open without sharing deletion: Windows then lets no other
// program remove or rename it, or any folder above it, so its path leads into it for as long as
// it is held, and nothing need be checked before each creation in it.
#pragma once

#include <optional>
#include <string>

#include "install/file_identity.h"
#include "platform/owned_handle.h"

namespace cdinst {

class FolderHold {
 public:
  // Holds the directory `path` names; Held() tells whether that worked.
  explicit FolderHold(const std::string& path);

  bool Held() const { return handle_.Valid(); }

  // The held folder's identity; nothing when it is not held or the file system tells none.
  std::optional<FileIdentity> Identity() const;

  // Identity() of a folder just made by name in the folder whose identity is `parent`.
  std::optional<FileIdentity> IdentityMadeIn(const std::optional<FileIdentity>& parent) const;

 private:
  OwnedHandle handle_;
};

}  // namespace cdinst
