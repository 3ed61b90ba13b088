#include "winapi/posix/directory_entries.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

#include "platform/windows1252.h"
#include "winapi/posix/directory_cache.h"

namespace cdinst::posix {
namespace {

struct DirectoryCloser {
  void operator()(DIR* directory) const { closedir(directory); }
};

bool EntryExists(const std::string& unixPath) {
  struct stat info;
  return lstat(unixPath.c_str(), &info) == 0;
}

}  // namespace

std::optional<std::vector<std::string>> ListDirectory(const std::string& unixDirectory) {
  std::vector<std::string> names;
  const std::unique_ptr<DIR, DirectoryCloser> directory(opendir(unixDirectory.c_str()));
  if (!directory) return std::nullopt;
  while (const dirent* entry = readdir(directory.get())) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<std::string> FindEntry(const std::string& unixDirectory,
                                     std::string_view windowsName) {
  std::string exact = Windows1252ToUtf8(windowsName);
  if (EntryExists(UnixChild(unixDirectory, exact))) return exact;
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
  return stat(unixPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace cdinst::posix
