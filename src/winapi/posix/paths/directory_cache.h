// What matching a Windows name without regard to letter case needs from a Unix directory, kept
// between calls: reading and converting the whole directory for every name not spelled exactly
// as on disk would make filling a directory cost the square of its size. This is the
// emulation's only cache of what is on disk, and this is its rule:
//
// A listing is used only while the directory's device, inode, modification and status change
// times (to the nanosecond) are those it was read at, and they are checked before every use.
// Adding, removing or renaming an entry changes a directory's modification time whoever does it,
// so a change by another process makes the next use read the directory again. Linux 6.13 and
// later stamp a change that follows a stat finely (ext4, xfs, btrfs, tmpfs), so two changes
// cannot share a time, and every use begins with a stat. On other file systems (a network or
// user-space one, where another machine or a server makes changes) nothing is kept.
#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>
#include <string_view>

namespace cdinst::posix {

// The lowest Unix name in `unixDirectory` whose Windows-1252 form equals `windowsName` without
// regard to letter case, else the lowest whose hashed short name does. Nothing when no entry
// matches or the directory cannot be read. Reads the directory only when it changed since the
// last call for it, and computes short names only for a name that could be one. `status`, when
// given, is what stat(2) said of the directory just now, which spares asking again.
std::optional<std::string> MatchIgnoringCase(const std::string& unixDirectory,
                                             std::string_view windowsName,
                                             const struct stat* status = nullptr);

// Keeps a cached listing current across an entry the emulation itself creates, so that filling a
// directory does not read it again for every new name. Made right before creating `unixPath`;
// Created() right after the creation succeeded; `directoryStatus`, when given, is what stat(2)
// said of the directory right before. A change the cache is not told of only costs a fresh read.
//
// The listing takes the directory's new times only when the old ones still matched just before
// the creation. Another process changing the directory between that check and the one after the
// creation would go unseen. The window is a few system calls wide, such a change races ours
// anyway, and missing it can at worst make a lookup in another letter case, or by short name,
// miss an entry made then. Exact spellings are always tried on disk first, and a name taken from
// a listing is checked on disk before it is used, so a removed entry is not handed out.
class EntryCreation {
 public:
  explicit EntryCreation(const std::string& unixPath, const struct stat* directoryStatus = nullptr);
  void Created();

 private:
  std::string directory_;
  std::string name_;
  bool current_ = false;  // the cached listing matched the directory just before
};

}  // namespace cdinst::posix
