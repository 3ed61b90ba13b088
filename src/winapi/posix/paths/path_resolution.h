// From a Windows path (Windows-1252 bytes) to the Unix file behind it.
//
// The program mostly spells names as they are on disk, so the whole Unix path is tried first,
// in one system call. Only when that finds nothing is a name looked up without regard to letter
// case: the last one in its directory when the rest is spelled as on disk, else every component
// from the root. Those lookups go through the listing cache (directory_cache.h).
#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>
#include <string_view>

#include "winapi/posix/paths/disc_drives.h"
#include "winapi/posix/paths/held_directories.h"
#include "winapi/winapi.h"

namespace cdinst::posix {

struct ResolvedPath {
  // 0 when every directory on the way exists; otherwise the Windows code the calls report
  // (ERROR_PATH_NOT_FOUND for a missing or unmapped drive or directory on the way,
  // ERROR_INVALID_NAME for wildcards or illegal characters in a name).
  DWORD error = ERROR_SUCCESS;
  // The full Windows path: drive or \\server\share, "." and ".." folded, separators made
  // backslashes, the trailing dots and blanks of the last component dropped; the caller's
  // letter case is kept. No trailing backslash except at a root.
  std::string windowsPath;
  // When `error` is not set: the Unix path (through /proc from a held directory on the way, see
  // held_directories.h), the existing components as they are spelled on
  // disk, a missing last component converted to UTF-8 as given; for a root, the root itself.
  std::string unixPath;
  // The last component's Unix name; "." for a root.
  std::string name;
  // The last component exists (any kind of file).
  bool exists = false;
  // The path ended in a separator (callers that must refuse "file\" need it).
  bool trailingSeparator = false;
  // What lstat(2) said of the file found, when it is no symbolic link (stat(2) for a root).
  std::optional<struct stat> status;
  // On a disc drive: where the path leads on the disc. `unixPath` is then empty, so that nothing
  // meant for a Unix file reaches the image, and `status` is DiscStatus of the entry found.
  std::optional<DiscPlace> disc;
  // The held directory `unixPath` leads through, kept open while the result is used.
  HeldFd held;

  // The Unix directory the last component is in.
  std::string ParentPath() const;
};

// Where a name in a held directory is looked for first. Most names are spelled as on disk, so
// that spelling is tried first, in one system call. A caller that has tried it already, or that
// is to make the name and expects it missing, asks the directory's listing first where one is
// kept: it tells both spellings without a call to the disk.
enum class Lookup { kExactFirst, kKeptListingFirst };

// Resolves `path` against the emulation's current directory, from the held directory nearest to
// its end when one is on its way (held_directories.h), else from its drive's root. Components are
// matched on disk exactly first, then without regard to letter case (the lowest Unix name wins when
// several match), then as hashed short names. Never fails with an exception; `error` says what went
// wrong.
ResolvedPath ResolvePath(std::string_view path, Lookup lookup = Lookup::kExactFirst);

// A path as it is when every component is spelled as on disk, worked out without asking the
// disk, for a caller that tries that spelling in one system call first and resolves the path
// only when it misses.
struct SpelledPath {
  std::string windowsPath;  // as ResolvedPath's
  std::string unixPath;
  HeldFd held;        // the held directory `unixPath` leads through, kept open meanwhile
  HeldPath heldPath;  // the path as held directories are matched against it

  // True when the path names the held directory itself.
  bool NamesHeld() const { return held && unixPath == held->Path(); }
};

// Nothing for a path that is malformed, on a disc drive or on a share, or whose drive has no
// entry to go through.
std::optional<SpelledPath> SpellPath(std::string_view path);

// A held directory, or an entry spelled as on disk right in it, for what is kept beside the
// directory's listing (directory_cache.h).
struct HeldEntry {
  HeldFd held;
  struct stat directory;           // the held directory's status
  std::string name;                // its Unix name; empty for the directory itself
  std::string windowsName;         // the path's last component
  bool trailingSeparator = false;  // as ResolvedPath's
};

// Nothing for any other path; asks nothing of the disk.
std::optional<HeldEntry> HeldEntryOf(std::string_view path);

// Keeps beside the folder's listing `attributes` (what a name alone adds left out), read of
// `target` after ListingKept said the listing of `entry`'s folder is kept, where `target` is
// `entry` as spelled. Never for a link or a mount point, whose attributes change with nothing
// reported to the folder.
void KeepAttributes(const HeldEntry& entry, const ResolvedPath& target, uint32_t attributes);

// True when the resolved path exists and is a directory or a link to one.
bool IsExistingDirectory(const ResolvedPath& path);

// The status of the existing file a resolved path names, following symbolic links. On failure
// sets the last error (the resolution's code, else what errno says, a missing file giving
// ERROR_FILE_NOT_FOUND) and returns false.
bool StatusOfResolvedPath(const ResolvedPath& path, struct stat& info);

// stat(2) of the resolved file, following a symbolic link; the status learned on the way when
// there is one. False, with errno set, when that fails.
bool StatFollowing(const ResolvedPath& path, struct stat& info);

}  // namespace cdinst::posix
