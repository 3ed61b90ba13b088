// What matching a Windows name without regard to letter case needs from a Unix directory, kept
// between calls: reading and converting the whole directory for every name not spelled exactly
// as on disk would make filling a directory cost the square of its size. This is the
// emulation's only cache of what is on disk, and this is its rule:
//
// A listing is used only while the directory's device, inode, modification and status change
// times (to the nanosecond) are those it was read at, and they are checked before every use.
// Adding, removing or renaming an entry changes a directory's times whoever does it, so a change
// by another process makes the next use read the directory again. That holds only where two
// changes cannot share a time: from Linux 6.13 on (multigrain timestamps), a change that follows
// a stat is stamped finely, and every use begins with a stat. So listings are kept only on such
// a kernel, and on ext4, xfs, btrfs and tmpfs, where that kernel makes every change; elsewhere
// (an older kernel, a network or user-space file system) each lookup reads the directory.
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
// directory does not read it again for every new name. Made right before creating `unixPath` (a
// directory when `directory` is set), it looks at the directory; Created(), right after the
// creation succeeded, looks again. The listing takes the new name and times only when it was
// current right before, and the change since is what one new entry makes: the same directory,
// later times, the modification and status change times equal, and the link count grown by what
// the entry adds. Otherwise the listing is dropped and the next lookup reads the directory.
//
// A change by another process between the two looks that leaves the same marks (another file
// made beside ours) cannot be told from ours; the window is a few system calls wide. Exact
// spellings are always tried on disk first, and a name taken from a listing is checked on disk
// before it is used, so a removed entry is not handed out.
class EntryCreation {
 public:
  EntryCreation(const std::string& unixPath, bool directory);
  void Created();

 private:
  std::string directory_;
  std::string name_;
  bool makesDirectory_;
  std::optional<struct stat> before_;  // the directory, while its listing was current
};

}  // namespace cdinst::posix
