#include "install/file_search.h"

#include <string_view>

#include "platform/io_error.h"

namespace cdinst {
namespace {

constexpr DWORD kVolumeLabel = 0x8;

constexpr char kPathDelimiters[] = "\\/:";

// Paths drop the dots and blanks that end a name, so such a name cannot be reached as itself.
bool EndsAsPathsDrop(std::string_view name) {
  return !name.empty() && (name.back() == '.' || name.back() == ' ');
}

bool CannotBeCopiedAsItself(std::string_view name) {
  return EndsAsPathsDrop(name) || name.find_first_of(kPathDelimiters) != name.npos;
}

bool IsSelfOrParent(std::string_view name) { return name == "." || name == ".."; }

// The directory is there, but its entries cannot be read: access is denied, or a disc is broken.
bool RefusesListing(DWORD error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_FILE_CORRUPT;
}

}  // namespace

FileSearch::FileSearch(const std::string& pattern) {
  handle_ = FindFirstFileA(pattern.c_str(), &match_);
  hasMatch_ = handle_ != INVALID_HANDLE_VALUE;
  if (!hasMatch_ && RefusesListing(GetLastError())) {
    RecordIoResult(GetLastError());
    RaiseIfIoResultPending();
  }
}

FileSearch::~FileSearch() {
  if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
}

std::string FileSearch::Name() const {
  std::string name = match_.cFileName;
  for (size_t at = name.find_first_of(kPathDelimiters); at != name.npos;
       at = name.find_first_of(kPathDelimiters, at)) {
    name[at] = '?';
  }
  for (size_t end = name.size(); EndsAsPathsDrop(std::string_view(name).substr(0, end));) {
    name[--end] = '?';
  }
  return name;
}

void FileSearch::Next() { hasMatch_ = hasMatch_ && FindNextFileA(handle_, &match_); }

bool IsLeftOutOfListings(const WIN32_FIND_DATAA& match) {
  const std::string_view name = match.cFileName;
  if (IsSelfOrParent(name) && (match.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
  const DWORD leftOut = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | kVolumeLabel;
  return (match.dwFileAttributes & leftOut) != 0 && !CannotBeCopiedAsItself(name);
}

}  // namespace cdinst
