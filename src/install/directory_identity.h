// Telling directories apart by what they are, not by how a path spells them: a symbolic link
// and its target share one identity.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace cdinst {

struct DirectoryIdentity {
  uint32_t volumeSerialNumber = 0;
  uint32_t fileIndexHigh = 0;
  uint32_t fileIndexLow = 0;

  bool operator==(const DirectoryIdentity& other) const {
    return volumeSerialNumber == other.volumeSerialNumber && fileIndexHigh == other.fileIndexHigh &&
           fileIndexLow == other.fileIndexLow;
  }
  bool operator!=(const DirectoryIdentity& other) const { return !(*this == other); }
};

// The volume serial number and file index of the directory `path` names, from a handle opened
// for queries only (no access, every share mode) and closed again. Nothing when the directory
// cannot be opened that way (a missing path, a file, a system that opens no directories) or
// when the file system reports no file index.
std::optional<DirectoryIdentity> IdentityOfDirectory(const std::string& path);

}  // namespace cdinst
