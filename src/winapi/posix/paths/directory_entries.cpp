#include "winapi/posix/paths/directory_entries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include "codepage/windows1252.h"
#include "winapi/posix/paths/at_path.h"
#include "winapi/posix/paths/directory_cache.h"

namespace cdinst::posix {

// Reads on the descriptor itself: a DIR stream would cost a duplicate and its checks on every
// reading.
bool ReadDirectory(int directory, const std::function<void(std::string_view)>& take) {
  alignas(dirent64) char buffer[32768];
  for (bool begun = false;;) {
    const ssize_t got = getdents64(directory, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && !begun) return false;
    if (got <= 0) return true;
    begun = true;
    for (ssize_t at = 0; at < got;) {
      const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
      const std::string_view name = entry->d_name;
      if (name != "." && name != "..") take(name);
      at += entry->d_reclen;
    }
  }
}

std::optional<std::vector<std::string>> ListDirectory(int directory) {
  std::vector<std::string> names;
  if (!ReadDirectory(directory, [&names](std::string_view name) { names.emplace_back(name); })) {
    return std::nullopt;
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string WindowsNameOf(std::string_view unixName) {
  std::string name = Utf8ToWindows1252(unixName);
  for (char& c : name) {
    if (c == '\\' || c == ':') c = '?';
  }
  return name;
}

// A dangling link is an entry too.
std::optional<std::string> FindEntry(const std::string& unixDirectory,
                                     std::string_view windowsName) {
  std::string exact = Windows1252ToUtf8(windowsName);
  struct stat info;
  const std::string child = UnixChild(unixDirectory, exact);
  const AtPath at = At(child);
  if (fstatat(at.base, at.path, &info, AT_SYMLINK_NOFOLLOW) == 0) return exact;
  return MatchIgnoringCase(unixDirectory, windowsName);
}

std::string UnixChild(const std::string& directory, std::string_view name) {
  std::string child = directory;
  if (child.empty() || child.back() != '/') child += '/';
  child += name;
  return child;
}

bool IsDirectory(const std::string& unixPath) {
  struct stat info;
  const AtPath at = At(unixPath);
  return fstatat(at.base, at.path, &info, 0) == 0 && S_ISDIR(info.st_mode);
}

std::optional<std::string> RealPath(const std::string& path) {
  const std::unique_ptr<char, decltype(&std::free)> real(realpath(path.c_str(), nullptr),
                                                         &std::free);
  if (!real) return std::nullopt;
  return std::string(real.get());
}

}  // namespace cdinst::posix
