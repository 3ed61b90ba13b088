// Windows attribute words for Unix files.
#pragma once

#include <sys/stat.h>

#include <string_view>

#include "winapi/posix/paths/path_resolution.h"

namespace cdinst::posix {

// The attributes Windows shows for a file of this kind named `name` (its last component, empty
// for a root), reached through a symbolic link when `link`: DIRECTORY for directories, ARCHIVE
// for everything else, READONLY when the owner may not write, HIDDEN for names that begin with a
// dot ("." and ".." excepted), REPARSE_POINT for a link to a directory (Wine shows such a link
// so, as Windows shows its directory links and junctions).
DWORD AttributesOf(mode_t mode, std::string_view name, bool link);

// What the name alone adds to them: HIDDEN for a name that begins with a dot.
DWORD NameAttributes(std::string_view name);

// Resolves `path` to an existing file and asks its status, following a symbolic link; a file
// named with a trailing separator is not found. On failure sets the last error.
bool StatusOfPath(LPCSTR path, ResolvedPath& target, struct stat& info);

}  // namespace cdinst::posix
