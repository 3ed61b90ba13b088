// What a directory search reports of every entry of one Unix directory.
#pragma once

#include <sys/stat.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "discimage/disc_image.h"
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

// The entry for the file `info` describes, found under the Windows-1252 `name` at `unixPath`,
// which gives the DOS attributes Wine stores.
FoundEntry FoundEntryOf(const struct stat& info, std::string name, const std::string& unixPath,
                        bool link);

// The same with its attributes known already.
FoundEntry FoundEntryOf(const struct stat& info, std::string name, DWORD attributes);

// The entry for `entry` of a disc, under the name `name` (Windows-1252), as Windows' CD file
// system reports it: the record's time as its creation and last write, no short name.
FoundEntry FoundEntryOf(const disc::DiscEntry& entry, std::string name);

// Fills in what a search reports of `entry`; the name fields past their terminators are left
// as they were.
void FillFindData(const FoundEntry& entry, WIN32_FIND_DATAA& data);

// The entries of the directory open as `directory` (for reading, not read from yet), whose path
// is `unixDirectory`, without "." and "..", in ascending bytewise order of their Unix names;
// dangling links are left out, and an entry that cannot be looked up is a file whose times and
// size are 0. None when the directory cannot be read. `seen`, when given, hears of each entry
// reported, in order, with its Unix name and what lstat(2) said of it (zeroed for one that
// cannot be looked up).
using EntrySeen = std::function<void(const std::string& unixName, const struct stat& status)>;
FoundEntries FindEntries(int directory, const std::string& unixDirectory,
                         const EntrySeen& seen = {});

// The entry `unixName` of that directory, read as FindEntries reads each; nothing for a
// dangling link. `status` as FindEntries' `seen` hears it.
std::optional<FoundEntry> EntryIn(int directory, const std::string& unixDirectory,
                                  const std::string& unixName, struct stat& status);

}  // namespace cdinst::posix
