// Checks shared by the file copy tests.
#pragma once

#include <string>

#include "winapi/winapi.h"

namespace cdinst::testing {

// `size` bytes in which no two 1024-byte blocks are alike, so that a block copied twice,
// skipped or out of place shows.
inline std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 1024) % 251);
  return bytes;
}

// True unless some handle on `path` is still open: an open that shares nothing is refused only
// while another open of the file exists.
inline bool Unheld(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError() != ERROR_SHARING_VIOLATION;
  CloseHandle(file);
  return true;
}

}  // namespace cdinst::testing
