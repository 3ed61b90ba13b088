// DeleteFileA and RemoveDirectoryA. The listing cache and change notifications hear of a removal
// from inotify before the call returns.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "winapi/posix/call_count.h"
#include "winapi/posix/files/share_modes.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/paths/at_path.h"
#include "winapi/posix/paths/held_directories.h"
#include "winapi/posix/paths/path_resolution.h"
#include "winapi/posix/unique_fd.h"

using cdinst::posix::FailWith;
using cdinst::posix::FailWithErrno;
using cdinst::posix::ResolvedPath;

namespace {

// The existing file `path` names, and its mode, following symbolic links.
bool ResolveExisting(LPCSTR path, ResolvedPath& target, struct stat& info) {
  if (path == nullptr) return FailWith(false, ERROR_INVALID_PARAMETER);
  if (*path == '\0') return FailWith(false, ERROR_PATH_NOT_FOUND);
  target = cdinst::posix::ResolvePath(path);
  if (target.error != ERROR_SUCCESS) return FailWith(false, target.error);
  if (!target.exists) return FailWith(false, ERROR_FILE_NOT_FOUND);
  if (!cdinst::posix::StatFollowing(target, info)) return FailWithErrno(false);
  return true;
}

// No open of the emulation grants FILE_SHARE_DELETE, so any open that holds read or write
// access refuses the deletion. A file that cannot be opened to look has no open to ask.
DWORD SharingRefusal(const ResolvedPath& target, const struct stat& info) {
  if (!S_ISREG(info.st_mode)) return ERROR_SUCCESS;
  const cdinst::posix::AtPath at = cdinst::posix::At(target.unixPath);
  const cdinst::posix::UniqueFd fd(openat(at.base, at.path, O_RDONLY | O_CLOEXEC | O_NOCTTY));
  return fd.Valid() ? cdinst::posix::CheckDeletionSharing(fd.Get()) : ERROR_SUCCESS;
}

}  // namespace

BOOL DeleteFileA(LPCSTR path) {
  const cdinst::posix::WindowsCall call;
  ResolvedPath target;
  struct stat info;
  if (!ResolveExisting(path, target, info)) return FALSE;
  if (target.disc) return FailWith(FALSE, ERROR_ACCESS_DENIED);
  if (target.trailingSeparator) return FailWith(FALSE, ERROR_INVALID_NAME);
  // A read-only file is refused for root too, as Windows refuses it for an administrator.
  if (S_ISDIR(info.st_mode) || (info.st_mode & S_IWUSR) == 0) {
    return FailWith(FALSE, ERROR_ACCESS_DENIED);
  }
  if (const DWORD refusal = SharingRefusal(target, info)) return FailWith(FALSE, refusal);
  const cdinst::posix::AtPath at = cdinst::posix::At(target.unixPath);
  if (unlinkat(at.base, at.path, 0) != 0) return FailWithErrno(FALSE);
  return TRUE;
}

// The current directory, and a directory open without FILE_SHARE_DELETE, are held. The other
// held directories are those above the current directory, which they hold.
BOOL RemoveDirectoryA(LPCSTR path) {
  const cdinst::posix::WindowsCall call;
  ResolvedPath target;
  struct stat info;
  if (!ResolveExisting(path, target, info)) return FALSE;
  if (target.disc) return FailWith(FALSE, ERROR_ACCESS_DENIED);
  if (!S_ISDIR(info.st_mode)) return FailWith(FALSE, ERROR_DIRECTORY);
  if (cdinst::posix::IsHeld(info.st_dev, info.st_ino)) {
    return FailWith(FALSE, ERROR_SHARING_VIOLATION);
  }
  const cdinst::posix::AtPath at = cdinst::posix::At(target.unixPath);
  if (target.held && std::string_view(at.path) == ".") return FailWith(FALSE, ERROR_DIR_NOT_EMPTY);
  if (unlinkat(at.base, at.path, AT_REMOVEDIR) != 0) {
    // Some file systems say EEXIST for a directory that still holds entries.
    return errno == EEXIST ? FailWith(FALSE, ERROR_DIR_NOT_EMPTY) : FailWithErrno(FALSE);
  }
  return TRUE;
}
