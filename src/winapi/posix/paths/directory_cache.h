// What matching a Windows name without regard to letter case needs from a Unix directory, kept
// between calls: reading and converting the whole directory for every name not spelled exactly
// as on disk would make filling a directory cost the square of its size. The rule that keeps a
// listing valid is stated and kept in directory_cache.cpp.
#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>
#include <string_view>

namespace cdinst::posix {

// The Unix name in `unixDirectory` whose Windows-1252 form equals `windowsName` without regard to
// letter case, the one spelled as given first, else the lowest; failing that the lowest whose
// hashed short name does. Nothing when no entry
// matches or the directory cannot be read. `status`, when given, is what stat(2) said of the
// directory just now, which spares asking again.
std::optional<std::string> MatchIgnoringCase(const std::string& unixDirectory,
                                             std::string_view windowsName,
                                             const struct stat* status = nullptr);

// MatchIgnoringCase for the directory whose status is `status` where its listing is kept, which
// costs no reading of it; false, leaving `match` alone, where none is.
bool MatchInKeptListing(const struct stat& status, std::string_view windowsName,
                        std::optional<std::string>& match);

}  // namespace cdinst::posix
