#include "winapi/posix/paths/prefix.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <utility>

#include "winapi/posix/call_count.h"
#include "winapi/posix/paths/directory_entries.h"
#include "winapi/posix/result_buffer.h"

namespace cdinst::posix {
namespace {

std::string NonEmptyVariable(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

// The prefix when a variable names it; null for the home directory's.
const char* PrefixVariable() {
  for (const char* name : {"CDINST_PREFIX", "WINEPREFIX"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return nullptr;
}

constexpr std::string_view kDevices = "/dosdevices/";

char LowerLetter(char letter) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
}

// "/dosdevices/x:" for the drive letter X.
std::string DeviceName(char letter) {
  std::string name(kDevices);
  name += LowerLetter(letter);
  name += ':';
  return name;
}

std::string HomeDirectory() {
  std::string home = NonEmptyVariable("HOME");
  if (!home.empty()) return home;
  const passwd* user = getpwuid(getuid());
  return user && user->pw_dir ? std::string(user->pw_dir) : std::string();
}

bool IsWithin(const std::string& path, const std::string& root) {
  if (root == "/") return true;
  return path.compare(0, root.size(), root) == 0 &&
         (path.size() == root.size() || path[root.size()] == '/');
}

std::optional<std::string> DirectoryOrNothing(const std::string& path) {
  if (!IsDirectory(path)) return std::nullopt;
  return path;
}

}  // namespace

// CDINST_DRIVE_<X> maps a drive for one run without touching the prefix.
std::optional<std::string> DriveVariable(char letter) {
  std::string name = "CDINST_DRIVE_";
  name += static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  const char* value = std::getenv(name.c_str());
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}

std::string PrefixDirectory() {
  const char* prefix = PrefixVariable();
  return prefix ? std::string(prefix) : HomeDirectory() + "/.wine";
}

std::optional<std::string> DriveRoot(char letter) {
  const std::optional<std::string> mapping = DriveMapping(letter);
  return mapping ? DirectoryOrNothing(*mapping) : std::nullopt;
}

std::string DosDevicePath(char letter) { return PrefixDirectory() + DeviceName(letter); }

std::string DriveEntryPath(char letter) {
  std::optional<std::string> variable = DriveVariable(letter);
  return variable ? std::move(*variable) : DosDevicePath(letter);
}

std::optional<std::string> DriveMapping(char letter) {
  if (!std::isalpha(static_cast<unsigned char>(letter))) return std::nullopt;
  if (std::optional<std::string> variable = DriveVariable(letter)) return variable;
  std::string device = DosDevicePath(letter);
  struct stat info;
  // A link that leads nowhere still claims the letter: the drive is there but not ready.
  if (lstat(device.c_str(), &info) == 0) return device;
  const char lower = LowerLetter(letter);
  if (lower == 'c') return PrefixDirectory() + "/drive_c";
  if (lower == 'z') return std::string("/");
  return std::nullopt;
}

std::optional<std::string> ShareRoot(std::string_view server, std::string_view share) {
  const std::string shares = PrefixDirectory() + "/dosdevices/unc";
  const std::optional<std::string> serverName = FindEntry(shares, server);
  if (!serverName) return std::nullopt;
  const std::string serverDirectory = UnixChild(shares, *serverName);
  const std::optional<std::string> shareName = FindEntry(serverDirectory, share);
  if (!shareName) return std::nullopt;
  return DirectoryOrNothing(UnixChild(serverDirectory, *shareName));
}

// A drive's directory may be reached through links; only resolved paths compare.
std::optional<DrivePlace> NearestDrive(const std::string& realDirectory) {
  std::optional<DrivePlace> nearest;
  size_t nearestLength = 0;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const std::optional<std::string> root = DriveRoot(letter);
    const std::optional<std::string> real = root ? RealPath(*root) : std::nullopt;
    if (!real || !IsWithin(realDirectory, *real)) continue;
    if (nearest && real->size() <= nearestLength) continue;
    nearestLength = real->size();
    nearest = DrivePlace{letter, realDirectory.substr(*real == "/" ? 0 : real->size())};
  }
  return nearest;
}

}  // namespace cdinst::posix

// GetWindowsDirectoryA and GetSystemDirectoryA: the fixed places of a Wine prefix.
UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) {
  const cdinst::posix::WindowsCall call;
  return cdinst::posix::CopyTextResult("C:\\windows", buffer, size);
}

UINT GetSystemDirectoryA(LPSTR buffer, UINT size) {
  const cdinst::posix::WindowsCall call;
  return cdinst::posix::CopyTextResult("C:\\windows\\system32", buffer, size);
}
