// GetShortPathNameA: each component that is not already an 8.3 name is replaced by its
// hashed short name; the rest of the text (root, separators, relative form) stays as given.
#include <sys/stat.h>

#include <string>

#include "winapi/posix/call_count.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/paths/path_resolution.h"
#include "winapi/posix/paths/short_names.h"
#include "winapi/posix/paths/windows_path.h"
#include "winapi/posix/result_buffer.h"

namespace {

using cdinst::posix::IsSeparator;

std::string ShortComponent(std::string_view name) {
  const std::string shortName = cdinst::posix::ShortNameOf(name);
  return shortName.empty() ? std::string(name) : shortName;
}

std::string ShortenComponents(std::string_view path) {
  size_t at = cdinst::posix::RootLength(path);
  std::string result(path.substr(0, at));
  while (at < path.size()) {
    if (IsSeparator(path[at])) {
      result += path[at++];
      continue;
    }
    size_t end = at;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    result += ShortComponent(path.substr(at, end - at));
    at = end;
  }
  return result;
}

bool Exists(const cdinst::posix::ResolvedPath& target) {
  struct stat info;
  return target.error == ERROR_SUCCESS && target.exists &&
         cdinst::posix::StatFollowing(target, info);
}

}  // namespace

// A missing path is ERROR_FILE_NOT_FOUND even when a directory on the way is missing.
DWORD GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size) {
  const cdinst::posix::WindowsCall call;
  using cdinst::posix::FailWith;
  if (longPath == nullptr) return FailWith(DWORD{0}, ERROR_INVALID_PARAMETER);
  if (*longPath == '\0') return FailWith(DWORD{0}, ERROR_BAD_PATHNAME);
  const cdinst::posix::ResolvedPath target = cdinst::posix::ResolvePath(longPath);
  if (target.error == ERROR_INVALID_NAME) return FailWith(DWORD{0}, ERROR_INVALID_NAME);
  if (!Exists(target)) return FailWith(DWORD{0}, ERROR_FILE_NOT_FOUND);
  return cdinst::posix::CopyTextResult(ShortenComponents(longPath), shortPath, size);
}
