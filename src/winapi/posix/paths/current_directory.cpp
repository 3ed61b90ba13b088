#include "winapi/posix/paths/current_directory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "winapi/posix/call_count.h"
#include "winapi/posix/drives.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/paths/at_path.h"
#include "winapi/posix/paths/directory_entries.h"
#include "winapi/posix/paths/held_directories.h"
#include "winapi/posix/paths/path_resolution.h"
#include "winapi/posix/result_buffer.h"

namespace {

std::optional<std::string>& State() {
  static std::optional<std::string> current;
  return current;
}

// The key under which the current directory is held.
const char kCurrent = 0;

// Opening the directory's "." needs the right to search it, as entering it on Windows needs the
// right to traverse it.
cdinst::posix::UniqueFd OpenToEnter(const std::string& unixPath) {
  const std::string self = unixPath + "/.";
  const cdinst::posix::AtPath at = cdinst::posix::At(self);
  return cdinst::posix::UniqueFd(openat(at.base, at.path, O_PATH | O_DIRECTORY | O_CLOEXEC));
}

BOOL Enter(const std::string& windowsPath, cdinst::posix::UniqueFd directory,
           const std::string& unixPath) {
  cdinst::posix::HoldDirectory(&kCurrent, cdinst::posix::SplitAbsolutePath(windowsPath),
                               std::move(directory), unixPath);
  State() = windowsPath;
  return TRUE;
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
    cdinst::posix::HoldDirectory(&kCurrent, cdinst::posix::SplitAbsolutePath(*State()),
                                 OpenToEnter("."), cdinst::posix::RealPath(".").value_or(""));
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

// A path not spelled as on disk, or not to be entered so: resolved in full.
BOOL EnterResolved(LPCSTR path) {
  const ResolvedPath target = ResolvePath(path);
  struct stat info;
  if (!StatusOfResolvedPath(target, info)) return FALSE;
  if (!S_ISDIR(info.st_mode)) {
    return FailWith(FALSE, target.trailingSeparator ? ERROR_INVALID_NAME : ERROR_DIRECTORY);
  }
  if (target.windowsPath.size() >= MAX_PATH) return FailWith(FALSE, ERROR_FILENAME_EXCED_RANGE);
  if (target.disc) {
    cdinst::posix::ReleaseDirectory(&kCurrent);
    State() = target.windowsPath;
    return TRUE;
  }
  cdinst::posix::UniqueFd entered = OpenToEnter(target.unixPath);
  if (!entered.Valid()) return FailWithErrno(FALSE, ERROR_PATH_NOT_FOUND);
  return Enter(target.windowsPath, std::move(entered), target.unixPath);
}

}  // namespace

// The directory held already cannot have changed: entering it again asks nothing of the disk.
// Otherwise the spelling as on disk is tried first, in one system call.
BOOL SetCurrentDirectoryA(LPCSTR path) {
  const cdinst::posix::WindowsCall call;
  if (path == nullptr) return FailWith(FALSE, ERROR_INVALID_PARAMETER);
  if (*path == '\0') return FailWith(FALSE, ERROR_INVALID_NAME);
  const std::optional<cdinst::posix::SpelledPath> spelled = cdinst::posix::SpellPath(path);
  if (spelled && spelled->windowsPath.size() < MAX_PATH) {
    if (cdinst::posix::IsHeldAs(&kCurrent, spelled->windowsPath)) {
      State() = spelled->windowsPath;
      return TRUE;
    }
    cdinst::posix::UniqueFd entered = OpenToEnter(spelled->unixPath);
    if (entered.Valid()) return Enter(spelled->windowsPath, std::move(entered), spelled->unixPath);
  }
  return EnterResolved(path);
}

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
  const cdinst::posix::WindowsCall call;
  return CopyTextResult(CurrentDirectory(), buffer, size);
}
