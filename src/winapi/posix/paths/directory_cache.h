// What matching a Windows name without regard to letter case needs from a Unix directory, kept
// between calls: reading and converting the whole directory for every name not spelled exactly
// as on disk would make filling a directory cost the square of its size. The rule that keeps a
// listing valid is stated and checked in directory_cache.cpp.
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

// Whether a kernel whose release (as uname(2) gives it, e.g. "6.13.2-arch1-1") is `release`
// stamps a change that follows a stat finely. False for a release it cannot read.
bool StampsFinely(std::string_view release);

}  // namespace cdinst::posix
