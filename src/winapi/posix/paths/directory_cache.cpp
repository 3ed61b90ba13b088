#include "winapi/posix/paths/directory_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <sys/vfs.h>

#include <charconv>
#include <iterator>
#include <unordered_map>
#include <vector>

#include "codepage/windows1252.h"
#include "winapi/posix/unique_fd.h"
#include "winapi/posix/paths/directory_entries.h"
#include "winapi/posix/paths/short_names.h"

namespace cdinst::posix {
namespace {

// A listing is used only while the directory's device, inode, modification and status change
// times (to the nanosecond) are those it was read at, and they are checked before every use
// (CurrentListing). Adding, removing or renaming an entry changes a directory's times whoever
// does it, so a change by another process makes the next use read the directory again. That
// holds only where two changes cannot share a time: from Linux 6.13 on (multigrain timestamps),
// a change that follows a stat is stamped finely, and every use begins with a stat. So listings
// are kept only on such a kernel, and on ext4, xfs, btrfs and tmpfs, where that kernel makes
// every change (StampsEveryChange); elsewhere (an older kernel, a network or user-space file
// system) each lookup reads the directory.

// Multigrain timestamps came with Linux 6.13.
constexpr unsigned kFirstMajor = 6;
constexpr unsigned kFirstMinor = 13;

// Takes the number `text` begins with off it; false when it begins with none.
bool TakeNumber(std::string_view& text, unsigned& number) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc()) return false;
  text.remove_prefix(static_cast<size_t>(end - text.data()));
  return true;
}

bool RunningKernelStampsFinely() {
  struct utsname names;
  return uname(&names) == 0 && StampsFinely(names.release);
}

// Where every change is made by this machine's kernel.
bool IsLocalFileSystem(const std::string& unixDirectory) {
  constexpr unsigned long kLocal[] = {
      0xEF53,      // ext2, ext3, ext4
      0x58465342,  // xfs
      0x9123683E,  // btrfs
      0x01021994,  // tmpfs
  };
  struct statfs info;
  if (statfs(unixDirectory.c_str(), &info) != 0) return false;
  for (const unsigned long type : kLocal) {
    if (static_cast<unsigned long>(info.f_type) == type) return true;
  }
  return false;
}

bool StampsEveryChange(const std::string& unixDirectory) {
  static const bool kernelStampsFinely = RunningKernelStampsFinely();
  return kernelStampsFinely && IsLocalFileSystem(unixDirectory);
}

// Enough for the directories one installation fills; past it the small listings are dropped, and
// everything when that is not enough, and read again on demand, which keeps the memory bounded
// without bookkeeping. A large listing stays: reading it again costs as much as it saves.
constexpr size_t kMostListings = 64;
constexpr size_t kSmallListing = 64;

// The status change time is checked too: unlike the modification time it cannot be set back
// (tar, cp -a and rsync -a set a directory's modification time after filling it).
struct Stamp {
  dev_t device;
  ino_t inode;
  timespec modified;
  timespec changed;
};

bool SameDirectory(const Stamp& a, const Stamp& b) {
  return a.device == b.device && a.inode == b.inode;
}

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool operator==(const Stamp& a, const Stamp& b) {
  return SameDirectory(a, b) && SameTime(a.modified, b.modified) && SameTime(a.changed, b.changed);
}

bool Later(const timespec& a, const timespec& b) {
  return a.tv_sec > b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec > b.tv_nsec);
}

// What adding one entry does to its directory: later times, both set together, and one more link
// for a directory where links are counted (btrfs keeps 1, as ext4 does past its limit).
bool ExplainedByOneEntry(const struct stat& before, const struct stat& after, bool directory) {
  if (after.st_dev != before.st_dev || after.st_ino != before.st_ino) return false;
  if (!Later(after.st_ctim, before.st_ctim) || !SameTime(after.st_mtim, after.st_ctim)) {
    return false;
  }
  const nlink_t added = directory ? 1 : 0;
  return after.st_nlink == before.st_nlink + added || (before.st_nlink == 1 && after.st_nlink == 1);
}

// From a folded name to the lowest Unix name having it.
using LowestNames = std::unordered_map<std::string, std::string>;

struct Listing {
  Stamp stamp;
  LowestNames byName;                      // Windows-1252 name, upper case
  std::optional<LowestNames> byShortName;  // hashed short name, upper case; made when first needed
};

std::unordered_map<std::string, Listing>& Listings() {
  static std::unordered_map<std::string, Listing> listings;
  return listings;
}

// One key per spelling of a directory: "/a/b" and "/a/b/" are the same.
std::string KeyOf(std::string unixDirectory) {
  while (unixDirectory.size() > 1 && unixDirectory.back() == '/') unixDirectory.pop_back();
  return unixDirectory;
}

std::optional<Stamp> StampIn(const struct stat& info) {
  if (!S_ISDIR(info.st_mode)) return std::nullopt;
  return Stamp{info.st_dev, info.st_ino, info.st_mtim, info.st_ctim};
}

std::optional<Stamp> StampOf(const std::string& unixDirectory) {
  struct stat info;
  if (stat(unixDirectory.c_str(), &info) != 0) return std::nullopt;
  return StampIn(info);
}

void KeepLowest(LowestNames& names, std::string key, const std::string& unixName) {
  const auto [entry, added] = names.try_emplace(std::move(key), unixName);
  if (!added && unixName < entry->second) entry->second = unixName;
}

// Names equal without regard to case have the same short name, so the lowest Unix name of each
// folded name is all the short names need.
void AddShortName(LowestNames& byShortName, const std::string& unixName) {
  const std::string shortName = ShortNameOf(WindowsNameOf(unixName));
  if (!shortName.empty()) KeepLowest(byShortName, FoldedCase(shortName), unixName);
}

void Add(Listing& listing, const std::string& unixName) {
  KeepLowest(listing.byName, FoldedCase(WindowsNameOf(unixName)), unixName);
  if (listing.byShortName) AddShortName(*listing.byShortName, unixName);
}

void MakeRoom(std::unordered_map<std::string, Listing>& listings) {
  if (listings.size() < kMostListings) return;
  for (auto at = listings.begin(); at != listings.end();) {
    at = at->second.byName.size() < kSmallListing ? listings.erase(at) : std::next(at);
  }
  if (listings.size() >= kMostListings) listings.clear();
}

// The stamp is taken before the names, so a change in between only makes the next use read
// the directory again. An empty directory is kept too: a new one is looked into for every name
// it is about to get. Where the rule cannot hold, the listing is not kept: it serves this one
// use. Null when the directory cannot be read.
Listing* ReadListing(const std::string& key, const Stamp& stamp) {
  std::unordered_map<std::string, Listing>& listings = Listings();
  listings.erase(key);
  const UniqueFd directory(open(key.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!directory.Valid()) return nullptr;
  const std::optional<std::vector<std::string>> names = ListDirectory(directory.Get());
  if (!names) return nullptr;
  static Listing unkept;
  const bool keeps = StampsEveryChange(key);
  if (keeps) MakeRoom(listings);
  Listing& listing = keeps ? listings[key] : (unkept = Listing{});
  listing.stamp = stamp;
  for (const std::string& name : *names) Add(listing, name);
  return &listing;
}

// `status`, when given, is what stat(2) said of the directory just now.
Listing* FreshListing(const std::string& key, const struct stat* status = nullptr) {
  const std::optional<Stamp> stamp = status ? StampIn(*status) : StampOf(key);
  if (!stamp) {
    Listings().erase(key);
    return nullptr;
  }
  return ReadListing(key, *stamp);
}

Listing* CurrentListing(const std::string& key, const struct stat* status) {
  const auto found = Listings().find(key);
  if (found == Listings().end()) return FreshListing(key, status);
  const std::optional<Stamp> stamp = status ? StampIn(*status) : StampOf(key);
  if (stamp == found->second.stamp) return &found->second;
  return stamp ? ReadListing(key, *stamp) : FreshListing(key);
}

std::optional<std::string> Match(Listing& listing, std::string_view windowsName) {
  const auto byName = listing.byName.find(FoldedCase(windowsName));
  if (byName != listing.byName.end()) return byName->second;
  if (!CouldBeHashedShortName(windowsName)) return std::nullopt;
  if (!listing.byShortName) {
    listing.byShortName.emplace();
    for (const auto& entry : listing.byName) AddShortName(*listing.byShortName, entry.second);
  }
  const auto byShortName = listing.byShortName->find(FoldedCase(windowsName));
  if (byShortName == listing.byShortName->end()) return std::nullopt;
  return byShortName->second;
}

}  // namespace

bool StampsFinely(std::string_view release) {
  unsigned major = 0, minor = 0;
  if (!TakeNumber(release, major) || release.empty() || release.front() != '.') return false;
  release.remove_prefix(1);
  if (!TakeNumber(release, minor)) return false;
  return major > kFirstMajor || (major == kFirstMajor && minor >= kFirstMinor);
}

// An entry removed unseen (in the window EntryCreation leaves) is caught by checking the name
// found on disk.
std::optional<std::string> MatchIgnoringCase(const std::string& unixDirectory,
                                             std::string_view windowsName,
                                             const struct stat* status) {
  const std::string key = KeyOf(unixDirectory);
  Listing* listing = CurrentListing(key, status);
  if (!listing) return std::nullopt;
  std::optional<std::string> match = Match(*listing, windowsName);
  if (!match || EntryExists(UnixChild(key, *match))) return match;
  listing = FreshListing(key);
  return listing ? Match(*listing, windowsName) : std::nullopt;
}

EntryCreation::EntryCreation(const std::string& unixPath, bool directory)
    : makesDirectory_(directory) {
  const size_t slash = unixPath.rfind('/');
  if (slash == std::string::npos) return;
  directory_ = KeyOf(unixPath.substr(0, slash + 1));
  name_ = unixPath.substr(slash + 1);
  const auto found = Listings().find(directory_);
  if (found == Listings().end()) return;
  struct stat info;
  if (stat(directory_.c_str(), &info) == 0 && StampIn(info) == found->second.stamp) {
    before_ = info;
  } else {
    Listings().erase(found);
  }
}

void EntryCreation::Created() {
  if (!before_) return;
  const auto found = Listings().find(directory_);
  if (found == Listings().end()) return;
  struct stat after;
  if (stat(directory_.c_str(), &after) != 0 ||
      !ExplainedByOneEntry(*before_, after, makesDirectory_)) {
    Listings().erase(found);
    return;
  }
  found->second.stamp = *StampIn(after);
  Add(found->second, name_);
}

}  // namespace cdinst::posix
