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

// The identity of the file or directory open as `handle`; nothing when the file system tells none.
std::optional<FileIdentity> IdentityOfOpen(HANDLE handle);

// The identity of the file or directory `path` names, from a handle opened for queries only (no
// access, every share mode, so no holder can refuse it and nothing changes) and closed again.
// Nothing when the path does not open or the file system tells no identity.
std::optional<FileIdentity> IdentityOf(const std::string& path);

// The identity of the file or directory open as `handle`, which was just made by name in the
// folder whose identity is `folder`, and so lies on that folder's volume: only its file index is
// asked. GetFileInformationByHandle asks the volume as well, which under Wine is several round
// trips to its server for every file; it is asked only where `folder` is nothing.
std::optional<FileIdentity> IdentityMadeIn(HANDLE handle,
                                           const std::optional<FileIdentity>& folder);

// IdentityOf for the entry `path` names itself: a link there (a junction, a symbolic link) gives
// its own identity, not that of what it leads to.
std::optional<FileIdentity> EntryIdentityOf(const std::string& path);

}  // namespace cdinst
