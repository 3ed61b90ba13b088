#include "winapi/posix/path_resolution.h"

#include <optional>

#include "platform/windows1252.h"
#include "winapi/posix/current_directory.h"
#include "winapi/posix/directory_entries.h"
#include "winapi/posix/prefix.h"
#include "winapi/posix/windows_path.h"

namespace cdinst::posix {
namespace {

std::optional<std::string> UnixRoot(std::string_view root) {
  if (root.size() >= 2 && root[0] == '\\' && root[1] == '\\') {
    const size_t separator = root.find('\\', 2);
    return ShareRoot(root.substr(2, separator - 2), root.substr(separator + 1));
  }
  return DriveRoot(root[0]);
}

// Follows the components down from the root, as far as they exist on disk.
void Walk(const std::vector<std::string>& components, std::string unixPath, ResolvedPath& result) {
  for (size_t i = 0; i < components.size(); ++i) {
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
