// Telling files and directories apart by what they are, not by how a path spells them: two
// spellings, letter cases or drive mappings of one name, or a symbolic link and its target,
// share one identity.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "winapi/winapi.h"

namespace cdinst {

struct FileIdentity {
  uint32_t volumeSerialNumber = 0;
  uint32_t fileIndexHigh = 0;
  uint32_t fileIndexLow = 0;

  bool operator==(const FileIdentity& other) const {
    return volumeSerialNumber == other.volumeSerialNumber && fileIndexHigh == other.fileIndexHigh &&
           fileIndexLow == other.fileIndexLow;
  }
  bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

// The identity in what GetFileInformationByHandle reported; nothing when the file system keeps
// no file index (it reports 0 for every file, which would make them all one).
std::optional<FileIdentity> IdentityIn(const BY_HANDLE_FILE_INFORMATION& information);

// The identity of the file or directory `path` names, from a handle opened for queries only (no
// access, every share mode, so no holder can refuse it and nothing changes) and closed again.
// Nothing when the path does not open or the file system tells no identity.
std::optional<FileIdentity> IdentityOf(const std::string& path);

// IdentityOf for the entry `path` names itself: a link there (a junction, a symbolic link) gives
// its own identity, not that of what it leads to.
std::optional<FileIdentity> EntryIdentityOf(const std::string& path);

}  // namespace cdinst
