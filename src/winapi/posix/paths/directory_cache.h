// What matching a Windows name without regard to letter case needs from a Unix directory, kept
// between calls: reading and converting the whole directory for every name not spelled exactly
// as on disk would make filling a directory cost the square of its size. The rule that keeps a
// listing valid is stated and kept in directory_cache.cpp.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "winapi/posix/paths/held_directories.h"

namespace cdinst::posix {

// The Unix name in `unixDirectory` whose Windows-1252 form equals `windowsName` without regard to
// letter case, the one spelled as given first, else the lowest; failing that the lowest whose
// hashed short name does. Nothing when no entry matches or the directory cannot be read. `status`,
// when given, is what stat(2) said of the directory just now, which spares asking again.
std::optional<std::string> MatchIgnoringCase(const std::string& unixDirectory,
                                             std::string_view windowsName,
                                             const struct stat* status = nullptr);

// MatchIgnoringCase for the directory whose status is `status` where its listing is kept, which
// costs no reading of it; false, leaving `match` alone, where none is.
bool MatchInKeptListing(const struct stat& status, std::string_view windowsName,
                        std::optional<std::string>& match);

// Whether the listing of the directory with this status is kept; asks nothing of the disk. A
// value read after this said so may be kept: any change since is queued and drops it.
bool ListingKept(const struct stat& directory);

// Makes the listing of the held directory, with this status, kept where it can be watched, and
// opens nothing where it cannot; true when it is kept.
bool KeepListing(const HeldDirectory& held, const struct stat& status);

// Attributes worked out for an entry of a directory whose listing is kept (`unixName` as on
// disk), or for the directory itself (`unixName` empty), kept beside the listing until an event
// names the entry, or the directory for its own: the copy asks again and again about the file it
// just made and the folders it fills. What a name alone adds is left out.
std::optional<uint32_t> KeptEntryAttributes(const struct stat& directory,
                                            const std::string& unixName);

void KeepEntryAttributes(const struct stat& directory, const std::string& unixName,
                         uint32_t attributes);

}  // namespace cdinst::posix
