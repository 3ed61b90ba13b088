#include "winapi/posix/paths/directory_cache.h"

#include <fcntl.h>
#include <sys/inotify.h>

#include <set>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "codepage/windows1252.h"
#include "winapi/posix/paths/at_path.h"
#include "winapi/posix/paths/directory_entries.h"
#include "winapi/posix/paths/short_names.h"
#include "winapi/posix/paths/watched_directories.h"
#include "winapi/posix/unique_fd.h"

namespace cdinst::posix {
namespace {

// A listing is kept by the rule of watched_directories.h: every name that any program adds or
// removes is applied to it before each use, so none is missed. The attributes kept beside it go
// with any event that names their entry; a mode or an extended attribute changes only with one.
constexpr uint32_t kWatched = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB |
                              IN_DELETE_SELF | IN_ONLYDIR | IN_EXCL_UNLINK;

// Enough for the directories one installation fills.
constexpr size_t kMostListings = 64;

// From a folded name to the Unix names having it, the lowest first.
using NamesByKey = std::unordered_map<std::string, std::set<std::string>>;

struct Listing {
  NamesByKey byName;                      // Windows-1252 name, upper case
  std::optional<NamesByKey> byShortName;  // hashed short name, upper case; made when first needed
  std::unordered_map<std::string, uint32_t> attributes;  // by Unix name, "" for the directory
};

using Listings = WatchedDirectories<Listing>;

// Names equal without regard to case have the same short name.
void AddShortName(NamesByKey& byShortName, const std::string& unixName) {
  const std::string shortName = ShortNameOf(WindowsNameOf(unixName));
  if (!shortName.empty()) byShortName[FoldedCase(shortName)].insert(unixName);
}

void Add(Listing& listing, const std::string& unixName) {
  listing.byName[FoldedCase(WindowsNameOf(unixName))].insert(unixName);
  if (listing.byShortName) AddShortName(*listing.byShortName, unixName);
}

void Remove(Listing& listing, const std::string& unixName) {
  const auto found = listing.byName.find(FoldedCase(WindowsNameOf(unixName)));
  if (found != listing.byName.end() && found->second.erase(unixName) && found->second.empty()) {
    listing.byName.erase(found);
  }
  listing.byShortName.reset();
}

// A name is made only where none was, so an entry's attributes were read after its making, and
// only the other events can tell of a change since.
bool Apply(Listing& listing, const inotify_event& event, const char* name) {
  if (!(event.mask & IN_CREATE)) listing.attributes.erase(name);
  if (*name == '\0') return true;  // the directory itself
  if (event.mask & (IN_CREATE | IN_MOVED_TO)) Add(listing, name);
  if (event.mask & (IN_DELETE | IN_MOVED_FROM)) Remove(listing, name);
  return true;
}

// Reads the directory, keeping the listing where it can be kept valid; otherwise it serves this
// one use. Null when the directory cannot be read.
Listing* ReadListing(Listings& listings, const std::string& unixDirectory,
                     const Listings::Identity& identity) {
  const AtPath at = At(unixDirectory);
  const UniqueFd directory(openat(at.base, at.path, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!directory.Valid()) return nullptr;
  // A held directory cannot be swapped: the caller's identity of it holds.
  struct stat info;
  info.st_dev = identity.first;
  info.st_ino = identity.second;
  if (!at.NamesBase() && fstat(directory.Get(), &info) != 0) return nullptr;
  const bool same = Listings::Identity{info.st_dev, info.st_ino} == identity;
  const int watch = same ? listings.Watch(directory.Get(), info.st_dev, kWatched) : -1;
  const std::optional<std::vector<std::string>> names = ListDirectory(directory.Get());
  if (!names) {
    if (watch >= 0) listings.Unwatch(watch);
    return nullptr;
  }
  static Listing unkept;
  Listing listing;
  for (const std::string& name : *names) Add(listing, name);
  if (watch < 0) return &(unkept = std::move(listing));
  return &listings.Keep(identity, watch, std::move(listing), 0, kMostListings, 0);
}

// Where nothing is kept for the directory, the queue is not read.
Listing* KeptListing(const struct stat& status) {
  Listings& listings = Listings::Instance();
  const Listings::Identity identity{status.st_dev, status.st_ino};
  if (!listings.Find(identity)) return nullptr;
  listings.TakeEvents(Apply);
  return listings.Find(identity);
}

Listing* CurrentListing(const std::string& unixDirectory, const struct stat& status) {
  Listing* kept = KeptListing(status);
  if (kept) return kept;
  return ReadListing(Listings::Instance(), unixDirectory, {status.st_dev, status.st_ino});
}

std::optional<std::string> Lowest(const NamesByKey& names, const std::string& key) {
  const auto found = names.find(key);
  if (found == names.end()) return std::nullopt;
  return *found->second.begin();
}

// The spelling as given wins, as where it is tried on disk first.
std::optional<std::string> Match(Listing& listing, std::string_view windowsName) {
  const std::string key = FoldedCase(windowsName);
  const auto byName = listing.byName.find(key);
  if (byName != listing.byName.end()) {
    const std::string given = Windows1252ToUtf8(windowsName);
    return byName->second.count(given) ? given : *byName->second.begin();
  }
  if (!CouldBeHashedShortName(windowsName)) return std::nullopt;
  if (!listing.byShortName) {
    listing.byShortName.emplace();
    for (const auto& [folded, names] : listing.byName) {
      for (const std::string& name : names) AddShortName(*listing.byShortName, name);
    }
  }
  return Lowest(*listing.byShortName, key);
}

}  // namespace

std::optional<std::string> MatchIgnoringCase(const std::string& unixDirectory,
                                             std::string_view windowsName,
                                             const struct stat* status) {
  struct stat info;
  if (!status) {
    const AtPath at = At(unixDirectory);
    if (fstatat(at.base, at.path, &info, 0) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
    status = &info;
  }
  Listing* listing = CurrentListing(unixDirectory, *status);
  return listing ? Match(*listing, windowsName) : std::nullopt;
}

bool MatchInKeptListing(const struct stat& status, std::string_view windowsName,
                        std::optional<std::string>& match) {
  Listing* listing = KeptListing(status);
  if (!listing) return false;
  match = Match(*listing, windowsName);
  return true;
}

bool ListingKept(const struct stat& directory) {
  return Listings::Instance().Find({directory.st_dev, directory.st_ino}) != nullptr;
}

bool KeepListing(const std::string& unixDirectory, const struct stat& status) {
  return CurrentListing(unixDirectory, status) && ListingKept(status);
}

std::optional<uint32_t> KeptEntryAttributes(const struct stat& directory,
                                            const std::string& unixName) {
  const Listing* listing = KeptListing(directory);
  if (!listing) return std::nullopt;
  const auto kept = listing->attributes.find(unixName);
  if (kept == listing->attributes.end()) return std::nullopt;
  return kept->second;
}

void KeepEntryAttributes(const struct stat& directory, const std::string& unixName,
                         uint32_t attributes) {
  Listing* listing = Listings::Instance().Find({directory.st_dev, directory.st_ino});
  if (listing) listing->attributes[unixName] = attributes;
}

}  // namespace cdinst::posix
