// Listings of the directory a list stands in and of those above it, kept while each is the same
// directory and the system reports no change in it: the tree copy comes back to a directory
// after each of its subdirectories, and listing it afresh every time would make copying a wide
// directory cost the square of its size.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "install/file_identity.h"
#include "platform/directory_changes.h"

namespace cdinst {

using ListedNames = std::shared_ptr<const std::vector<std::string>>;

class KeptListings {
 public:
  using Lister = std::function<std::vector<std::string>()>;

  // What `list` gives in `directory` (absolute, as CurrentDirectory reports it, just entered):
  // the names kept from an earlier call while `directory` is the directory they were listed in
  // and it has reported no change since; otherwise listed afresh. A directory is watched from
  // the second listing on, and the watch begins before the listing, so a change during it
  // counts. What is kept for directories that are neither `directory` nor above it is let go.
  // Exceptions from `list` pass through, keeping nothing for `directory`.
  ListedNames Listing(const std::string& directory, const Lister& list);

  void Clear() { kept_.clear(); }

 private:
  // Listed once and not watched yet while `changes` is null.
  struct Kept {
    std::string directory;
    FileIdentity identity;
    std::unique_ptr<DirectoryChanges> changes;
    ListedNames names;
  };

  ListedNames Relist(Kept& kept, const Lister& list);
  void KeepOnlyAtOrAbove(const std::string& directory);
  ListedNames ListAndKeep(const std::string& directory, const FileIdentity& identity,
                          const Lister& list);

  std::vector<Kept> kept_;  // from the top down
};

}  // namespace cdinst
