// The entries of directory searches, kept between searches of one directory: the tree copy
// lists a folder again each time it comes back to it, and a search of a folder that changed in
// nothing, or in a few entries, then costs a check and those entries, not every entry again.
// The rule that keeps them valid is stated and kept in kept_searches.cpp.
#pragma once

#include <sys/stat.h>

#include <string>

#include "winapi/posix/searches/found_entries.h"

namespace cdinst::posix {

// FindEntries of the directory open as `directory` (for reading, not read from yet), whose
// status is `status` and whose path is `unixDirectory`.
FoundEntries SearchedEntries(int directory, const struct stat& status,
                             const std::string& unixDirectory);

}  // namespace cdinst::posix
