#include "winapi/posix/searches/kept_searches.h"

#include <pthread.h>
#include <sys/inotify.h>

#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

#include "winapi/posix/paths/directory_cache.h"
#include "winapi/posix/paths/inotify_queue.h"
#include "winapi/posix/unique_fd.h"

namespace cdinst::posix {
namespace {

// A search's entries are kept, by the directory's identity, while the directory's inotify
// watch, set before it was read, has lost nothing. A name made, removed or renamed there drops
// them; an entry read, written or given other attributes is read again at the next search.
// What can change with nothing reported to the directory is read again at every search: a
// subdirectory (its times follow its own content), a symbolic link (its target lives elsewhere)
// and an entry that could not be looked up; a directory holding a file with more than one link
// (which can change through the other) is not kept. A file linked elsewhere only once kept, and
// changed through that link, shows once anything else in the directory changes. "." and ".." are the caller's to read. Only
// on a file system whose every change this kernel makes (ReportsEveryChange). Times that a
// write through a shared memory map changes are not reported; they show once anything else is.
constexpr uint32_t kWatched = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB |
                              IN_MODIFY | IN_ACCESS | IN_DELETE_SELF | IN_ONLYDIR | IN_EXCL_UNLINK;
constexpr uint32_t kNamesChanged = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
constexpr uint32_t kGone = IN_DELETE_SELF | IN_IGNORED | IN_UNMOUNT;

// Enough for the folders one copy comes back to; past them the least recently used goes.
constexpr size_t kMostKept = 64;
constexpr size_t kMostEntries = 65536;

using Identity = std::pair<dev_t, ino_t>;

struct Kept {
  int watch = -1;
  uint64_t used = 0;
  std::vector<std::string> names;  // the entries' Unix names, ascending
  FoundEntries entries;
  std::set<size_t> reread;  // entries to read again at the next search
  std::vector<size_t> alwaysReread;
};

struct Cache {
  UniqueFd notify{inotify_init1(IN_NONBLOCK | IN_CLOEXEC)};
  std::map<Identity, Kept> kept;
  std::unordered_map<int, Identity> byWatch;
  uint64_t uses = 0;
  size_t entries = 0;
};

// A child made by fork() would share the queue and take the parent's events: it starts afresh.
Cache& TheCache() {
  static Cache cache;
  static const bool renewedInChildren =
      pthread_atfork(nullptr, nullptr, [] { cache = Cache{}; }) == 0;
  (void)renewedInChildren;
  return cache;
}

void Drop(Cache& cache, std::map<Identity, Kept>::iterator kept) {
  inotify_rm_watch(cache.notify.Get(), kept->second.watch);
  cache.byWatch.erase(kept->second.watch);
  cache.entries -= kept->second.entries.size();
  cache.kept.erase(kept);
}

void Apply(Cache& cache, const inotify_event& event, const char* name) {
  if (event.mask & IN_Q_OVERFLOW) {
    while (!cache.kept.empty()) Drop(cache, cache.kept.begin());
    return;
  }
  const auto watched = cache.byWatch.find(event.wd);
  if (watched == cache.byWatch.end()) return;
  const auto kept = cache.kept.find(watched->second);
  if (event.len == 0) {  // the directory itself: its own data is read at every search
    if (event.mask & kGone) Drop(cache, kept);
    return;
  }
  std::vector<std::string>& names = kept->second.names;
  const auto at = std::lower_bound(names.begin(), names.end(), std::string(name));
  if ((event.mask & kNamesChanged) || at == names.end() || *at != name) return Drop(cache, kept);
  kept->second.reread.insert(static_cast<size_t>(at - names.begin()));
}

void TakeEvents(Cache& cache) {
  TakeQueuedEvents(cache.notify.Get(), [&cache](const inotify_event& event, const char* name) {
    Apply(cache, event, name);
  });
}

// False when an entry is no longer there to read: the kept entries are then dropped.
bool Reread(Kept& kept, int directory, const std::string& unixDirectory, size_t index) {
  struct stat status;
  std::optional<FoundEntry> entry = EntryIn(directory, unixDirectory, kept.names[index], status);
  if (!entry) return false;
  kept.entries[index] = std::move(*entry);
  return true;
}

bool Refresh(Kept& kept, int directory, const std::string& unixDirectory) {
  for (const size_t index : kept.alwaysReread) {
    if (!Reread(kept, directory, unixDirectory, index)) return false;
  }
  for (const size_t index : kept.reread) {
    if (!Reread(kept, directory, unixDirectory, index)) return false;
  }
  kept.reread.clear();
  return true;
}

void MakeRoom(Cache& cache, size_t entries) {
  while (!cache.kept.empty() &&
         (cache.kept.size() >= kMostKept || cache.entries + entries > kMostEntries)) {
    auto oldest = cache.kept.begin();
    for (auto at = cache.kept.begin(); at != cache.kept.end(); ++at) {
      if (at->second.used < oldest->second.used) oldest = at;
    }
    Drop(cache, oldest);
  }
}

// Reads the entries, keeping them where the rule can hold.
FoundEntries ReadAndKeep(Cache& cache, int directory, const struct stat& status,
                         const std::string& unixDirectory) {
  const bool watchable = cache.notify.Valid() && ReportsEveryChange(directory, status.st_dev);
  const std::string self = "/proc/self/fd/" + std::to_string(directory);
  const int watch = watchable ? inotify_add_watch(cache.notify.Get(), self.c_str(), kWatched) : -1;
  Kept kept;
  bool keepable = watch >= 0;
  kept.entries = FindEntries(directory, unixDirectory,
                             [&](const std::string& unixName, const struct stat& seen) {
                               if (S_ISREG(seen.st_mode) && seen.st_nlink > 1) keepable = false;
                               if (!S_ISREG(seen.st_mode)) {
                                 kept.alwaysReread.push_back(kept.names.size());
                               }
                               kept.names.push_back(unixName);
                             });
  if (!keepable || kept.entries.size() > kMostEntries) {
    if (watch >= 0) inotify_rm_watch(cache.notify.Get(), watch);
    return std::move(kept.entries);
  }
  MakeRoom(cache, kept.entries.size());
  kept.watch = watch;
  kept.used = ++cache.uses;
  cache.entries += kept.entries.size();
  const Identity identity{status.st_dev, status.st_ino};
  cache.byWatch[watch] = identity;
  return cache.kept.insert_or_assign(identity, std::move(kept)).first->second.entries;
}

}  // namespace

FoundEntries SearchedEntries(int directory, const struct stat& status,
                             const std::string& unixDirectory) {
  Cache& cache = TheCache();
  TakeEvents(cache);
  const auto kept = cache.kept.find({status.st_dev, status.st_ino});
  if (kept != cache.kept.end()) {
    if (Refresh(kept->second, directory, unixDirectory)) {
      kept->second.used = ++cache.uses;
      return kept->second.entries;
    }
    Drop(cache, kept);
  }
  return ReadAndKeep(cache, directory, status, unixDirectory);
}

}  // namespace cdinst::posix
