#include "winapi/posix/path_resolution.h"

#include <sys/stat.h>

#include <cctype>
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

std::optional<std::string> UnixRoot(std::string_view root) {
  const size_t separator = root.find('\\', 2);
  return ShareRoot(root.substr(2, separator - 2), root.substr(separator + 1));
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

// The last component in the existing directory `parent`, the spelling given being missing there.
void FindLast(const std::vector<std::string>& components, const std::string& parent,
              const struct stat& parentStatus, ResolvedPath& result) {
  const std::optional<std::string> name =
      MatchIgnoringCase(parent, components.back(), &parentStatus);
  result.unixPath = UnixChild(parent, name ? *name : Windows1252ToUtf8(components.back()));
  result.exists = name.has_value();
  if (!result.exists) result.parentStatus = parentStatus;
}

// Looking a component up costs a walk of the whole path so far, so a walk one component at a
// time costs the square of the depth. The kernel's own walk of the path spelled as given demands
// what the component walk settles on first: every level there under that spelling, and a
// directory (or a link to one) below the last; the root too. So one lookup settles the usual
// cases, an existing path and a new name in an existing directory. False when it settles
// nothing.
bool WalkAtOnce(const std::vector<std::string>& components, const std::string& root,
                ResolvedPath& result) {
  if (components.empty()) return false;
  size_t length = root.size();
  for (const std::string& component : components) length += component.size() + 1;
  std::string exact;
  exact.reserve(length + 16);  // room for letters that take two bytes in UTF-8
  exact = root;
  for (const std::string& component : components) {
    if (exact.back() != '/') exact += '/';
    exact += Windows1252ToUtf8(component);
  }
  struct stat info;
  if (lstat(exact.c_str(), &info) == 0) {
    result.unixPath = std::move(exact);
    result.exists = true;
    if (!S_ISLNK(info.st_mode)) result.status = info;
    return true;
  }
  if (components.size() < 2) return false;
  exact.erase(exact.rfind('/'));
  if (stat(exact.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
  FindLast(components, exact, info, result);
  return true;
}

// The root's status is what stat(2) says of it, so a path that names the root itself keeps it.
void WalkFromRoot(const std::vector<std::string>& components, const std::string& root,
                  ResolvedPath& result) {
  struct stat info;
  if (stat(root.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    result.error = ERROR_PATH_NOT_FOUND;
    return;
  }
  if (components.empty()) result.status = info;
  WalkFrom(components, 0, root, result);
}

// A drive is first taken to be its entry in dosdevices: a path found below that entry shows
// that the entry is there, which is all that DriveMapping would look up.
void WalkFromDrive(const std::vector<std::string>& components, char letter, ResolvedPath& result) {
  const bool letterDrive = std::isalpha(static_cast<unsigned char>(letter));
  const std::string device = letterDrive ? DosDevicePath(letter) : std::string();
  if (letterDrive && WalkAtOnce(components, device, result)) return;
  const std::optional<std::string> root = DriveMapping(letter);
  if (!root) {
    result.error = ERROR_PATH_NOT_FOUND;
    return;
  }
  if (*root != device && WalkAtOnce(components, *root, result)) return;
  WalkFromRoot(components, *root, result);
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
  if (!IsShareRoot(parts.root)) {
    WalkFromDrive(parts.components, parts.root[0], result);
    return result;
  }
  const std::optional<std::string> root = UnixRoot(parts.root);
  if (!root) {
    result.error = ERROR_PATH_NOT_FOUND;
    return result;
  }
  if (!WalkAtOnce(parts.components, *root, result)) WalkFromRoot(parts.components, *root, result);
  return result;
}

bool IsExistingDirectory(const ResolvedPath& path) {
  if (!path.exists) return false;
  return path.status ? S_ISDIR(path.status->st_mode) : IsDirectory(path.unixPath);
}

}  // namespace cdinst::posix
