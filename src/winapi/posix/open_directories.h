// The directories that resolved paths go through, held open and kept between calls: a name
// looked up in a directory held open costs the kernel one step, where a full path costs one
// step for every directory on the way, and a deep tree has dozens.
//
// A kept directory is used only while inotify reports nothing that could make the same path
// lead elsewhere or be refused: the directory or one above it (up to the root) moved, removed
// or given new attributes, or an entry made, removed or renamed, in a directory above it, under
// the name the path goes through (under any name, where the path's spelling matched only
// without regard to letter case). The events are read before every use, and every change that
// finished before is among them. A drive's root is kept the same way while its entry in
// dosdevices is neither made, removed nor renamed; any other root is stat-ed at every use. A
// directory reached through a symbolic link below the root is not kept, since a link's target
// can change unreported; nor is anything without inotify. What inotify does not report goes
// unseen: a file system mounted over a kept directory, changes made by other machines on a
// network file system, and a directory moved above a drive's entry or the target of its link
// (the prefix itself, say) while a program runs.
//
// The same events keep what a kept directory tells of itself without a system call: its type
// and permissions, its status but for the access time (asked again after any entry event), and,
// once a name was missing in it, the names it holds.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "winapi/posix/unique_fd.h"

namespace cdinst::posix {

struct OpenDirectory {
  UniqueFd fd;           // O_PATH
  std::string unixPath;  // the root's path and the names on the way, as on disk
  // What stat(2) said of it when it was opened. Only a kept directory's hold since: any change
  // of its permissions, or of which directory its name leads to, lets it go.
  mode_t mode = 0;
  dev_t device = 0;
};
using OpenDirectoryRef = std::shared_ptr<const OpenDirectory>;

struct KeptNode;

struct WalkedDirectory {
  // Open while the result lives, whatever happens to the cache; null when the walk failed.
  OpenDirectoryRef directory;
  // For a directory that is kept, what Unchanged() takes; 0 otherwise.
  uint64_t generation = 0;
  // The root itself could not be opened as a directory.
  bool rootMissing = false;
  // Where `directory` is kept; only KeptChild() and KeptStatus() use it, and only while
  // `generation` holds.
  KeptNode* node = nullptr;
};

// The directory that the first `count` of `components` (Windows-1252, "." and ".." folded) lead
// to from the root directory `unixRoot`, whose status `rootStatus` the caller has just taken.
// A null `rootStatus` says that `unixRoot` is a drive's entry in dosdevices, not looked at yet:
// a root kept since is used while inotify reports no change of the entry or the root.
// Each component is the entry spelled exactly so (in UTF-8) when there is one, else the lowest
// Unix name equal to it without regard to letter case, else the lowest whose hashed short name
// is; symbolic links are followed. No directory when a component is missing or no directory.
WalkedDirectory WalkToDirectory(const std::string& unixRoot, const struct stat* rootStatus,
                                const std::vector<std::string>& components, size_t count);

// True while no kept directory has been let go since WalkToDirectory handed out `generation`
// (not 0), the events so far taken into account: the same walk would end at the same directory.
bool Unchanged(uint64_t generation);

// The kept directory that `component` (as a walk takes it) names in the directory `walked`
// ended at, while nothing was let go since the walk; null otherwise. Reads no events and makes
// no system call: the caller has just walked, or asked Unchanged().
OpenDirectoryRef KeptChild(const WalkedDirectory& walked, const std::string& component);

// KeptChild(), keeping the directory that `component` names first when it is not kept yet; null
// when it is no directory or cannot be kept. For a directory named last again and again.
OpenDirectoryRef KeepChild(const WalkedDirectory& walked, const std::string& component);

// What fstat(2) says of the kept directory `walked` ended at, while nothing was let go since the
// walk: asked again only after an entry event was read (anywhere), so the times may lag behind
// only in the access time. False when it is not kept or cannot be asked.
bool KeptStatus(const WalkedDirectory& walked, struct stat& status);

// From now on, follows the names in the kept directory `walked` ended at (kept_names.h), while
// it is kept; nothing when it is not kept or cannot be read.
void FollowNames(const WalkedDirectory& walked);

// True when the kept directory `walked` ended at follows its names and has no entry that the
// Windows-1252 `component` could name (KeptNames::Lacks), the events so far taken into account.
bool KeptLacks(const WalkedDirectory& walked, std::string_view component);

}  // namespace cdinst::posix
