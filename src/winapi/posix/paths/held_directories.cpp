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
  HeldPath path;  // as it was when held
  HeldFd fd;
  std::string name;  // its Unix name
  bool refusesRemoval = true;
};

std::map<const void*, Held>& Holdings() {
  static std::map<const void*, Held> holdings;
  return holdings;
}

bool IsDriveRoot(const std::string& root) { return root.size() == 3 && root[1] == ':'; }

// How many components of `path` the held directory stands for, 0 for a root; nothing when it is
// not on its way or its drive maps elsewhere now.
std::optional<size_t> Covers(const Held& held, const HeldPath& path) {
  const std::vector<std::string>& folded = held.path.folded;
  if (folded.size() > path.folded.size() || held.path.driveEntry != path.driveEntry ||
      !std::equal(folded.begin(), folded.end(), path.folded.begin())) {
    return std::nullopt;
  }
  return held.path.Components();
}

}  // namespace

HeldPath HeldPathOf(const PathParts& parts) {
  HeldPath path;
  path.folded.reserve(parts.components.size() + 1);
  path.folded.push_back(FoldedCase(parts.root));
  for (const std::string& component : parts.components) {
    path.folded.push_back(FoldedCase(component));
  }
  if (IsDriveRoot(parts.root)) path.driveEntry = DriveEntryPath(parts.root[0]);
  return path;
}

// Without /proc the kernel has no path from a descriptor: nothing is held, and paths are
// resolved from their drive's root. A held drive root keeps the volume the drive mapped to, as
// a handle on a Windows volume does while the drive is remapped.
bool HoldDirectory(const void* key, const HeldPath& path, HeldFd directory,
                   const std::string& unixPath) {
  static const bool procMounted = access("/proc/self/fd", X_OK) == 0;
  ReleaseDirectory(key);
  if (!procMounted) return false;
  std::string name = path.Components() == 0 ? "." : unixPath.substr(unixPath.rfind('/') + 1);
  return HoldDirectory(key, path,
                       HeldBase{std::move(directory), path.Components(), std::move(name)});
}

bool HoldDirectory(const void* key, const HeldPath& path, const HeldBase& held) {
  ReleaseDirectory(key);
  if (path.driveEntry.empty()) return false;
  Holdings().emplace(key, Held{path, held.fd, held.name});
  return true;
}

void ReleaseDirectory(const void* key) { Holdings().erase(key); }

HeldFd HeldAbove(const HeldPath& path) {
  if (path.Components() == 0) return nullptr;
  const HeldPath above{{path.folded.begin(), path.folded.end() - 1}, path.driveEntry};
  const std::optional<HeldBase> base = HeldBaseOf(above);
  return base && base->components == above.Components() ? base->fd : nullptr;
}

std::optional<HeldBase> HeldUnder(const void* key) {
  const auto held = Holdings().find(key);
  if (held == Holdings().end()) return std::nullopt;
  return HeldBase{held->second.fd, held->second.path.Components(), held->second.name};
}

void SetRefusesRemoval(const void* key, bool refuses) {
  const auto held = Holdings().find(key);
  if (held != Holdings().end()) held->second.refusesRemoval = refuses;
}

std::optional<size_t> CoveredBy(const void* key, const HeldPath& path) {
  const auto held = Holdings().find(key);
  if (held == Holdings().end()) return std::nullopt;
  return Covers(held->second, path);
}

std::optional<HeldBase> HeldBaseOf(const HeldPath& path) {
  std::optional<HeldBase> best;
  for (const auto& [key, held] : Holdings()) {
    const std::optional<size_t> covered = Covers(held, path);
    if (covered && (!best || *covered > best->components)) {
      best = HeldBase{held.fd, *covered, held.name};
    }
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

std::optional<std::string> NameInHeld(const HeldFd& held, const std::string& unixPath) {
  if (!held) return std::nullopt;
  const std::string base = held->Path();
  if (unixPath == base) return "";
  if (unixPath.size() <= base.size() || unixPath.compare(0, base.size(), base) != 0 ||
      unixPath[base.size()] != '/') {
    return std::nullopt;
  }
  std::string name = unixPath.substr(base.size() + 1);
  if (name.find('/') != std::string::npos) return std::nullopt;
  return name;
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
