#include "winapi/posix/paths/current_directory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <vector>

#include "winapi/posix/call_count.h"
#include "winapi/posix/drives.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/paths/at_path.h"
#include "winapi/posix/paths/directory_entries.h"
#include "winapi/posix/paths/held_directories.h"
#include "winapi/posix/paths/left_directories.h"
#include "winapi/posix/paths/path_resolution.h"
#include "winapi/posix/result_buffer.h"

namespace {

std::optional<std::string>& State() {
  static std::optional<std::string> current;
  return current;
}

// The current directory, held, and the directories above it that it was entered through,
// held too, each under its own address as key: Windows lets no one rename a directory while
// anything below it is open, so each still names what it named when entered, and moving up to
// one opens nothing. Only the current directory refuses removal.
std::vector<std::unique_ptr<char>>& Levels() {
  static std::vector<std::unique_ptr<char>> levels;
  return levels;
}

// A level left for the one right above it is kept for coming back (left_directories.h).
void KeepLeft(const void* left, const void* above) {
  const std::optional<cdinst::posix::HeldBase> down = cdinst::posix::HeldUnder(left);
  const std::optional<cdinst::posix::HeldBase> up = cdinst::posix::HeldUnder(above);
  if (down && up && up->components + 1 == down->components) {
    cdinst::posix::KeepLeftDirectory(*up->fd, down->name, down->fd);
  }
}

// Lets go of the levels past the first `count`; the last one left is the current directory.
void KeepLevels(size_t count) {
  std::vector<std::unique_ptr<char>>& levels = Levels();
  while (levels.size() > count) {
    if (levels.size() > 1) KeepLeft(levels.back().get(), levels[levels.size() - 2].get());
    cdinst::posix::ReleaseDirectory(levels.back().get());
    levels.pop_back();
  }
  if (!levels.empty()) cdinst::posix::SetRefusesRemoval(levels.back().get(), true);
}

// Opening the directory's "." needs the right to search it, as entering it on Windows needs the
// right to traverse it.
cdinst::posix::UniqueFd OpenToEnter(const std::string& unixPath) {
  const std::string self = unixPath + "/.";
  const cdinst::posix::AtPath at = cdinst::posix::At(self);
  return cdinst::posix::UniqueFd(openat(at.base, at.path, O_PATH | O_DIRECTORY | O_CLOEXEC));
}

// Keeps the levels on the way to `windowsPath`, matched as `path`, and makes it the new current
// directory below them, held by `hold(key)`.
template <typename Hold>
BOOL Enter(const std::string& windowsPath, const cdinst::posix::HeldPath& path, Hold hold) {
  std::vector<std::unique_ptr<char>>& levels = Levels();
  size_t above = 0;
  while (above < levels.size()) {
    const std::optional<size_t> covered = cdinst::posix::CoveredBy(levels[above].get(), path);
    if (!covered || *covered == path.Components()) break;
    ++above;
  }
  KeepLevels(above);
  auto level = std::make_unique<char>();
  if (hold(level.get())) {
    if (!levels.empty()) cdinst::posix::SetRefusesRemoval(levels.back().get(), false);
    levels.push_back(std::move(level));
  }
  State() = windowsPath;
  return TRUE;
}

BOOL Enter(const std::string& windowsPath, const cdinst::posix::HeldPath& path,
           cdinst::posix::UniqueFd directory, const std::string& unixPath) {
  return Enter(windowsPath, path, [&](const void* key) {
    return cdinst::posix::HoldDirectory(
        key, path, std::make_shared<const cdinst::posix::HeldDirectory>(std::move(directory)),
        unixPath);
  });
}

BOOL Enter(const std::string& windowsPath, cdinst::posix::UniqueFd directory,
           const std::string& unixPath) {
  const cdinst::posix::HeldPath path =
      cdinst::posix::HeldPathOf(cdinst::posix::SplitAbsolutePath(windowsPath));
  return Enter(windowsPath, path, std::move(directory), unixPath);
}

// A directory held otherwise (a folder opened without sharing deletion) is entered through its
// hold: it stands for its path, and nothing is opened.
bool EnterHeld(const std::string& windowsPath, const cdinst::posix::HeldPath& path) {
  const std::optional<cdinst::posix::HeldBase> held = cdinst::posix::HeldBaseOf(path);
  if (!held || held->components != path.Components()) return false;
  return Enter(windowsPath, path,
               [&](const void* key) { return cdinst::posix::HoldDirectory(key, path, *held); });
}

// A directory left for the held one above it, and kept since, is entered without opening it.
bool EnterLeft(const cdinst::posix::SpelledPath& spelled) {
  const std::optional<std::string> name = cdinst::posix::NameInHeld(spelled.held, spelled.unixPath);
  const struct stat* above = name && !name->empty() ? spelled.held->Status() : nullptr;
  cdinst::posix::HeldFd left = above ? cdinst::posix::LeftDirectory(*above, *name) : nullptr;
  if (!left) return false;
  return Enter(spelled.windowsPath, spelled.heldPath, [&](const void* key) {
    return cdinst::posix::HoldDirectory(key, spelled.heldPath, left, spelled.unixPath);
  });
}

// Entering the current directory, or one above it, asks nothing of the disk: each is held.
bool EnterLevel(const std::string& windowsPath, const cdinst::posix::HeldPath& path) {
  const std::vector<std::unique_ptr<char>>& levels = Levels();
  for (size_t i = 0; i < levels.size(); ++i) {
    if (cdinst::posix::CoveredBy(levels[i].get(), path) != path.Components()) continue;
    KeepLevels(i + 1);
    State() = windowsPath;
    return true;
  }
  return false;
}

// "X:\" followed by the Unix components of `rest`, each in its Windows-1252 form.
std::string DrivePath(char letter, std::string_view rest) {
  std::string path = std::string(1, letter) + ":";
  for (size_t start = 0; start < rest.size();) {
    size_t end = rest.find('/', start);
    if (end == std::string_view::npos) end = rest.size();
    if (end > start) path += "\\" + cdinst::posix::WindowsNameOf(rest.substr(start, end - start));
    start = end + 1;
  }
  return path.size() == 2 ? path + "\\" : path;
}

std::string WorkingDirectoryAsWindowsPath() {
  const std::optional<std::string> working = cdinst::posix::RealPath(".");
  if (!working) return "C:\\";
  const std::optional<cdinst::posix::DrivePlace> place = cdinst::posix::NearestDrive(*working);
  return place ? DrivePath(place->letter, place->rest) : DrivePath('Z', *working);
}

}  // namespace

namespace cdinst::posix {

std::string CurrentDirectory() {
  if (!State()) {
    State() = WorkingDirectoryAsWindowsPath();
    Enter(*State(), OpenToEnter("."), cdinst::posix::RealPath(".").value_or(""));
  }
  return *State();
}

}  // namespace cdinst::posix

using cdinst::posix::CopyTextResult;
using cdinst::posix::CurrentDirectory;
using cdinst::posix::FailWith;
using cdinst::posix::FailWithErrno;
using cdinst::posix::ResolvedPath;
using cdinst::posix::ResolvePath;
using cdinst::posix::StatusOfResolvedPath;

namespace {

// A path not spelled as on disk, or not to be entered so: resolved in full, from a kept listing
// when its spelling is known to be missing.
BOOL EnterResolved(LPCSTR path, bool spellingMissing) {
  const ResolvedPath target =
      ResolvePath(path, spellingMissing ? cdinst::posix::Lookup::kKeptListingFirst
                                        : cdinst::posix::Lookup::kExactFirst);
  struct stat info;
  if (!StatusOfResolvedPath(target, info)) return FALSE;
  if (!S_ISDIR(info.st_mode)) {
    return FailWith(FALSE, target.trailingSeparator ? ERROR_INVALID_NAME : ERROR_DIRECTORY);
  }
  if (target.windowsPath.size() >= MAX_PATH) return FailWith(FALSE, ERROR_FILENAME_EXCED_RANGE);
  if (target.disc) {
    KeepLevels(0);
    State() = target.windowsPath;
    return TRUE;
  }
  cdinst::posix::UniqueFd entered = OpenToEnter(target.unixPath);
  if (!entered.Valid()) return FailWithErrno(FALSE, ERROR_PATH_NOT_FOUND);
  return Enter(target.windowsPath, std::move(entered), target.unixPath);
}

}  // namespace

// The spelling as on disk is tried first, in one system call.
BOOL SetCurrentDirectoryA(LPCSTR path) {
  const cdinst::posix::WindowsCall call;
  if (path == nullptr) return FailWith(FALSE, ERROR_INVALID_PARAMETER);
  if (*path == '\0') return FailWith(FALSE, ERROR_INVALID_NAME);
  const std::optional<cdinst::posix::SpelledPath> spelled = cdinst::posix::SpellPath(path);
  if (spelled && spelled->windowsPath.size() < MAX_PATH) {
    const std::string& windowsPath = spelled->windowsPath;
    const cdinst::posix::HeldPath& heldPath = spelled->heldPath;
    if (EnterLevel(windowsPath, heldPath) || EnterHeld(windowsPath, heldPath) ||
        EnterLeft(*spelled)) {
      return TRUE;
    }
    cdinst::posix::UniqueFd entered = OpenToEnter(spelled->unixPath);
    if (entered.Valid()) {
      return Enter(windowsPath, heldPath, std::move(entered), spelled->unixPath);
    }
    if (errno == ENOENT) return EnterResolved(path, true);
  }
  return EnterResolved(path, false);
}

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
  const cdinst::posix::WindowsCall call;
  return CopyTextResult(CurrentDirectory(), buffer, size);
}
