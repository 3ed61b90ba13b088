#include "winapi/posix/path_resolution.h"

#include <sys/stat.h>

#include <optional>

#include "platform/windows1252.h"
#include "winapi/posix/current_directory.h"
#include "winapi/posix/directory_cache.h"
#include "winapi/posix/directory_entries.h"
#include "winapi/posix/prefix.h"
#include "winapi/posix/windows_path.h"

namespace cdinst::posix {
namespace {

bool IsShareRoot(std::string_view root) {
  return root.size() >= 2 && root[0] == '\\' && root[1] == '\\';
}

// A drive's mapping is not checked yet: a path found below it shows that it is a directory.
std::optional<std::string> UnixRoot(std::string_view root) {
  if (IsShareRoot(root)) {
    const size_t separator = root.find('\\', 2);
    return ShareRoot(root.substr(2, separator - 2), root.substr(separator + 1));
  }
  return DriveMapping(root[0]);
}

// Follows the components from `first` on down from `unixPath`, as far as they exist on disk.
void WalkFrom(const std::vector<std::string>& components, size_t first, std::string unixPath,
              ResolvedPath& result) {
  for (size_t i = first; i < components.size(); ++i) {
    const bool last = i + 1 == components.size();
    const std::optional<std::string> name = FindEntry(unixPath, components[i]);
    if (!name) {
      if (!last) result.error = ERROR_PATH_NOT_FOUND;
      result.unixPath = UnixChild(unixPath, Windows1252ToUtf8(components[i]));
      return;
    }
    unixPath = UnixChild(unixPath, *name);
    if (!last && !IsDirectory(unixPath)) {
      result.error = ERROR_PATH_NOT_FOUND;
      return;
    }
  }
  result.unixPath = unixPath;
  result.exists = true;
}

bool EntryExists(const std::string& unixPath) {
  struct stat info;
  return lstat(unixPath.c_str(), &info) == 0;
}

// The last component in the existing directory `parent`, the spelling given being missing there.
void FindLast(const std::vector<std::string>& components, const std::string& parent,
              ResolvedPath& result) {
  const std::optional<std::string> name = MatchIgnoringCase(parent, components.back());
  result.unixPath = UnixChild(parent, name ? *name : Windows1252ToUtf8(components.back()));
  result.exists = name.has_value();
}

// Looking a component up costs a walk of the whole path so far, so a walk one component at a
// time costs the square of the depth. The kernel's own walk of the path spelled as given demands
// what the component walk settles on first: every level there under that spelling, and a
// directory (or a link to one) below the last; the root too. So one lookup settles the usual
// cases, an existing path and a new name in an existing directory; anything else takes the walk.
void Walk(const std::vector<std::string>& components, const std::string& root,
          ResolvedPath& result) {
  std::string exact = root;
  for (const std::string& component : components) {
    if (exact.back() != '/') exact += '/';
    exact += Windows1252ToUtf8(component);
  }
  if (!components.empty() && EntryExists(exact)) {
    result.unixPath = std::move(exact);
    result.exists = true;
    return;
  }
  if (components.size() > 1) {
    exact.erase(exact.rfind('/'));
    if (IsDirectory(exact)) return FindLast(components, exact, result);
  }
  if (!IsDirectory(root)) {
    result.error = ERROR_PATH_NOT_FOUND;
    return;
  }
  WalkFrom(components, 0, root, result);
}

}  // namespace

ResolvedPath ResolvePath(std::string_view path) {
  ResolvedPath result;
  if (path.empty()) {
    result.error = ERROR_PATH_NOT_FOUND;
    return result;
  }
  result.trailingSeparator = IsSeparator(path.back());
  const PathParts parts = SplitAbsolutePath(AbsolutePathText(path, CurrentDirectory()));
  result.error = parts.error;
  if (result.error != ERROR_SUCCESS) return result;
  result.windowsPath = JoinPath(parts);
  const std::optional<std::string> root = UnixRoot(parts.root);
  if (!root) {
    result.error = ERROR_PATH_NOT_FOUND;
    return result;
  }
  Walk(parts.components, *root, result);
  return result;
}

}  // namespace cdinst::posix
