#include "winapi/posix/paths/path_resolution.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cctype>

#include "codepage/windows1252.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/paths/at_path.h"
#include "winapi/posix/paths/current_directory.h"
#include "winapi/posix/paths/directory_cache.h"
#include "winapi/posix/paths/directory_entries.h"
#include "winapi/posix/paths/prefix.h"
#include "winapi/posix/paths/windows_path.h"

namespace cdinst::posix {
namespace {

// stat(2) and lstat(2) of a path the resolution makes.
bool Status(const std::string& unixPath, struct stat& info) {
  const AtPath at = At(unixPath);
  return fstatat(at.base, at.path, &info, 0) == 0;
}

bool LinkStatus(const std::string& unixPath, struct stat& info) {
  const AtPath at = At(unixPath);
  return fstatat(at.base, at.path, &info, AT_SYMLINK_NOFOLLOW) == 0;
}

// A drive's entry in dosdevices when it is a directory; else what C: and Z: stand for without
// one, or the share's directory. Nothing for an unmapped drive, or one whose entry is there but
// no directory: the drive is not ready.
std::optional<std::string> UnixRoot(std::string_view root) {
  if (IsUncPath(root)) {
    const size_t separator = root.find('\\', 2);
    return ShareRoot(root.substr(2, separator - 2), root.substr(separator + 1));
  }
  const std::optional<std::string> mapping = DriveMapping(root[0]);
  if (!mapping || !IsDirectory(*mapping)) return std::nullopt;
  return mapping;
}

void RecordFound(ResolvedPath& result, const struct stat& info) {
  result.exists = true;
  if (!S_ISLNK(info.st_mode)) result.status = info;
}

// `component` in `directory` as a listing matched it: found, or missing as given.
void RecordMatch(const std::string& directory, std::optional<std::string> match,
                 const std::string& component, ResolvedPath& result) {
  result.name = match ? std::move(*match) : Windows1252ToUtf8(component);
  result.unixPath = UnixChild(directory, result.name);
  struct stat info;
  if (match && LinkStatus(result.unixPath, info)) RecordFound(result, info);
}

// The last component in the existing `directory`, where it is not spelled as given: a name
// equal to it without regard to letter case, else missing.
void FindLast(const std::string& directory, const struct stat& directoryStatus,
              const std::string& component, ResolvedPath& result) {
  RecordMatch(directory, MatchIgnoringCase(directory, component, &directoryStatus), component,
              result);
}

// Every component from the root, each as FindEntry finds it.
void Walk(const std::string& root, const std::vector<std::string>& components,
          ResolvedPath& result) {
  std::string directory = root;
  for (size_t i = 0; i + 1 < components.size(); ++i) {
    const std::optional<std::string> name = FindEntry(directory, components[i]);
    if (!name || !IsDirectory(UnixChild(directory, *name))) {
      result.error = ERROR_PATH_NOT_FOUND;
      return;
    }
    directory = UnixChild(directory, *name);
  }
  struct stat status;
  if (!Status(directory, status)) {
    result.error = ERROR_PATH_NOT_FOUND;
    return;
  }
  FindLast(directory, status, components.back(), result);
}

// `root` and the first `count` components, spelled as given.
std::string SpelledAsGiven(const std::string& root, const std::vector<std::string>& components,
                           size_t count) {
  std::string path = root;
  for (size_t i = 0; i < count; ++i) path = UnixChild(path, Windows1252ToUtf8(components[i]));
  return path;
}

// A root is found when it is a directory.
bool FoundRoot(const std::string& root, ResolvedPath& result) {
  struct stat info;
  if (!Status(root, info) || !S_ISDIR(info.st_mode)) return false;
  result.unixPath = root;
  result.name = ".";
  RecordFound(result, info);
  return true;
}

// The path spelled as given, under `root`: one system call. False when nothing is there.
bool FoundExactly(const std::string& root, const std::vector<std::string>& components,
                  ResolvedPath& result) {
  if (components.empty()) return FoundRoot(root, result);
  std::string path = SpelledAsGiven(root, components, components.size());
  struct stat info;
  if (!LinkStatus(path, info)) return false;
  result.unixPath = std::move(path);
  result.name = Windows1252ToUtf8(components.back());
  RecordFound(result, info);
  return true;
}

// What is not there as spelled: a last component in another letter case when its directory is
// spelled as on disk, else every component in turn. A root that is not there is a path not
// found. `rootStatus`, when given, is the root's status, which spares asking it.
void FindOtherwise(const std::string& root, const std::vector<std::string>& components,
                   ResolvedPath& result, const struct stat* rootStatus = nullptr) {
  if (components.empty()) {
    if (!FoundRoot(root, result)) result.error = ERROR_PATH_NOT_FOUND;
    return;
  }
  if (components.size() == 1 && rootStatus) {
    return FindLast(root, *rootStatus, components.back(), result);
  }
  const std::string directory = SpelledAsGiven(root, components, components.size() - 1);
  struct stat info;
  if (Status(directory, info) && S_ISDIR(info.st_mode)) {
    return FindLast(directory, info, components.back(), result);
  }
  Walk(root, components, result);
}

PathParts PartsOf(std::string_view path) {
  return SplitAbsolutePath(IsFullPath(path) ? std::string(path)
                                            : AbsolutePathText(path, CurrentDirectory()));
}

// A name right in `directory` found as its kept listing shows it; false where none is kept.
bool FoundInKeptListing(const std::string& directory, const struct stat* directoryStatus,
                        const std::string& component, ResolvedPath& result) {
  std::optional<std::string> match;
  if (!directoryStatus || !MatchInKeptListing(*directoryStatus, component, match)) return false;
  RecordMatch(directory, std::move(match), component, result);
  return true;
}

// What follows the held directory, looked for from it.
void FindFromHeld(HeldBase base, const PathParts& parts, Lookup lookup, ResolvedPath& result) {
  const std::string root = base.fd->Path();
  const std::vector<std::string> rest(parts.components.begin() + base.components,
                                      parts.components.end());
  result.held = std::move(base.fd);
  if (rest.empty()) {  // the held directory itself
    struct stat info;
    if (!Status(root, info)) {
      result.error = ERROR_PATH_NOT_FOUND;
      return;
    }
    result.unixPath = root;
    result.name = std::move(base.name);
    return RecordFound(result, info);
  }
  if (lookup == Lookup::kKeptListingFirst && rest.size() == 1 &&
      FoundInKeptListing(root, result.held->Status(), rest.back(), result)) {
    return;
  }
  if (!FoundExactly(root, rest, result)) FindOtherwise(root, rest, result, result.held->Status());
}

// The entries on the way on the disc `image`, a missing last component being a file not found
// and any other a path not found.
void FindOnDisc(std::shared_ptr<const disc::DiscImage> image, const PathParts& parts,
                ResolvedPath& result) {
  std::vector<std::string> names;
  for (const std::string& component : parts.components)
    names.push_back(Windows1252ToUtf8(component));
  const std::vector<std::string_view> components(names.begin(), names.end());
  const auto trail = ReadDisc([&] { return image->Trail(components); }, result.error);
  if (!trail) return;
  const bool found = trail->size() == components.size() + 1;
  if (!found && (trail->size() < components.size() || !trail->back().directory)) {
    result.error = ERROR_PATH_NOT_FOUND;
    return;
  }
  result.name = names.empty() ? "." : names.back();
  result.disc = DiscPlace{std::move(image), std::move(*trail)};
  result.exists = found;
  if (found) result.status = DiscStatus(*result.disc);
}

// The disc in the drive `parts` names, if it holds one; `held` only when that costs nothing.
std::shared_ptr<const disc::DiscImage> DiscOf(const PathParts& parts, bool held) {
  if (IsUncPath(parts.root)) return nullptr;
  return held ? HeldDisc(parts.root[0]) : DiscInDrive(parts.root[0]);
}

// A drive's entry (in dosdevices, or the variable's directory), which most paths go through, is
// tried before its root is looked at.
std::optional<std::string> DriveEntry(std::string_view root) {
  if (IsUncPath(root) || !std::isalpha(static_cast<unsigned char>(root[0]))) return std::nullopt;
  return DriveEntryPath(root[0]);
}

}  // namespace

ResolvedPath ResolvePath(std::string_view path, Lookup lookup) {
  ResolvedPath result;
  if (path.empty()) {
    result.error = ERROR_PATH_NOT_FOUND;
    return result;
  }
  result.trailingSeparator = IsSeparator(path.back());
  const PathParts parts = PartsOf(path);
  result.error = parts.error;
  if (result.error != ERROR_SUCCESS) return result;
  result.windowsPath = JoinPath(parts);
  if (auto image = DiscOf(parts, true)) {
    FindOnDisc(std::move(image), parts, result);
    return result;
  }
  if (std::optional<HeldBase> base = HeldBaseOf(HeldPathOf(parts))) {
    FindFromHeld(std::move(*base), parts, lookup, result);
    return result;
  }
  const std::optional<std::string> entry = DriveEntry(parts.root);
  if (entry && FoundExactly(*entry, parts.components, result)) return result;
  const std::optional<std::string> root = UnixRoot(parts.root);
  if (!root) {
    if (auto image = DiscOf(parts, false)) {
      FindOnDisc(std::move(image), parts, result);
    } else {
      result.error = ERROR_PATH_NOT_FOUND;
    }
    return result;
  }
  if (root != entry && FoundExactly(*root, parts.components, result)) return result;
  FindOtherwise(*root, parts.components, result);
  return result;
}

std::optional<SpelledPath> SpellPath(std::string_view path) {
  if (path.empty()) return std::nullopt;
  const PathParts parts = PartsOf(path);
  if (parts.error != ERROR_SUCCESS || DiscOf(parts, true)) return std::nullopt;
  SpelledPath spelled{JoinPath(parts), {}, nullptr, HeldPathOf(parts)};
  if (std::optional<HeldBase> base = HeldBaseOf(spelled.heldPath)) {
    spelled.unixPath = base->fd->Path();
    for (size_t i = base->components; i < parts.components.size(); ++i) {
      spelled.unixPath = UnixChild(spelled.unixPath, Windows1252ToUtf8(parts.components[i]));
    }
    spelled.held = std::move(base->fd);
    return spelled;
  }
  const std::optional<std::string> entry = DriveEntry(parts.root);
  if (!entry) return std::nullopt;
  spelled.unixPath = SpelledAsGiven(*entry, parts.components, parts.components.size());
  return spelled;
}

std::optional<HeldEntry> HeldEntryOf(std::string_view path) {
  std::optional<SpelledPath> spelled = SpellPath(path);
  if (!spelled) return std::nullopt;
  std::optional<std::string> name = NameInHeld(spelled->held, spelled->unixPath);
  const struct stat* held = name ? spelled->held->Status() : nullptr;
  if (!held) return std::nullopt;
  return HeldEntry{std::move(spelled->held), *held, std::move(*name),
                   std::string(LastComponent(spelled->windowsPath)), IsSeparator(path.back())};
}

void KeepAttributes(const HeldEntry& entry, const ResolvedPath& target, uint32_t attributes) {
  if (target.status && target.status->st_dev == entry.directory.st_dev &&
      NameInHeld(target.held, target.unixPath) == entry.name) {
    KeepEntryAttributes(entry.directory, entry.name, attributes);
  }
}

// A held directory itself is named by a path of its own, which ends in no name.
std::string ResolvedPath::ParentPath() const {
  if (name == "." || disc) return unixPath;
  const size_t end = unixPath.size() - name.size();
  if (name.size() < unixPath.size() && unixPath.compare(end, std::string::npos, name) == 0 &&
      unixPath[end - 1] == '/') {
    return unixPath.substr(0, end);
  }
  return unixPath + "/..";
}

bool IsExistingDirectory(const ResolvedPath& path) {
  struct stat info;
  return path.exists && StatFollowing(path, info) && S_ISDIR(info.st_mode);
}

bool StatusOfResolvedPath(const ResolvedPath& path, struct stat& info) {
  if (path.error != ERROR_SUCCESS) return FailWith(false, path.error);
  if (!path.exists) return FailWith(false, ERROR_FILE_NOT_FOUND);
  return StatFollowing(path, info) || FailWithErrno(false);
}

bool StatFollowing(const ResolvedPath& path, struct stat& info) {
  if (path.status) {
    info = *path.status;
    return true;
  }
  return Status(path.unixPath, info);
}

}  // namespace cdinst::posix
