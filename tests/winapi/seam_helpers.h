// Small wrappers around seam calls so that tests read as "this call gives that code".
#pragma once

#include <string>
#include <vector>

#include "winapi/winapi.h"

namespace cdinst::testing {

// The code a failing call left, or 0 when the call succeeded.
inline DWORD AttributesError(const std::string& path) {
  return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES ? GetLastError() : 0;
}
inline DWORD ChangeDirectoryError(const std::string& path) {
  return SetCurrentDirectoryA(path.c_str()) ? 0 : GetLastError();
}
inline DWORD CreateDirectoryError(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) ? 0 : GetLastError();
}

inline std::string CurrentDirectoryText() {
  char buffer[MAX_PATH];
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
  return std::string(buffer, length < MAX_PATH ? length : 0);
}

// Everything one search reports, in order; `error` is FindFirstFileA's code when it fails and
// what the last FindNextFileA left otherwise.
struct SearchResult {
  DWORD error = 0;
  std::vector<WIN32_FIND_DATAA> entries;

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const WIN32_FIND_DATAA& entry : entries) names.emplace_back(entry.cFileName);
    return names;
  }
};

inline SearchResult Search(const std::string& pattern) {
  SearchResult result;
  WIN32_FIND_DATAA data;
  const HANDLE search = FindFirstFileA(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) {
    result.error = GetLastError();
    return result;
  }
  do {
    result.entries.push_back(data);
  } while (FindNextFileA(search, &data));
  result.error = GetLastError();
  FindClose(search);
  return result;
}

}  // namespace cdinst::testing
