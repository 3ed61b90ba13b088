#include "winapi/posix/found_entries.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "winapi/posix/directory_entries.h"
#include "winapi/posix/file_attributes.h"
#include "winapi/posix/file_time.h"
#include "winapi/posix/inotify_instance.h"
#include "winapi/posix/short_names.h"
#include "winapi/posix/unique_fd.h"

namespace cdinst::posix {
namespace {

// A small directory is cheaper to read again than to watch.
constexpr size_t kFewestKept = 32;
// Past this many directories everything is dropped, which bounds memory and watches.
constexpr size_t kMostKept = 16;
constexpr uint32_t kChanges = IN_ATTRIB | IN_MODIFY | IN_CREATE | IN_DELETE | IN_MOVED_FROM |
                              IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

struct Stamp {
  dev_t device;
  ino_t inode;
  timespec modified;
  timespec changed;
};

bool operator==(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool operator==(const Stamp& a, const Stamp& b) {
  return a.device == b.device && a.inode == b.inode && a.modified == b.modified &&
         a.changed == b.changed;
}

struct Kept {
  int watch;
  Stamp stamp{};
  std::shared_ptr<const FoundEntries> entries;
};

struct Cache {
  std::mutex mutex;
  InotifyInstance notify;
  std::unordered_map<std::string, Kept> kept;
};

Cache& TheCache() {
  static Cache& cache = *new Cache;  // never destroyed: its inotify instance is handed over at exit
  return cache;
}

bool StampOf(int directory, Stamp& stamp) {
  struct stat info;
  if (fstat(directory, &info) != 0) return false;
  stamp = Stamp{info.st_dev, info.st_ino, info.st_mtim, info.st_ctim};
  return true;
}

Stamp StampOf(const struct stat& info) {
  return Stamp{info.st_dev, info.st_ino, info.st_mtim, info.st_ctim};
}

// A watch that another kept directory (the same one by another path) still uses stays.
void Unwatch(Cache& cache, int watch) {
  for (const auto& entry : cache.kept) {
    if (entry.second.watch == watch) return;
  }
  cache.notify.Unwatch(watch);
}

void ForgetWatch(Cache& cache, int watch) {
  bool found = false;
  for (auto at = cache.kept.begin(); at != cache.kept.end();) {
    found = found || at->second.watch == watch;
    at = at->second.watch == watch ? cache.kept.erase(at) : std::next(at);
  }
  if (found) cache.notify.Unwatch(watch);
}

void ForgetAll(Cache& cache) {
  for (const auto& entry : cache.kept) cache.notify.Unwatch(entry.second.watch);
  cache.kept.clear();
}

void TakeEvents(Cache& cache) {
  cache.notify.TakeQueuedEvents([&cache](const inotify_event& event, std::string_view) {
    if (event.mask & IN_Q_OVERFLOW) {
      ForgetAll(cache);
    } else if (!(event.mask & IN_IGNORED)) {
      ForgetWatch(cache, event.wd);
    }
  });
}

// Every entry, stat-ed relative to the open directory; `linked` tells whether a link was among
// them. Null when the directory cannot be read.
std::shared_ptr<FoundEntries> ReadEntries(int directory, bool& linked) {
  std::vector<std::string> names;
  if (!ReadOpenDirectory(directory, names)) return nullptr;
  std::sort(names.begin(), names.end());
  auto entries = std::make_shared<FoundEntries>();
  entries->reserve(names.size());
  linked = false;
  for (const std::string& unixName : names) {
    struct stat info;
    if (fstatat(directory, unixName.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISLNK(info.st_mode)) {
      linked = true;
      if (fstatat(directory, unixName.c_str(), &info, 0) != 0) continue;  // dangling
    }
    entries->push_back(FoundEntryOf(info, WindowsNameOf(unixName)));
  }
  return entries;
}

std::shared_ptr<const FoundEntries> Current(Cache& cache, const std::string& unixDirectory,
                                            const struct stat& status) {
  const auto found = cache.kept.find(unixDirectory);
  if (found == cache.kept.end()) return nullptr;
  if (StampOf(status) == found->second.stamp) return found->second.entries;
  const int watch = found->second.watch;
  cache.kept.erase(found);
  Unwatch(cache, watch);
  return nullptr;
}

bool Keepable(const std::shared_ptr<FoundEntries>& entries, bool linked) {
  return entries && !linked && entries->size() >= kFewestKept;
}

// Only where every change is made by this machine's kernel, which then reports it: not on a
// network or user-space file system.
bool ReportsEveryChange(int directory) {
  constexpr unsigned long kLocal[] = {
      0xEF53,      // ext2, ext3, ext4
      0x58465342,  // xfs
      0x9123683E,  // btrfs
      0x01021994,  // tmpfs
      0xF2F52010,  // f2fs
  };
  struct statfs info;
  if (fstatfs(directory, &info) != 0) return false;
  for (const unsigned long type : kLocal) {
    if (static_cast<unsigned long>(info.f_type) == type) return true;
  }
  return false;
}

// A directory worth keeping is read again once it is watched, so that a change while it was
// first read is either in the entries or reported.
std::shared_ptr<const FoundEntries> ReadAndKeep(Cache& cache, const std::string& unixDirectory,
                                                int atDirectory, const char* atName) {
  const UniqueFd directory(openat(atDirectory, atName, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!directory.Valid()) return nullptr;
  bool linked = false;
  std::shared_ptr<FoundEntries> entries = ReadEntries(directory.Get(), linked);
  if (!cache.notify.Valid() || !Keepable(entries, linked) || !ReportsEveryChange(directory.Get())) {
    return entries;
  }
  const int watch = cache.notify.WatchOpen(directory.Get(), kChanges);
  if (watch < 0) return entries;
  Stamp stamp{};
  const bool stamped = StampOf(directory.Get(), stamp);
  const bool rewound = lseek(directory.Get(), 0, SEEK_SET) == 0;
  if (rewound) entries = ReadEntries(directory.Get(), linked);
  if (!rewound || !stamped || !Keepable(entries, linked)) {
    Unwatch(cache, watch);
    return entries;
  }
  if (cache.kept.size() >= kMostKept) ForgetAll(cache);
  cache.kept[unixDirectory] = Kept{watch, stamp, entries};
  return entries;
}

template <size_t N>
void CopyName(std::string_view name, CHAR (&field)[N]) {
  const size_t length = name.size() < N ? name.size() : N - 1;
  std::memcpy(field, name.data(), length);
  field[length] = '\0';
}

}  // namespace

// Unix keeps no creation time; the last write stands in for it.
FoundEntry FoundEntryOf(const struct stat& info, std::string name) {
  FoundEntry entry{};
  entry.attributes = AttributesOf(info.st_mode, name);
  entry.shortName = ShortNameOf(name);
  entry.windowsName = std::move(name);
  entry.created = FileTimeFromUnix(info.st_mtim);
  entry.accessed = FileTimeFromUnix(info.st_atim);
  entry.written = FileTimeFromUnix(info.st_mtim);
  if (!S_ISDIR(info.st_mode)) {
    const uint64_t size = static_cast<uint64_t>(info.st_size);
    entry.sizeHigh = static_cast<DWORD>(size >> 32);
    entry.sizeLow = static_cast<DWORD>(size & 0xFFFFFFFF);
  }
  return entry;
}

void FillFindData(const FoundEntry& entry, WIN32_FIND_DATAA& data) {
  data.dwFileAttributes = entry.attributes;
  data.ftCreationTime = entry.created;
  data.ftLastAccessTime = entry.accessed;
  data.ftLastWriteTime = entry.written;
  data.nFileSizeHigh = entry.sizeHigh;
  data.nFileSizeLow = entry.sizeLow;
  data.dwReserved0 = 0;
  data.dwReserved1 = 0;
  CopyName(entry.windowsName, data.cFileName);
  CopyName(entry.shortName, data.cAlternateFileName);
}

std::shared_ptr<const FoundEntries> FindEntries(const std::string& unixDirectory,
                                                const struct stat& status, int atDirectory,
                                                const char* atName) {
  Cache& cache = TheCache();
  const std::lock_guard<std::mutex> lock(cache.mutex);
  if (cache.notify.OpenedAfresh()) cache.kept.clear();
  if (cache.notify.Valid()) TakeEvents(cache);
  if (auto entries = Current(cache, unixDirectory, status)) return entries;
  return ReadAndKeep(cache, unixDirectory, atDirectory, atName);
}

}  // namespace cdinst::posix
