#include "winapi/posix/path_resolution.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <mutex>
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

std::optional<std::string> ExistingDirectory(std::string path, struct stat& status) {
  if (stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return std::nullopt;
  return path;
}

bool HasDeviceEntry(std::string_view root) {
  return !IsShareRoot(root) && std::isalpha(static_cast<unsigned char>(root[0]));
}

// A root other than a drive's entry in dosdevices, which the walk tries first: C: and Z:
// without one, a share. When DriveMapping still gives the entry, the entry is there but did not
// open as a directory: the drive is not ready.
std::optional<std::string> OtherRoot(std::string_view root, struct stat& status) {
  if (!IsShareRoot(root)) {
    const std::optional<std::string> mapping = DriveMapping(root[0]);
    if (!mapping || *mapping == DosDevicePath(root[0])) return std::nullopt;
    return ExistingDirectory(*mapping, status);
  }
  const size_t separator = root.find('\\', 2);
  const std::optional<std::string> share =
      ShareRoot(root.substr(2, separator - 2), root.substr(separator + 1));
  return share ? ExistingDirectory(*share, status) : std::nullopt;
}

// Where a walk started: the root's Unix path, and what stat(2) said of it unless the walk looked
// at it itself (a drive's entry in dosdevices).
struct Start {
  std::string unixRoot;
  std::optional<struct stat> status;
};

WalkedDirectory WalkFromRoot(std::string_view root, const std::vector<std::string>& components,
                             size_t count, Start& start) {
  if (HasDeviceEntry(root)) {
    start.unixRoot = DosDevicePath(root[0]);
    const WalkedDirectory walked = WalkToDirectory(start.unixRoot, nullptr, components, count);
    if (!walked.rootMissing) return walked;
  }
  struct stat status;
  const std::optional<std::string> other = OtherRoot(root, status);
  if (!other) return {};
  start.unixRoot = *other;
  start.status = status;
  return WalkToDirectory(start.unixRoot, &status, components, count);
}

// The last component in the directory the walk ended at: a kept directory of that name, else
// the spelling given when it is there, else a match without regard to letter case.
void FindLast(const std::string& component, const WalkedDirectory& walked, ResolvedPath& result) {
  const OpenDirectoryRef& directory = walked.directory;
  result.directory = directory;
  if (OpenDirectoryRef kept = KeptChild(walked, component)) {
    result.name = kept->unixPath.substr(kept->unixPath.rfind('/') + 1);
    result.exists = true;
    result.kept = std::move(kept);
    return;
  }
  result.name = Windows1252ToUtf8(component);
  // A kept directory that follows its names knows a name missing without a lookup; the one a
  // directory being filled is asked for every name it is about to get. Its status is left to
  // be asked by whoever needs it: mostly no one.
  if (KeptLacks(walked, component)) return;
  struct stat info;
  if (fstatat(directory->fd.Get(), result.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
    result.exists = true;
    if (!S_ISLNK(info.st_mode)) result.status = info;
    if (S_ISDIR(info.st_mode)) result.kept = KeepChild(walked, component);
  } else if (KeptStatus(walked, info) || fstat(directory->fd.Get(), &info) == 0) {
    FollowNames(walked);
    std::optional<std::string> match;
    if (!KeptLacks(walked, component)) {
      match = MatchIgnoringCase(directory->unixPath, component, &info);
    }
    result.exists = match.has_value();
    if (match) {
      result.name = std::move(*match);
    } else {
      result.parentStatus = info;
    }
  }
}

// What resolving a full path learned up to its last component, for the next calls: a file is
// named several times in a row (is it there, its attributes, open it), and the files of one
// directory one after another; taking the text apart and walking it again costs more than the
// rest. Good while the root is the same directory and the walk's directory is kept unchanged.
struct Remembered {
  std::string path;  // made absolute
  std::string root;  // as in PathParts
  std::string last;  // the last component; empty for a root
  std::string windowsPath;
  // When the last component was a plain name: the text before it, and the full path of the
  // directory it is in. Another plain name after the same text is in the same directory.
  std::string directoryText;
  std::string directoryWindowsPath;
  Start start;
  WalkedDirectory walked;
};

// The last few; a new one takes the place of the oldest, and the storage of its texts.
struct RememberedRing {
  std::array<Remembered, 8> entries;
  size_t oldest = 0;
};

RememberedRing& RememberedPaths() {
  static RememberedRing ring;
  return ring;
}

// Guards the remembered paths; taken before the caches the resolution goes through.
std::mutex& RememberedMutex() {
  static std::mutex mutex;
  return mutex;
}

// The length of `windowsPath` without its last component `last`; a root keeps its backslash.
size_t DirectoryLength(const std::string& windowsPath, const std::string& last,
                       const std::string& root) {
  const size_t length = windowsPath.size() - last.size();
  return length > root.size() && windowsPath[length - 1] == '\\' ? length - 1 : length;
}

std::string JoinChild(const std::string& directory, std::string_view name) {
  std::string path;
  path.reserve(directory.size() + 1 + name.size());
  path = directory;
  if (path.back() != '\\') path += '\\';
  path += name;
  return path;
}

// The entry a new path goes to: the oldest.
Remembered& TakeOldest() {
  RememberedRing& ring = RememberedPaths();
  Remembered& oldest = ring.entries[ring.oldest];
  ring.oldest = (ring.oldest + 1) % ring.entries.size();
  return oldest;
}

// Called with the mutex held.
void Remember(std::string_view path, const std::string& root, const std::string& last,
              const Start& start, const WalkedDirectory& walked, const std::string& windowsPath) {
  if (walked.generation == 0) return;
  Remembered& latest = TakeOldest();
  latest.path.assign(path);
  latest.root = root;
  latest.last = last;
  latest.windowsPath = windowsPath;
  const std::optional<PlainLast> plain = SplitPlainLast(path);
  latest.directoryText.assign(plain ? plain->directory : std::string_view());
  latest.directoryWindowsPath.assign(windowsPath, 0,
                                     plain ? DirectoryLength(windowsPath, last, root) : 0);
  latest.start = start;
  latest.walked = walked;
}

// Remember() for a path whose directory `beside` has; what they share is copied only when the
// new entry is not written over `beside` itself.
void RememberBeside(std::string_view path, const Remembered& beside, const std::string& last,
                    const std::string& windowsPath) {
  Remembered& latest = TakeOldest();
  if (&latest != &beside) {
    latest.root = beside.root;
    latest.directoryText = beside.directoryText;
    latest.directoryWindowsPath = beside.directoryWindowsPath;
    latest.start = beside.start;
    latest.walked = beside.walked;
  }
  latest.path.assign(path);
  latest.last = last;
  latest.windowsPath = windowsPath;
}

const Remembered* Recall(std::string_view path) {
  for (const Remembered& remembered : RememberedPaths().entries) {
    if (remembered.walked.generation != 0 && remembered.path == path) return &remembered;
  }
  return nullptr;
}

const Remembered* RecallDirectory(std::string_view directoryText) {
  for (const Remembered& remembered : RememberedPaths().entries) {
    if (remembered.walked.generation != 0 && !remembered.directoryText.empty() &&
        remembered.directoryText == directoryText) {
      return &remembered;
    }
  }
  return nullptr;
}

// The root, or its last component in the directory the walk ended at. A kept root needs no
// stat(2).
void Finish(const std::string& last, const WalkedDirectory& walked, ResolvedPath& result) {
  if (!last.empty()) {
    FindLast(last, walked, result);
    return;
  }
  struct stat status;
  if (walked.generation != 0) {
    result.kept = walked.directory;
  } else if (fstat(walked.directory->fd.Get(), &status) == 0) {
    result.status = status;
  }
  result.directory = walked.directory;
  result.name = ".";
  result.exists = true;
}

// A root that was stat-ed is stat-ed again; a drive's entry in dosdevices is watched, and a
// change to it lets the walk's directory go.
bool SameStart(const Remembered& remembered) {
  const Start& start = remembered.start;
  if (!start.status) return IsDosDevicePath(start.unixRoot, remembered.root[0]);
  struct stat status;
  const std::optional<std::string> other = OtherRoot(remembered.root, status);
  return other && *other == start.unixRoot && status.st_dev == start.status->st_dev &&
         status.st_ino == start.status->st_ino;
}

bool ResolveRemembered(const Remembered& remembered, ResolvedPath& result) {
  if (!SameStart(remembered) || !Unchanged(remembered.walked.generation)) return false;
  result.windowsPath = remembered.windowsPath;
  Finish(remembered.last, remembered.walked, result);
  return true;
}

// Another name in the directory of a remembered path.
bool ResolveBeside(std::string_view path, const Remembered& remembered, std::string_view name,
                   ResolvedPath& result) {
  if (!SameStart(remembered) || !Unchanged(remembered.walked.generation)) return false;
  const std::string last(name);
  result.windowsPath = JoinChild(remembered.directoryWindowsPath, last);
  Finish(last, remembered.walked, result);
  RememberBeside(path, remembered, last, result.windowsPath);
  return true;
}

bool ResolveFromMemory(std::string_view path, ResolvedPath& result) {
  const std::lock_guard<std::mutex> lock(RememberedMutex());
  if (const Remembered* remembered = Recall(path)) {
    if (ResolveRemembered(*remembered, result)) return true;
  }
  const std::optional<PlainLast> plain = SplitPlainLast(path);
  if (!plain) return false;
  const Remembered* directory = RecallDirectory(plain->directory);
  return directory && ResolveBeside(path, *directory, plain->name, result);
}

void Resolve(std::string_view path, const PathParts& parts, ResolvedPath& result) {
  const std::vector<std::string>& components = parts.components;
  const size_t above = components.empty() ? 0 : components.size() - 1;
  Start start;
  const WalkedDirectory walked = WalkFromRoot(parts.root, components, above, start);
  if (!walked.directory) {
    result.error = ERROR_PATH_NOT_FOUND;
    return;
  }
  const std::string last = components.empty() ? std::string() : components.back();
  Finish(last, walked, result);
  const std::lock_guard<std::mutex> lock(RememberedMutex());
  Remember(path, parts.root, last, start, walked, result.windowsPath);
}

}  // namespace

ResolvedPath ResolvePath(std::string_view path) {
  ResolvedPath result;
  if (path.empty()) {
    result.error = ERROR_PATH_NOT_FOUND;
    return result;
  }
  result.trailingSeparator = IsSeparator(path.back());
  std::string made;  // only a path not absolute yet needs the current directory
  std::string_view absolute = path;
  if (!IsFullPath(path)) absolute = made = AbsolutePathText(path, CurrentDirectory());
  if (ResolveFromMemory(absolute, result)) return result;
  const PathParts parts = SplitAbsolutePath(absolute);
  result.error = parts.error;
  if (result.error != ERROR_SUCCESS) return result;
  result.windowsPath = JoinPath(parts);
  Resolve(absolute, parts, result);
  return result;
}

std::string ResolvedPath::UnixPath() const {
  if (!directory) return std::string();
  return name == "." ? directory->unixPath : UnixChild(directory->unixPath, name);
}

bool IsExistingDirectory(const ResolvedPath& path) {
  mode_t mode;
  return path.exists && ModeFollowing(path, mode) && S_ISDIR(mode);
}

bool ModeFollowing(const ResolvedPath& path, mode_t& mode) {
  if (path.kept) {
    mode = path.kept->mode;
    return true;
  }
  struct stat info;
  if (!StatFollowing(path, info)) return false;
  mode = info.st_mode;
  return true;
}

bool Permits(const ResolvedPath& path, int access) {
  return faccessat(path.AtDirectory(), path.AtName(), access, AT_EACCESS) == 0;
}

bool StatFollowing(const ResolvedPath& path, struct stat& info) {
  if (path.status) {
    info = *path.status;
    return true;
  }
  return fstatat(path.AtDirectory(), path.AtName(), &info, 0) == 0;
}

}  // namespace cdinst::posix
