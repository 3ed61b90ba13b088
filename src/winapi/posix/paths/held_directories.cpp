#include "winapi/posix/paths/held_directories.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <vector>

#include "codepage/windows1252.h"
#include "winapi/posix/paths/prefix.h"

namespace cdinst::posix {
namespace {

struct Held {
  std::vector<std::string> folded;  // the drive, then each component, upper case
  std::string driveEntry;           // what the drive mapped to when it was held
  HeldFd fd;
  std::string name;  // its Unix name
  bool refusesRemoval = true;
};

std::map<const void*, Held>& Holdings() {
  static std::map<const void*, Held> holdings;
  return holdings;
}

bool IsDriveRoot(const std::string& root) { return root.size() == 3 && root[1] == ':'; }

std::vector<std::string> Folded(const PathParts& parts) {
  std::vector<std::string> folded{FoldedCase(parts.root)};
  for (const std::string& component : parts.components) folded.push_back(FoldedCase(component));
  return folded;
}

// How many components of the path folded as `folded` the held directory stands for, 0 for a
// root; nothing when it is not on its way.
std::optional<size_t> Covers(const Held& held, const std::vector<std::string>& folded) {
  if (held.folded.size() > folded.size() ||
      !std::equal(held.folded.begin(), held.folded.end(), folded.begin())) {
    return std::nullopt;
  }
  return held.folded.size() - 1;
}

}  // namespace

// Without /proc the kernel has no path from a descriptor: nothing is held, and paths are
// resolved from their drive's root. A held drive root keeps the volume the drive mapped to, as
// a handle on a Windows volume does while the drive is remapped.
bool HoldDirectory(const void* key, const PathParts& parts, HeldFd directory,
                   const std::string& unixPath) {
  static const bool procMounted = access("/proc/self/fd", X_OK) == 0;
  ReleaseDirectory(key);
  if (!procMounted) return false;
  std::string name = parts.components.empty() ? "." : unixPath.substr(unixPath.rfind('/') + 1);
  return HoldDirectory(key, parts,
                       HeldBase{std::move(directory), parts.components.size(), std::move(name)});
}

bool HoldDirectory(const void* key, const PathParts& parts, const HeldBase& held) {
  ReleaseDirectory(key);
  if (!IsDriveRoot(parts.root)) return false;
  Holdings().emplace(key, Held{Folded(parts), DriveEntryPath(parts.root[0]), held.fd, held.name});
  return true;
}

void ReleaseDirectory(const void* key) { Holdings().erase(key); }

void SetRefusesRemoval(const void* key, bool refuses) {
  const auto held = Holdings().find(key);
  if (held != Holdings().end()) held->second.refusesRemoval = refuses;
}

std::optional<size_t> CoveredBy(const void* key, const PathParts& parts) {
  const auto held = Holdings().find(key);
  if (held == Holdings().end() || !IsDriveRoot(parts.root)) return std::nullopt;
  if (held->second.driveEntry != DriveEntryPath(parts.root[0])) return std::nullopt;
  return Covers(held->second, Folded(parts));
}

std::optional<HeldBase> HeldBaseOf(const PathParts& parts) {
  std::optional<HeldBase> best;
  if (!IsDriveRoot(parts.root) || Holdings().empty()) return best;
  const std::vector<std::string> folded = Folded(parts);
  const std::string driveEntry = DriveEntryPath(parts.root[0]);
  for (const auto& [key, held] : Holdings()) {
    const std::optional<size_t> covered = Covers(held, folded);
    if (!covered || (best && *covered <= best->components)) continue;
    if (held.driveEntry == driveEntry) best = HeldBase{held.fd, *covered, held.name};
  }
  return best;
}

bool IsHeld(dev_t device, ino_t inode) {
  for (const auto& [key, held] : Holdings()) {
    if (!held.refusesRemoval) continue;
    const struct stat* info = held.fd->Status();
    if (info && info->st_dev == device && info->st_ino == inode) return true;
  }
  return false;
}

std::string HeldDirectory::Path() const { return "/proc/self/fd/" + std::to_string(Fd()); }

const struct stat* HeldDirectory::Status() const {
  if (!status_) {
    struct stat info;
    if (fstat(fd_.Get(), &info) != 0) return nullptr;
    status_ = info;
  }
  return &*status_;
}

}  // namespace cdinst::posix
