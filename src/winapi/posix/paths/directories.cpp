// CreateDirectoryA.
#include <fcntl.h>
#include <sys/stat.h>

#include "winapi/posix/call_count.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/paths/at_path.h"
#include "winapi/posix/paths/path_resolution.h"

using cdinst::posix::FailWith;

BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES) {
  const cdinst::posix::WindowsCall call;
  if (path == nullptr) return FailWith(FALSE, ERROR_INVALID_PARAMETER);
  // A name in another letter case counts too, so a kept listing is asked first.
  const cdinst::posix::ResolvedPath target =
      cdinst::posix::ResolvePath(path, cdinst::posix::Lookup::kKeptListingFirst);
  if (target.error != ERROR_SUCCESS) return FailWith(FALSE, target.error);
  if (target.disc) return FailWith(FALSE, ERROR_ACCESS_DENIED);
  // Anything of that name counts, also when only the letter case differs.
  if (target.exists) return FailWith(FALSE, ERROR_ALREADY_EXISTS);
  const cdinst::posix::AtPath at = cdinst::posix::At(target.unixPath);
  if (mkdirat(at.base, at.path, 0777) != 0) {
    return cdinst::posix::FailWithErrno(FALSE, ERROR_PATH_NOT_FOUND);
  }
  return TRUE;
}
