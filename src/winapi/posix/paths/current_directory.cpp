#include "winapi/posix/paths/current_directory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "winapi/posix/call_count.h"
#include "winapi/posix/drives.h"
#include "winapi/posix/last_error.h"
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

// Holds the directory `unixPath` opens, as the current directory `windowsPath`.
void Hold(const std::string& unixPath, const std::string& windowsPath) {
  cdinst::posix::UniqueFd fd(open(unixPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!fd.Valid()) return cdinst::posix::ReleaseDirectory(&kCurrent);
  cdinst::posix::HoldDirectory(&kCurrent, cdinst::posix::SplitAbsolutePath(windowsPath),
                               std::move(fd));
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
    Hold(".", *State());
  }
  return *State();
}

}  // namespace cdinst::posix

using cdinst::posix::CopyTextResult;
using cdinst::posix::CurrentDirectory;
using cdinst::posix::FailWith;
using cdinst::posix::FailWithErrno;
using cdinst::posix::ModeOfResolvedPath;
using cdinst::posix::Permits;
using cdinst::posix::ResolvedPath;
using cdinst::posix::ResolvePath;

BOOL SetCurrentDirectoryA(LPCSTR path) {
  const cdinst::posix::WindowsCall call;
  if (path == nullptr) return FailWith(FALSE, ERROR_INVALID_PARAMETER);
  if (*path == '\0') return FailWith(FALSE, ERROR_INVALID_NAME);
  const ResolvedPath target = ResolvePath(path);
  mode_t mode;
  if (!ModeOfResolvedPath(target, mode)) return FALSE;
  if (!S_ISDIR(mode)) {
    return FailWith(FALSE, target.trailingSeparator ? ERROR_INVALID_NAME : ERROR_DIRECTORY);
  }
  // Entering needs the right to search the directory, as on Windows the right to traverse it.
  if (!Permits(target, X_OK)) return FailWithErrno(FALSE, ERROR_PATH_NOT_FOUND);
  if (target.windowsPath.size() >= MAX_PATH) return FailWith(FALSE, ERROR_FILENAME_EXCED_RANGE);
  State() = target.windowsPath;
  if (target.disc) {
    cdinst::posix::ReleaseDirectory(&kCurrent);
  } else {
    Hold(target.unixPath, target.windowsPath);
  }
  return TRUE;
}

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
  const cdinst::posix::WindowsCall call;
  return CopyTextResult(CurrentDirectory(), buffer, size);
}
