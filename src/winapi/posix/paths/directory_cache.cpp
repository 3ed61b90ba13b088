#include "winapi/posix/paths/directory_cache.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/inotify.h>
#include <sys/vfs.h>

#include <map>
#include <set>
#include <unordered_map>
#include <vector>

#include "codepage/windows1252.h"
#include "winapi/posix/paths/at_path.h"
#include "winapi/posix/paths/directory_entries.h"
#include "winapi/posix/paths/inotify_queue.h"
#include "winapi/posix/paths/short_names.h"
#include "winapi/posix/unique_fd.h"

namespace cdinst::posix {
namespace {

// A listing is kept, by the directory's identity, only while inotify reports every change to
// it: its watch is set before the directory is read, and every event queued is applied to it
// before each use, so no name that any program adds or removes is missed. A lost watch (the
// directory is gone) or an overflowing queue drops listings. That holds on a file system whose
// every change this kernel makes; elsewhere (a network or user-space file system) each lookup
// reads the directory.
constexpr uint32_t kWatched = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF |
                              IN_ONLYDIR | IN_EXCL_UNLINK;

// Enough for the directories one installation fills; past it the least recently used goes.
constexpr size_t kMostListings = 64;

using Identity = std::pair<dev_t, ino_t>;
// From a folded name to the Unix names having it, the lowest first.
using NamesByKey = std::unordered_map<std::string, std::set<std::string>>;

struct Listing {
  int watch = -1;
  uint64_t used = 0;
  NamesByKey byName;                      // Windows-1252 name, upper case
  std::optional<NamesByKey> byShortName;  // hashed short name, upper case; made when first needed
};

struct Cache {
  UniqueFd notify{inotify_init1(IN_NONBLOCK | IN_CLOEXEC)};
  std::map<Identity, Listing> listings;
  std::unordered_map<int, Identity> byWatch;
  uint64_t uses = 0;
};

// A child made by fork() would share the queue and take the parent's events: it starts afresh.
Cache& TheCache() {
  static Cache cache;
  static const bool renewedInChildren =
      pthread_atfork(nullptr, nullptr, [] { cache = Cache{}; }) == 0;
  (void)renewedInChildren;
  return cache;
}

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

void Drop(Cache& cache, std::map<Identity, Listing>::iterator listing) {
  inotify_rm_watch(cache.notify.Get(), listing->second.watch);
  cache.byWatch.erase(listing->second.watch);
  cache.listings.erase(listing);
}

void DropAll(Cache& cache) {
  while (!cache.listings.empty()) Drop(cache, cache.listings.begin());
}

void Apply(Cache& cache, const inotify_event& event, const char* name) {
  if (event.mask & IN_Q_OVERFLOW) return DropAll(cache);
  const auto watched = cache.byWatch.find(event.wd);
  if (watched == cache.byWatch.end()) return;
  const auto listing = cache.listings.find(watched->second);
  if (event.mask & (IN_DELETE_SELF | IN_IGNORED | IN_UNMOUNT)) return Drop(cache, listing);
  if (event.len == 0) return;
  if (event.mask & (IN_CREATE | IN_MOVED_TO)) Add(listing->second, name);
  if (event.mask & (IN_DELETE | IN_MOVED_FROM)) Remove(listing->second, name);
}

void TakeEvents(Cache& cache) {
  TakeQueuedEvents(cache.notify.Get(), [&cache](const inotify_event& event, const char* name) {
    Apply(cache, event, name);
  });
}

void MakeRoom(Cache& cache) {
  if (cache.listings.size() < kMostListings) return;
  auto oldest = cache.listings.begin();
  for (auto at = cache.listings.begin(); at != cache.listings.end(); ++at) {
    if (at->second.used < oldest->second.used) oldest = at;
  }
  Drop(cache, oldest);
}

// Watches the open `directory` for a listing to keep; -1 where that cannot be.
int Watch(Cache& cache, int directory, dev_t device) {
  if (!cache.notify.Valid() || !ReportsEveryChange(directory, device)) return -1;
  const std::string self = "/proc/self/fd/" + std::to_string(directory);
  return inotify_add_watch(cache.notify.Get(), self.c_str(), kWatched);
}

// Reads the directory, keeping the listing where it can be kept valid; otherwise it serves this
// one use. Null when the directory cannot be read.
Listing* ReadListing(Cache& cache, const std::string& unixDirectory, const Identity& identity) {
  const AtPath at = At(unixDirectory);
  const UniqueFd directory(openat(at.base, at.path, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  struct stat info;
  if (!directory.Valid() || fstat(directory.Get(), &info) != 0) return nullptr;
  const bool same = Identity{info.st_dev, info.st_ino} == identity;
  const int watch = same ? Watch(cache, directory.Get(), info.st_dev) : -1;
  const std::optional<std::vector<std::string>> names = ListDirectory(directory.Get());
  static Listing unkept;
  Listing* listing = &(unkept = Listing{});
  if (watch >= 0) {
    MakeRoom(cache);
    listing = &cache.listings[identity];
    listing->watch = watch;
    cache.byWatch[watch] = identity;
  }
  if (!names) {
    if (watch >= 0) Drop(cache, cache.listings.find(identity));
    return nullptr;
  }
  for (const std::string& name : *names) Add(*listing, name);
  return listing;
}

Listing* CurrentListing(const std::string& unixDirectory, const struct stat& status) {
  Cache& cache = TheCache();
  TakeEvents(cache);
  const Identity identity{status.st_dev, status.st_ino};
  const auto kept = cache.listings.find(identity);
  Listing* listing =
      kept != cache.listings.end() ? &kept->second : ReadListing(cache, unixDirectory, identity);
  if (listing) listing->used = ++cache.uses;
  return listing;
}

std::optional<std::string> Lowest(const NamesByKey& names, const std::string& key) {
  const auto found = names.find(key);
  if (found == names.end()) return std::nullopt;
  return *found->second.begin();
}

std::optional<std::string> Match(Listing& listing, std::string_view windowsName) {
  const std::string key = FoldedCase(windowsName);
  if (std::optional<std::string> byName = Lowest(listing.byName, key)) return byName;
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

bool ReportsEveryChange(int directory, dev_t device) {
  static std::map<dev_t, bool> known;  // a mounted file system keeps its kind
  if (const auto found = known.find(device); found != known.end()) return found->second;
  constexpr unsigned long kLocal[] = {
      0xEF53,      // ext2, ext3, ext4
      0x58465342,  // xfs
      0x9123683E,  // btrfs
      0x01021994,  // tmpfs
      0x858458F6,  // ramfs
  };
  struct statfs info;
  if (fstatfs(directory, &info) != 0) return false;
  bool& local = known[device];
  for (const unsigned long type : kLocal)
    local = local || static_cast<unsigned long>(info.f_type) == type;
  return local;
}

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

}  // namespace cdinst::posix
