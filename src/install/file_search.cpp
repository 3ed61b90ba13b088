#include "install/file_search.h"

#include "platform/io_error.h"

namespace cdinst {
namespace {

constexpr DWORD kVolumeLabel = 0x8;

}  // namespace

FileSearch::FileSearch(const std::string& pattern) {
  handle_ = FindFirstFileA(pattern.c_str(), &match_);
  hasMatch_ = handle_ != INVALID_HANDLE_VALUE;
  if (!hasMatch_ && GetLastError() == ERROR_ACCESS_DENIED) {
    RecordIoResult(ERROR_ACCESS_DENIED);
    RaiseIfIoResultPending();
  }
}

FileSearch::~FileSearch() {
  if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
}

std::string FileSearch::Name() const {
  std::string name = match_.cFileName;
  for (char& c : name) {
    if (c == '\\' || c == '/' || c == ':') c = '?';
  }
  for (size_t end = name.size(); end > 0 && (name[end - 1] == '.' || name[end - 1] == ' ');) {
    name[--end] = '?';
  }
  return name;
}

void FileSearch::Next() { hasMatch_ = hasMatch_ && FindNextFileA(handle_, &match_); }

bool IsLeftOutOfListings(DWORD attributes) {
  return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | kVolumeLabel)) != 0;
}

}  // namespace cdinst
