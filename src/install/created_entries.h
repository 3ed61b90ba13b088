// What one install run created at the destination, so that a run whose copy fails can take it
// away again and a retry does not pass over folders left half filled.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "install/file_identity.h"

namespace cdinst {

// Another program may rename what the run made and put a link or another folder in its place
// once the run has let it go; identities taken as each entry is made tell the two apart.
class CreatedEntries {
 public:
  // Records the file at `path`, which the run has just created, with the identity it had then
  // (nothing when the system told none: such a file is never removed). Only a full path (drive
  // letter, colon, backslash; or \\server\share) is recorded: the current directory moves
  // during the copy, so a relative one could later name something else.
  void AddFile(const std::string& path, const std::optional<FileIdentity>& identity);

  // Records the directory `path`, which the run has just created; as AddFile otherwise.
  void AddDirectory(const std::string& path, const std::optional<FileIdentity>& identity);

  // Removes what was recorded, the latest first, so that each directory goes after everything
  // made in it; a read-only file loses that bit first. Only an entry that is still the one made
  // is removed, asked without following a link at its path; what was swapped stays. What cannot
  // be removed (a directory that another program has put something in, a file open elsewhere)
  // stays, and so do the directories holding it. Forgets the record. Raises nothing.
  void RemoveAll();

 private:
  struct Entry {
    std::string path;
    bool directory;
    std::optional<FileIdentity> identity;
  };
  void Add(const std::string& path, bool directory, const std::optional<FileIdentity>& identity);

  std::vector<Entry> entries_;
};

}  // namespace cdinst
