// The entries of directory searches, kept between searches of one directory: the tree copy
// lists a folder again each time it comes back to it, and a search of a folder that changed in
// nothing, or in a few entries, then costs a check and those entries, not every entry again.
// The rule that keeps them valid is stated and kept in kept_searches.cpp.
#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>
#include <utility>

#include "winapi/posix/searches/found_entries.h"

namespace cdinst::posix {

// FindEntries of the directory open as `directory` (for reading, not read from yet), whose
// status is `status` and whose path is `unixDirectory`. `self`: the attributes its "." entry
// shows, kept with its entries; nothing at a root.
FoundEntries SearchedEntries(int directory, const struct stat& status,
                             const std::string& unixDirectory, std::optional<DWORD> self);

// What a search keeps of a directory, for a search of it that need not open it.
struct KeptListing {
  FoundEntries entries;
  DWORD self;  // the directory's attributes, as its "." entry shows them
};

// The entries kept for the directory with this device and inode, brought up to date through
// `directory`, a descriptor on it that may only look names up (O_PATH), while a search keeps
// them and nothing was reported to change the directory's attributes, its rights among them,
// since the last search opened it. Nothing otherwise.
std::optional<KeptListing> KeptEntries(int directory, dev_t device, ino_t inode,
                                       const std::string& unixDirectory);

// Keeps the status of a directory whose entries a search keeps, asked after the queue was last
// read: any change since is queued, and drops it.
void KeepSelfStatus(const struct stat& status);

// The status and attributes of the directory with this device and inode, as the last search of
// it that found its entries kept saw them, while no event told of it since, as of the last
// reading of the queue: a search reads it first. Nothing otherwise.
std::optional<std::pair<struct stat, DWORD>> KeptSelf(dev_t device, ino_t inode);

// The attributes that the entries kept for the directory with this device and inode give its
// entry `unixName`, or, for an empty name, the directory itself as its "." entry shows it,
// while nothing was reported to change them since. Nothing where no search keeps the directory
// or the entry, or for an entry whose attributes can change unreported: a symbolic link, a
// mount point, one that could not be looked up.
std::optional<DWORD> KeptAttributes(dev_t device, ino_t inode, const std::string& unixName);

}  // namespace cdinst::posix
