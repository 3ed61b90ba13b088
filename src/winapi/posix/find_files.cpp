// FindFirstFileA, FindNextFileA and FindClose. A search collects its entries when it starts;
// the handle is the search object itself, owned by the table of open searches.
#include <sys/stat.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/windows1252.h"
#include "winapi/posix/directory_entries.h"
#include "winapi/posix/file_attributes.h"
#include "winapi/posix/file_buffers.h"
#include "winapi/posix/file_time.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/path_resolution.h"
#include "winapi/posix/short_names.h"
#include "winapi/posix/wildcard.h"
#include "winapi/posix/windows_path.h"

namespace {

using cdinst::posix::FailWith;
using cdinst::posix::ResolvedPath;
using cdinst::posix::ResolvePath;
using Entries = std::vector<WIN32_FIND_DATAA>;

struct Search {
  Entries entries;
  size_t next = 0;
};

std::map<HANDLE, std::unique_ptr<Search>>& OpenSearches() {
  static std::map<HANDLE, std::unique_ptr<Search>> searches;
  return searches;
}

template <size_t N>
void CopyName(std::string_view name, CHAR (&field)[N]) {
  const size_t length = name.size() < N ? name.size() : N - 1;
  std::memcpy(field, name.data(), length);
  field[length] = '\0';
}

// Unix keeps no creation time; the last write stands in for it.
WIN32_FIND_DATAA FindData(const struct stat& info, std::string_view name) {
  WIN32_FIND_DATAA data{};
  data.dwFileAttributes = cdinst::posix::AttributesOf(info, name);
  data.ftCreationTime = cdinst::posix::FileTimeFromUnix(info.st_mtim);
  data.ftLastAccessTime = cdinst::posix::FileTimeFromUnix(info.st_atim);
  data.ftLastWriteTime = cdinst::posix::FileTimeFromUnix(info.st_mtim);
  if (!S_ISDIR(info.st_mode)) {
    const uint64_t size = static_cast<uint64_t>(info.st_size);
    data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFF);
  }
  CopyName(name, data.cFileName);
  CopyName(cdinst::posix::ShortNameOf(name), data.cAlternateFileName);
  return data;
}

bool AddEntry(const std::string& unixPath, std::string_view name, Entries& entries) {
  struct stat info;
  if (stat(unixPath.c_str(), &info) != 0) return false;  // dangling links are not listed
  entries.push_back(FindData(info, name));
  return true;
}

bool Matches(const cdinst::posix::FileNamePattern& pattern, const std::string& name) {
  if (pattern.Matches(name)) return true;
  const std::string shortName = cdinst::posix::ShortNameOf(name);
  return !shortName.empty() && pattern.Matches(shortName);
}

// "." and ".." come first, except at a root, which has neither.
void AddDotEntries(const ResolvedPath& directory, const cdinst::posix::FileNamePattern& pattern,
                   Entries& entries) {
  if (cdinst::posix::IsRootPath(directory.windowsPath)) return;
  if (pattern.Matches(".")) AddEntry(directory.unixPath, ".", entries);
  std::string parent = directory.unixPath.substr(0, directory.unixPath.rfind('/'));
  if (parent.empty()) parent = "/";
  if (pattern.Matches("..")) AddEntry(parent, "..", entries);
}

DWORD ListMatches(std::string_view directoryPart, std::string_view namePattern, Entries& entries) {
  const ResolvedPath directory = ResolvePath(directoryPart.empty() ? "." : directoryPart);
  if (directory.error != ERROR_SUCCESS) return directory.error;
  struct stat info;
  if (!directory.exists || stat(directory.unixPath.c_str(), &info) != 0) {
    return ERROR_PATH_NOT_FOUND;
  }
  if (!S_ISDIR(info.st_mode)) return ERROR_INVALID_NAME;
  const cdinst::posix::FileNamePattern pattern(namePattern);
  AddDotEntries(directory, pattern, entries);
  for (const std::string& unixName : cdinst::posix::ListDirectory(directory.unixPath)) {
    const std::string name = cdinst::Utf8ToWindows1252(unixName);
    if (Matches(pattern, name)) {
      AddEntry(cdinst::posix::UnixChild(directory.unixPath, unixName), name, entries);
    }
  }
  return entries.empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
}

// A name without wildcards finds that one entry, spelled as on the disk.
DWORD FindSingle(std::string_view path, Entries& entries) {
  const ResolvedPath target = ResolvePath(path);
  if (target.error != ERROR_SUCCESS) return target.error;
  if (!target.exists || cdinst::posix::IsRootPath(target.windowsPath)) return ERROR_FILE_NOT_FOUND;
  const std::string unixName = target.unixPath.substr(target.unixPath.rfind('/') + 1);
  const bool found = AddEntry(target.unixPath, cdinst::Utf8ToWindows1252(unixName), entries);
  return found ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

// A directory with nothing to look for in it ("C:\", "sub\") finds nothing.
DWORD NothingToFind(std::string_view directoryPart) {
  const ResolvedPath directory = ResolvePath(directoryPart);
  if (directory.error != ERROR_SUCCESS) return directory.error;
  const bool present = directory.exists && cdinst::posix::IsDirectory(directory.unixPath);
  return present ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

size_t NamePosition(std::string_view path) {
  const size_t separator = path.find_last_of("\\/");
  if (separator != std::string_view::npos) return separator + 1;
  return path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

DWORD CollectEntries(std::string_view path, Entries& entries) {
  if (path.empty()) return ERROR_PATH_NOT_FOUND;
  const size_t split = NamePosition(path);
  const std::string_view name = path.substr(split);
  if (name.empty()) return NothingToFind(path);
  if (!cdinst::posix::HasWildcards(name)) return FindSingle(path, entries);
  return ListMatches(path.substr(0, split), name, entries);
}

}  // namespace

HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
  if (pattern == nullptr || data == nullptr) {
    return FailWith(INVALID_HANDLE_VALUE, ERROR_INVALID_PARAMETER);
  }
  cdinst::posix::SettleAll();  // the sizes it reports
  auto search = std::make_unique<Search>();
  const DWORD error = CollectEntries(pattern, search->entries);
  if (error != ERROR_SUCCESS) return FailWith(INVALID_HANDLE_VALUE, error);
  *data = search->entries[search->next++];
  const HANDLE handle = search.get();
  OpenSearches().emplace(handle, std::move(search));
  return handle;
}

BOOL FindNextFileA(HANDLE handle, LPWIN32_FIND_DATAA data) {
  const auto found = OpenSearches().find(handle);
  if (found == OpenSearches().end()) return FailWith(FALSE, ERROR_INVALID_HANDLE);
  if (data == nullptr) return FailWith(FALSE, ERROR_INVALID_PARAMETER);
  Search& search = *found->second;
  if (search.next >= search.entries.size()) return FailWith(FALSE, ERROR_NO_MORE_FILES);
  *data = search.entries[search.next++];
  return TRUE;
}

BOOL FindClose(HANDLE handle) {
  if (OpenSearches().erase(handle) == 0) return FailWith(FALSE, ERROR_INVALID_HANDLE);
  return TRUE;
}
