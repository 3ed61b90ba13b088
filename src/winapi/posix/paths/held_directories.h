// Directories the process holds open, as Windows holds its current directory and a directory
// opened without FILE_SHARE_DELETE. Windows lets no one remove or rename such a directory, so a
// path through it always leads into it. Linux cannot stop another program from renaming it;
// resolving such a path from the held descriptor gives what Windows gives all the same.
#pragma once

#include <sys/stat.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "winapi/posix/paths/windows_path.h"
#include "winapi/posix/unique_fd.h"

namespace cdinst::posix {

// A held directory's descriptor.
class HeldDirectory {
 public:
  explicit HeldDirectory(UniqueFd fd) : fd_(std::move(fd)) {}

  int Fd() const { return fd_.Get(); }

  // The path by which the kernel finds the directory itself, however it was renamed since:
  // names below it are then resolved from it as an *at call resolves them, for every call
  // (extended attributes and watches have no *at form).
  std::string Path() const;

  // What fstat(2) says of it, asked once: a held directory stays the one it is. Only its
  // identity and kind are to be used. Null when that fails.
  const struct stat* Status() const;

  // Status() where it was asked already, else null; asks nothing.
  const struct stat* KnownStatus() const { return status_ ? &*status_ : nullptr; }

  // Status() from what fstat(2) of the descriptor, or of its ".", said just now.
  void Learn(const struct stat& status) const {
    if (!status_) status_ = status;
  }

 private:
  UniqueFd fd_;
  mutable std::optional<struct stat> status_;
};

using HeldFd = std::shared_ptr<const HeldDirectory>;

// Where a path may be resolved from: a held directory, how many of the path's components it
// stands for, and its Unix name ("." for a root).
struct HeldBase {
  HeldFd fd;
  size_t components;
  std::string name;
};

// A full path as held directories are matched against it, worked out once for each call: its
// drive and each component in upper case, and what the drive maps to (empty for a share path,
// which is never held).
struct HeldPath {
  std::vector<std::string> folded;
  std::string driveEntry;
  size_t Components() const { return folded.size() - 1; }
};

HeldPath HeldPathOf(const PathParts& parts);

// Holds `directory`, which `unixPath` named, as the one `path` names, under `key` (a later
// holding under the same key replaces it); false for a share path. One held so refuses removal
// until told otherwise.
bool HoldDirectory(const void* key, const HeldPath& path, HeldFd directory,
                   const std::string& unixPath);

// Holds a directory held already (as HeldBaseOf found it for `path`, the whole path) under
// `key` too: both stand for it, and neither opens anything.
bool HoldDirectory(const void* key, const HeldPath& path, const HeldBase& held);

void ReleaseDirectory(const void* key);

// The held directory that stands for `path` without its last component; null when none does.
HeldFd HeldAbove(const HeldPath& path);

// The directory held under `key`, as HeldBaseOf gives one; nothing when none is.
std::optional<HeldBase> HeldUnder(const void* key);

// Whether the directory held under `key` refuses removal (IsHeld).
void SetRefusesRemoval(const void* key, bool refuses);

// How many components of `path` the directory held under `key` stands for, by the path's text
// alone (it cannot have been removed or renamed since), 0 for a root; nothing when it is not on
// the path's way.
std::optional<size_t> CoveredBy(const void* key, const HeldPath& path);

// The held directory that stands for the longest beginning of `path`, the whole path included,
// while its drive maps where it did when it was held.
std::optional<HeldBase> HeldBaseOf(const HeldPath& path);

// The Unix name of the entry right in `held` that `unixPath` names, empty for `held` itself;
// nothing for any other path, or when nothing is held.
std::optional<std::string> NameInHeld(const HeldFd& held, const std::string& unixPath);

// True when a held directory that refuses removal is the one with this device and inode.
bool IsHeld(dev_t device, ino_t inode);

}  // namespace cdinst::posix
