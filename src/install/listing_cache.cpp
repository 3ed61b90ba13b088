#include "install/listing_cache.h"

#include <algorithm>
#include <utility>

#include "platform/path_parts.h"

namespace cdinst {
namespace {

ListedNames Listed(const ListingCache::Lister& list) {
  return std::make_shared<const std::vector<std::string>>(list().names);
}

}  // namespace

// Most directories are listed once and left for good, so a large directory is held and watched
// only once it is come back to; the first time only its place is marked.
ListedNames ListingCache::Listing(const std::string& directory, const Lister& list) {
  KeepOnlyAtOrAbove(directory);
  const auto same = Find(directory);
  if (same == kept_.end()) {
    SearchedNames first = list();
    if (first.searched >= kCachedFromEntries)
      kept_.push_back(Kept{directory, nullptr, nullptr, nullptr});
    return std::make_shared<const std::vector<std::string>>(std::move(first.names));
  }
  if (same->changes) {
    const bool changed = same->changes->Changed();
    if (same->names && !changed) return same->names;
    if (!changed || same->changes->Renew()) return Relist(*same, list);
  }
  kept_.erase(same);
  return ListAndKeep(directory, list);
}

// A listing that fails leaves nothing kept for the directory: its watch was renewed already.
ListedNames ListingCache::Relist(Kept& kept, const Lister& list) {
  try {
    kept.names = Listed(list);
  } catch (...) {
    kept_.erase(kept_.begin() + (&kept - kept_.data()));
    throw;
  }
  return kept.names;
}

void ListingCache::KeepOnlyAtOrAbove(const std::string& directory) {
  kept_.erase(
      std::remove_if(kept_.begin(), kept_.end(),
                     [&](const Kept& kept) { return !IsAtOrBelow(directory, kept.directory); }),
      kept_.end());
}

// The watch is set on the held directory, before the listing.
ListedNames ListingCache::ListAndKeep(const std::string& directory, const Lister& list) {
  return Watch(directory) ? Relist(kept_.back(), list) : Listed(list);
}

void ListingCache::WatchFromFirstListing(const std::string& directory) {
  if (Find(directory) == kept_.end()) Watch(directory);
}

std::vector<ListingCache::Kept>::iterator ListingCache::Find(const std::string& directory) {
  return std::find_if(kept_.begin(), kept_.end(),
                      [&](const Kept& kept) { return kept.directory == directory; });
}

bool ListingCache::Watch(const std::string& directory) {
  auto hold = std::make_unique<FolderHold>(directory);
  if (!hold->Held()) return false;
  auto changes = std::make_unique<DirectoryChanges>(directory);
  if (!changes->Watching()) return false;
  kept_.push_back(Kept{directory, std::move(hold), std::move(changes), nullptr});
  return true;
}

}  // namespace cdinst
