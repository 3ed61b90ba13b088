// What a directory search reports of every entry of one Unix directory, kept between searches:
// the tree copy searches a directory once more for each of its subdirectories, so reading and
// stat-ing every entry each time would make copying a wide directory cost the square of its
// size in system calls.
//
// A large directory's entries are kept while the kernel reports no change in it (inotify: an
// entry made, removed, renamed, written or given new attributes, by any process) and its device,
// inode, modification and status change times are those it was read at; both are checked before
// every use. What inotify does not report through the parent stays as it was read, as in the
// entries of a Windows directory index: the last access times, the times of a subdirectory that
// changed inside, a file changed through a hard link in another directory. A directory holding
// a symbolic link is never kept, since its target can change unreported; nor is one on a file
// system where other machines or a user-space server make changes (only ext2/3/4, xfs, btrfs,
// tmpfs and f2fs qualify). Without inotify nothing is kept.
#pragma once

#include <sys/stat.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "winapi/winapi.h"

namespace cdinst::posix {

// What a search reports of one entry, in a third of the room a WIN32_FIND_DATAA takes: a search
// of a wide directory runs over all of them.
struct FoundEntry {
  std::string windowsName;  // the Unix name in Windows-1252
  std::string shortName;    // empty when the name is a legal short name itself
  DWORD attributes;
  DWORD sizeHigh;
  DWORD sizeLow;
  FILETIME created;
  FILETIME accessed;
  FILETIME written;
};
using FoundEntries = std::vector<FoundEntry>;

// The entry for the file `info` describes, found under the Windows-1252 `name`.
FoundEntry FoundEntryOf(const struct stat& info, std::string name);

// Fills in what a search reports of `entry`; the name fields past their terminators are left
// as they were.
void FillFindData(const FoundEntry& entry, WIN32_FIND_DATAA& data);

// The entries of `unixDirectory` without "." and "..", in ascending bytewise order of their
// Unix names; dangling links are left out. Null when the directory cannot be read. The result
// is not changed afterwards, whatever happens to the directory. `status` is what stat(2) said
// of the directory just now; `atName` in `atDirectory` reaches it for openat(2).
std::shared_ptr<const FoundEntries> FindEntries(const std::string& unixDirectory,
                                                const struct stat& status, int atDirectory,
                                                const char* atName);

}  // namespace cdinst::posix
