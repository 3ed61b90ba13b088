// Listings of the directory a list stands in and of those above it: the tree copy comes back to a
// directory after each of its subdirectories, and listing it afresh every time would make
// copying a wide directory cost the square of its size. A kept directory is held
// (folder_hold.h), so its path keeps naming it, and watched; only large directories are kept:
// holding and watching one costs more than listing a small one again.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "install/folder_hold.h"
#include "platform/directory_changes.h"

namespace cdinst {

using ListedNames = std::shared_ptr<const std::vector<std::string>>;

// What a listing kept, and how many entries its search went through to find them.
struct SearchedNames {
  std::vector<std::string> names;
  size_t searched = 0;
};

class ListingCache {
 public:
  using Lister = std::function<SearchedNames()>;

  // Under Wine, where every file call is a round trip to its server, listing a directory again
  // costs about as much as the hold, watch and change poll that keeping it needs once its
  // search goes through this many entries.
  static constexpr size_t kCachedFromEntries = 64;

  // What `list` gives in `directory` (absolute, as CurrentDirectory reports it, just entered):
  // the names kept from an earlier call while `directory`, held since, has reported no change;
  // otherwise listed afresh. A directory whose search went
  // through kCachedFromEntries entries or more is watched from its second listing on, and the
  // watch begins before the listing, so a change during it counts. What is kept for directories
  // that are neither `directory` nor above it is let go. Exceptions from `list` pass through,
  // keeping nothing for `directory`.
  ListedNames Listing(const std::string& directory, const Lister& list);

  // Holds and watches `directory` (spelled as for Listing) before its first listing, whatever its
  // size: the copy comes back to where it started after each of its subdirectories.
  void WatchFromFirstListing(const std::string& directory);

  void Clear() { kept_.clear(); }

 private:
  // Listed once and neither held nor watched yet while `changes` is null; watched and not listed
  // yet while `names` is.
  struct Kept {
    std::string directory;
    std::unique_ptr<FolderHold> hold;
    std::unique_ptr<DirectoryChanges> changes;
    ListedNames names;
  };

  ListedNames Relist(Kept& kept, const Lister& list);
  void KeepOnlyAtOrAbove(const std::string& directory);
  ListedNames ListAndKeep(const std::string& directory, const Lister& list);
  // Holds and watches `directory`, kept without names; false when either cannot be done.
  bool Watch(const std::string& directory);
  std::vector<Kept>::iterator Find(const std::string& directory);

  std::vector<Kept> kept_;  // from the top down
};

}  // namespace cdinst
