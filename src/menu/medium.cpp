#include "menu/medium.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "codepage/windows1252.h"
#include "menu/menu_error.h"
#include "platform/path_parts.h"
#include "translation/placeholders.h"
#include "translation/translation.h"
#include "winapi/posix/drives.h"
#include "winapi/winapi.h"

namespace cdinst::menu {

std::optional<char> DriveLetterOf(const std::string& argument) {
  const bool drive = (argument.size() == 2 || (argument.size() == 3 && argument[2] == '\\')) &&
                     std::isalpha(static_cast<unsigned char>(argument[0])) && argument[1] == ':';
  if (!drive) return std::nullopt;
  return static_cast<char>(std::toupper(static_cast<unsigned char>(argument[0])));
}

namespace {

std::optional<std::string> RealPath(const std::string& path) {
  char resolved[PATH_MAX];
  if (!realpath(path.c_str(), resolved)) return std::nullopt;
  return std::string(resolved);
}

[[noreturn]] void Unreadable(const std::string& argument, const std::string& why) {
  throw MenuError(kMediumUnreadable,
                  Filled(Translated("cannot read the medium \"{1}\": {2}"), {argument, why}));
}

std::string ReadableDirectory(const std::string& path, const std::string& argument) {
  const std::optional<std::string> real = RealPath(path);
  struct stat status;
  if (!real || stat(real->c_str(), &status) != 0) Unreadable(argument, std::strerror(errno));
  if (!S_ISDIR(status.st_mode)) Unreadable(argument, Translated("not a directory"));
  if (access(real->c_str(), R_OK | X_OK) != 0) Unreadable(argument, std::strerror(errno));
  return *real;
}

// The Unix names below the drive's directory, as the installer will see them in the path.
std::string WindowsRest(const std::string& rest, const std::string& argument) {
  std::string windows;
  size_t start = 0;
  while (start < rest.size()) {
    size_t end = rest.find('/', start);
    if (end == std::string::npos) end = rest.size();
    const std::string name = rest.substr(start, end - start);
    const std::string converted = Utf8ToWindows1252(name);
    if (!name.empty() && (Windows1252ToUtf8(converted) != name || !IsWindowsName(converted))) {
      Unreadable(
          argument,
          Filled(Translated("its path cannot be written as a Windows path (the name \"{1}\")"),
                 {name}));
    }
    if (!name.empty()) windows += converted + "\\";
    start = end + 1;
  }
  return windows;
}

}  // namespace

std::string MediumDirectory(const std::string& argument) {
  const std::optional<char> letter = DriveLetterOf(argument);
  if (!letter) return ReadableDirectory(argument, argument);
  const std::optional<std::string> root = posix::DriveRoot(*letter);
  if (!root) {
    Unreadable(argument, Filled(Translated("drive {1}: is not mapped"), {std::string(1, *letter)}));
  }
  return ReadableDirectory(*root, argument);
}

Medium FindMedium(const std::string& argument) {
  if (const std::optional<char> letter = DriveLetterOf(argument)) {
    return {MediumDirectory(argument), std::string(1, *letter) + ":\\", argument};
  }
  const std::string directory = MediumDirectory(argument);
  const std::optional<posix::DrivePlace> drive = posix::NearestDrive(directory);
  if (!drive) Unreadable(argument, Translated("no drive of the prefix reaches it"));
  return {directory, std::string(1, drive->letter) + ":\\" + WindowsRest(drive->rest, argument),
          argument};
}

std::string MediumTitle(const Medium& medium) {
  char label[MAX_PATH + 1] = "";
  if (medium.windowsRoot.size() == 3 &&
      GetVolumeInformationA(medium.windowsRoot.c_str(), label, sizeof label, nullptr, nullptr,
                            nullptr, nullptr, 0) &&
      label[0] != '\0') {
    return Windows1252ToUtf8(label);
  }
  const size_t slash = medium.unixDirectory.find_last_of('/');
  const std::string name = medium.unixDirectory.substr(slash + 1);
  return name.empty() ? medium.unixDirectory : name;
}

}  // namespace cdinst::menu
