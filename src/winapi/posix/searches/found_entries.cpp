#include "winapi/posix/searches/found_entries.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <optional>
#include <utility>

#include "winapi/posix/files/dos_attributes.h"
#include "winapi/posix/files/file_attributes.h"
#include "winapi/posix/files/file_time.h"
#include "winapi/posix/paths/directory_entries.h"
#include "winapi/posix/paths/disc_drives.h"
#include "winapi/posix/paths/short_names.h"

namespace cdinst::posix {
namespace {

// A name the kernel lists but cannot look up (a disc whose names the mount's character set
// cannot show, an entry removed meanwhile) is still reported, as a file, so that whoever copies
// the directory fails there instead of losing the entry unseen.
FoundEntry UnreachableEntry(std::string name) {
  FoundEntry entry{};
  entry.attributes = AttributesOf(S_IFREG | S_IWUSR, name, false);
  entry.shortName = ShortNameOf(name);
  entry.windowsName = std::move(name);
  return entry;
}

template <size_t N>
void CopyName(std::string_view name, CHAR (&field)[N]) {
  const size_t length = name.size() < N ? name.size() : N - 1;
  std::memcpy(field, name.data(), length);
  field[length] = '\0';
}

}  // namespace

// Unix keeps no creation time; the last write stands in for it.
FoundEntry FoundEntryOf(const struct stat& info, std::string name, const std::string& unixPath,
                        bool link) {
  const DWORD attributes =
      AttributesOf(info.st_mode, name, link) | StoredDosAttributes(unixPath, info.st_dev);
  return FoundEntryOf(info, std::move(name), attributes);
}

FoundEntry FoundEntryOf(const struct stat& info, std::string name, DWORD attributes) {
  FoundEntry entry{};
  entry.attributes = attributes;
  entry.shortName = ShortNameOf(name);
  entry.windowsName = std::move(name);
  entry.created = FileTimeFromUnix(info.st_mtim);
  entry.accessed = FileTimeFromUnix(info.st_atim);
  entry.written = FileTimeFromUnix(info.st_mtim);
  if (!S_ISDIR(info.st_mode)) {
    const uint64_t size = static_cast<uint64_t>(info.st_size);
    entry.sizeHigh = static_cast<DWORD>(size >> 32);
    entry.sizeLow = static_cast<DWORD>(size & 0xFFFFFFFF);
  }
  return entry;
}

FoundEntry FoundEntryOf(const disc::DiscEntry& entry, std::string name) {
  FoundEntry found{};
  found.attributes = DiscAttributes(entry);
  found.windowsName = std::move(name);
  timespec time{};
  time.tv_sec = static_cast<time_t>(entry.time);
  found.created = found.written = FileTimeFromUnix(time);
  found.sizeHigh = static_cast<DWORD>(entry.size >> 32);
  found.sizeLow = static_cast<DWORD>(entry.size & 0xFFFFFFFF);
  return found;
}

void FillFindData(const FoundEntry& entry, WIN32_FIND_DATAA& data) {
  data.dwFileAttributes = entry.attributes;
  data.ftCreationTime = entry.created;
  data.ftLastAccessTime = entry.accessed;
  data.ftLastWriteTime = entry.written;
  data.nFileSizeHigh = entry.sizeHigh;
  data.nFileSizeLow = entry.sizeLow;
  data.dwReserved0 = 0;
  data.dwReserved1 = 0;
  CopyName(entry.windowsName, data.cFileName);
  CopyName(entry.shortName, data.cAlternateFileName);
}

// Every entry is stat-ed relative to the open directory.
std::optional<FoundEntry> EntryIn(int directory, const std::string& unixDirectory,
                                  const std::string& unixName, struct stat& status) {
  if (fstatat(directory, unixName.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
    status = {};
    return UnreachableEntry(WindowsNameOf(unixName));
  }
  const bool link = S_ISLNK(status.st_mode);
  struct stat info = status;
  if (link && fstatat(directory, unixName.c_str(), &info, 0) != 0) return std::nullopt;
  return FoundEntryOf(info, WindowsNameOf(unixName), UnixChild(unixDirectory, unixName), link);
}

FoundEntries FindEntries(int directory, const std::string& unixDirectory, const EntrySeen& seen) {
  const std::optional<std::vector<std::string>> names = ListDirectory(directory);
  if (!names) return {};
  FoundEntries entries;
  entries.reserve(names->size());
  for (const std::string& unixName : *names) {
    struct stat status;
    std::optional<FoundEntry> entry = EntryIn(directory, unixDirectory, unixName, status);
    if (!entry) continue;  // dangling
    entries.push_back(std::move(*entry));
    if (seen) seen(unixName, status);
  }
  return entries;
}

}  // namespace cdinst::posix
