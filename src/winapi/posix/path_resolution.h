// From a Windows path (Windows-1252 bytes) to the Unix file behind it.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>

#include <optional>
#include <string>
#include <string_view>

#include "winapi/posix/open_directories.h"
#include "winapi/winapi.h"

namespace cdinst::posix {

struct ResolvedPath {
  // 0 when every directory on the way exists; otherwise the Windows code the calls report
  // (ERROR_PATH_NOT_FOUND for a missing or unmapped drive or directory on the way,
  // ERROR_INVALID_NAME for wildcards or illegal characters in a name).
  DWORD error = ERROR_SUCCESS;
  // The full Windows path: drive or \\server\share, "." and ".." folded, separators made
  // backslashes, the trailing dots and blanks of the last component dropped; the caller's
  // letter case is kept. No trailing backslash except at a root.
  std::string windowsPath;
  // When `error` is not set: the directory holding the last component, held open, and the
  // component's Unix name in it; for a root, the root itself and ".". System calls relative to
  // them reach the file without walking the whole path again.
  OpenDirectoryRef directory;
  std::string name;
  // The last component exists (any kind of file).
  bool exists = false;
  // The path ended in a separator (callers that must refuse "file\" need it).
  bool trailingSeparator = false;
  // What stat(2) says of the file found, when the lookup learned it on the way (a last
  // component that is no symbolic link, or a root); callers need not ask again.
  std::optional<struct stat> status;
  // The last component's own directory, when it is a kept one (open_directories.h): its mode
  // and device need no stat(2) then.
  OpenDirectoryRef kept;
  // What stat(2) said of the directory a missing last component was looked for in, when it was
  // asked.
  std::optional<struct stat> parentStatus;

  // The arguments of an *at(2) call on the file.
  int AtDirectory() const { return directory ? directory->fd.Get() : AT_FDCWD; }
  const char* AtName() const { return name.c_str(); }

  // The Unix path: the existing components as they are spelled on disk, a missing last
  // component converted to UTF-8 as given. Empty when `error` is set. Made on demand: most
  // calls need only the directory and the name.
  std::string UnixPath() const;
};

// Resolves `path` against the emulation's current directory. Components are matched on disk
// exactly first, then without regard to letter case (the lowest Unix name wins when several
// match). Never fails with an exception; `error` says what went wrong.
ResolvedPath ResolvePath(std::string_view path);

// True when the resolved path exists and is a directory or a link to one. Asks stat(2) only when
// the lookup did not learn the mode on the way.
bool IsExistingDirectory(const ResolvedPath& path);

// The type and permission bits of the resolved file, following a symbolic link; what the lookup
// learned when it did. False, with errno set, when stat(2) fails.
bool ModeFollowing(const ResolvedPath& path, mode_t& mode);

// True when this process, as its effective user, may use the resolved file for `access` (R_OK,
// W_OK, X_OK, or'ed), following a symbolic link. False, with errno set, when it may not or that
// cannot be asked. Asks the kernel every time: the permissions can change at any moment.
bool Permits(const ResolvedPath& path, int access);

// stat(2) of the resolved file, following a symbolic link; the status learned on the way when
// there is one. False, with errno set, when that fails.
bool StatFollowing(const ResolvedPath& path, struct stat& info);

}  // namespace cdinst::posix
