#include "winapi/posix/searches/kept_searches.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "winapi/posix/paths/watched_directories.h"

namespace cdinst::posix {
namespace {

// A search's entries are kept by the rule of watched_directories.h. A name made, removed or
// renamed there drops them; an entry read, written or given other attributes is read again at
// the next search. What can change with nothing reported to the directory is read again at every
// search: a subdirectory's times (they follow its own content), a symbolic link (its target lives
// elsewhere) and an entry that could not be looked up; a directory holding a file with more than
// one link (which can change through the other) is not kept. A file linked elsewhere only once
// kept, and changed through that link, shows once anything else in the directory changes, and
// so do times that a write through a shared memory map changes. "." and ".." are the caller's to
// read; of the directory itself its attributes are kept while no event says they changed, and
// its status, as the last search of it kept saw it, while no event tells of it at all.
// An entry's attributes stay valid through events that change only its times or content.
constexpr uint32_t kWatched = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB |
                              IN_MODIFY | IN_ACCESS | IN_DELETE_SELF | IN_ONLYDIR | IN_EXCL_UNLINK;
constexpr uint32_t kNamesChanged = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

// Enough for the folders one copy comes back to.
constexpr size_t kMostKept = 64;
constexpr size_t kMostEntries = 65536;

struct Kept {
  std::vector<std::string> names;  // the entries' Unix names, ascending
  FoundEntries entries;
  std::set<size_t> reread;  // entries to read again at the next search
  std::vector<size_t> alwaysReread;
  std::set<size_t> attributesChanged;     // of those to read again, the ones given other attributes
  std::set<size_t> attributesUnwatched;   // links, mount points, entries not looked up
  std::optional<DWORD> self;              // the directory's own, as its "." entry shows them
  std::optional<struct stat> selfStatus;  // its status, while no event told of it since
};

using KeptSearches = WatchedDirectories<Kept>;

// Where the entry `name` is among the kept ones.
std::optional<size_t> IndexOf(const Kept& kept, const std::string& name) {
  const auto at = std::lower_bound(kept.names.begin(), kept.names.end(), name);
  if (at == kept.names.end() || *at != name) return std::nullopt;
  return static_cast<size_t>(at - kept.names.begin());
}

bool Apply(Kept& kept, const inotify_event& event, const char* name) {
  if (*name == '\0') {
    kept.selfStatus.reset();
    if (event.mask & IN_ATTRIB) kept.self.reset();
    return true;
  }
  const std::optional<size_t> index = IndexOf(kept, name);
  if ((event.mask & kNamesChanged) || !index) return false;
  kept.reread.insert(*index);
  if (event.mask & IN_ATTRIB) kept.attributesChanged.insert(*index);
  return true;
}

// What is kept for the directory, once the events queued are applied; where nothing is kept for
// it, the queue is not read.
Kept* CheckedKept(KeptSearches& searches, const KeptSearches::Identity& identity) {
  if (!searches.Find(identity)) return nullptr;
  searches.TakeEvents(Apply);
  return searches.Find(identity);
}

// False when an entry is no longer there to read: the kept entries are then dropped.
bool Reread(Kept& kept, int directory, const std::string& unixDirectory, size_t index) {
  struct stat status;
  std::optional<FoundEntry> entry = EntryIn(directory, unixDirectory, kept.names[index], status);
  if (!entry) return false;
  kept.entries[index] = std::move(*entry);
  return true;
}

// A subdirectory's times follow its content, unreported; its attributes come with an event.
bool RereadTimes(Kept& kept, int directory, size_t index) {
  struct stat status;
  if (fstatat(directory, kept.names[index].c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
      !S_ISDIR(status.st_mode)) {
    return false;
  }
  FoundEntry& entry = kept.entries[index];
  entry = FoundEntryOf(status, std::move(entry.windowsName), entry.attributes);
  return true;
}

bool Refresh(Kept& kept, int directory, const std::string& unixDirectory) {
  for (const size_t index : kept.alwaysReread) {
    if (kept.reread.count(index)) continue;  // read in full below
    const bool timesOnly = !kept.attributesUnwatched.count(index);
    if (timesOnly && RereadTimes(kept, directory, index)) continue;
    if (!Reread(kept, directory, unixDirectory, index)) return false;
  }
  for (const size_t index : kept.reread) {
    if (!Reread(kept, directory, unixDirectory, index)) return false;
  }
  kept.reread.clear();
  kept.attributesChanged.clear();
  return true;
}

// Reads the entries, keeping them where the rule can hold.
FoundEntries ReadAndKeep(KeptSearches& searches, int directory, const struct stat& status,
                         const std::string& unixDirectory, std::optional<DWORD> self) {
  const int watch = searches.Watch(directory, status.st_dev, kWatched);
  Kept kept;
  kept.self = self;
  bool keepable = watch >= 0;
  const auto seen = [&](const std::string& unixName, const struct stat& entry) {
    const size_t index = kept.names.size();
    if (S_ISREG(entry.st_mode) && entry.st_nlink > 1) keepable = false;
    if (!S_ISREG(entry.st_mode)) kept.alwaysReread.push_back(index);
    if (S_ISLNK(entry.st_mode) || entry.st_mode == 0 || entry.st_dev != status.st_dev) {
      kept.attributesUnwatched.insert(index);
    }
    kept.names.push_back(unixName);
  };
  kept.entries = FindEntries(directory, unixDirectory, seen);
  const size_t count = kept.entries.size();
  if (!keepable || count > kMostEntries) {
    if (watch >= 0) searches.Unwatch(watch);
    return std::move(kept.entries);
  }
  return searches
      .Keep({status.st_dev, status.st_ino}, watch, std::move(kept), count, kMostKept, kMostEntries)
      .entries;
}

}  // namespace

FoundEntries SearchedEntries(int directory, const struct stat& status,
                             const std::string& unixDirectory, std::optional<DWORD> self) {
  KeptSearches& searches = KeptSearches::Instance();
  searches.TakeEvents(Apply);
  const KeptSearches::Identity identity{status.st_dev, status.st_ino};
  if (Kept* kept = searches.Find(identity)) {
    if (Refresh(*kept, directory, unixDirectory)) {
      kept->self = self;
      return kept->entries;
    }
    searches.Drop(identity);
  }
  return ReadAndKeep(searches, directory, status, unixDirectory, self);
}

std::optional<KeptListing> KeptEntries(int directory, dev_t device, ino_t inode,
                                       const std::string& unixDirectory) {
  KeptSearches& searches = KeptSearches::Instance();
  const KeptSearches::Identity identity{device, inode};
  Kept* kept = CheckedKept(searches, identity);
  if (!kept || !kept->self) return std::nullopt;
  if (!Refresh(*kept, directory, unixDirectory)) {
    searches.Drop(identity);
    return std::nullopt;
  }
  return KeptListing{kept->entries, *kept->self};
}

void KeepSelfStatus(const struct stat& status) {
  Kept* kept = KeptSearches::Instance().Find({status.st_dev, status.st_ino});
  if (kept) kept->selfStatus = status;
}

std::optional<std::pair<struct stat, DWORD>> KeptSelf(dev_t device, ino_t inode) {
  const Kept* kept = KeptSearches::Instance().Find({device, inode});
  if (!kept || !kept->selfStatus || !kept->self) return std::nullopt;
  return std::pair(*kept->selfStatus, *kept->self);
}

std::optional<DWORD> KeptAttributes(dev_t device, ino_t inode, const std::string& unixName) {
  const Kept* kept = CheckedKept(KeptSearches::Instance(), {device, inode});
  if (!kept) return std::nullopt;
  if (unixName.empty()) return kept->self;
  const std::optional<size_t> index = IndexOf(*kept, unixName);
  if (!index || kept->attributesChanged.count(*index) || kept->attributesUnwatched.count(*index)) {
    return std::nullopt;
  }
  return kept->entries[*index].attributes;
}

}  // namespace cdinst::posix
