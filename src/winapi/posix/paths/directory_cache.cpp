#include "winapi/posix/paths/directory_cache.h"

#include <fcntl.h>
#include <sys/inotify.h>

#include <algorithm>
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

// The directory at `unixDirectory` open for reading, and whether it is the one with
// `identity`; a held directory cannot be swapped, so the caller's identity of it holds.
UniqueFd OpenToRead(const std::string& unixDirectory, const Listings::Identity& identity,
                    bool& same) {
  const AtPath at = At(unixDirectory);
  UniqueFd directory(openat(at.base, at.path, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  struct stat info;
  same = directory.Valid() &&
         (at.NamesBase() || (fstat(directory.Get(), &info) == 0 &&
                             Listings::Identity{info.st_dev, info.st_ino} == identity));
  return directory;
}

// Reads the open directory with `identity` into a listing kept valid by the rule above; null
// where it cannot be watched or read.
Listing* ReadAndKeep(int directory, const Listings::Identity& identity) {
  Listings& listings = Listings::Instance();
  const int watch = listings.Watch(directory, identity.first, kWatched);
  if (watch < 0) return nullptr;
  Listing listing;
  const bool read = ReadDirectory(
      directory, [&listing](std::string_view name) { Add(listing, std::string(name)); });
  if (!read) {
    listings.Unwatch(watch);
    return nullptr;
  }
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

// Whether the Unix name's Windows form folds to `key`; an ASCII name, as most are, is compared
// where it lies (its '\\' and ':', shown as '?', are in no name looked up either).
bool FoldsTo(std::string_view unixName, std::string_view key) {
  const auto ascii = [](char c) { return static_cast<unsigned char>(c) < 0x80; };
  if (!std::all_of(unixName.begin(), unixName.end(), ascii)) {
    return FoldedCase(WindowsNameOf(unixName)) == key;
  }
  return std::equal(unixName.begin(), unixName.end(), key.begin(), key.end(), [](char c, char k) {
    return UpperWindows1252(c) == static_cast<unsigned char>(k);
  });
}

// Match, on a directory whose listing is not kept: each name is matched as it is read, for a
// listing built for one use made every name not spelled as on disk cost far more than reading.
std::optional<std::string> MatchWhileReading(int directory, std::string_view windowsName) {
  const std::string key = FoldedCase(windowsName);
  const std::string given = Windows1252ToUtf8(windowsName);
  const bool shortNameToo = CouldBeHashedShortName(windowsName);
  std::optional<std::string> byName;
  std::optional<std::string> byShortName;
  const auto lower = [](const std::optional<std::string>& best, std::string_view name) {
    return !best || name < *best;
  };
  const bool read = ReadDirectory(directory, [&](std::string_view name) {
    if (byName == given) return;
    if (FoldsTo(name, key)) {
      if (name == given || lower(byName, name)) byName = std::string(name);
    } else if (shortNameToo && !byName && lower(byShortName, name) &&
               FoldedCase(ShortNameOf(WindowsNameOf(name))) == key) {
      byShortName = std::string(name);
    }
  });
  if (!read) return std::nullopt;
  return byName ? byName : byShortName;
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
  if (Listing* kept = KeptListing(*status)) return Match(*kept, windowsName);
  bool same = false;
  const UniqueFd directory = OpenToRead(unixDirectory, {status->st_dev, status->st_ino}, same);
  if (!directory.Valid()) return std::nullopt;
  if (Listing* read =
          same ? ReadAndKeep(directory.Get(), {status->st_dev, status->st_ino}) : nullptr) {
    return Match(*read, windowsName);
  }
  return MatchWhileReading(directory.Get(), windowsName);
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

bool KeepListing(const HeldDirectory& held, const struct stat& status) {
  if (KeptListing(status)) return true;
  if (!ReportsEveryChange(held.Fd(), status.st_dev)) return false;
  bool same = false;
  const UniqueFd directory = OpenToRead(held.Path(), {status.st_dev, status.st_ino}, same);
  return same && ReadAndKeep(directory.Get(), {status.st_dev, status.st_ino}) != nullptr;
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
