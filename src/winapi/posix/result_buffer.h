// How the functions that return a text in a caller's buffer report it.
#pragma once

#include <cstring>
#include <string_view>

#include "winapi/winapi.h"

namespace cdinst::posix {

// When `text` and its NUL fit in `size` characters, copies them to `buffer` and returns the
// length without the NUL; otherwise writes nothing and returns the size needed, NUL included.
// A null `buffer` counts as size 0.
inline DWORD CopyTextResult(std::string_view text, LPSTR buffer, DWORD size) {
  const DWORD length = static_cast<DWORD>(text.size());
  if (buffer == nullptr || size <= length) return length + 1;
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return length;
}

// Copies as much of `text` as fits in `size` characters with its NUL, and the NUL; returns the
// characters copied. Size 0 writes nothing.
inline DWORD CopyTextCut(std::string_view text, LPSTR buffer, DWORD size) {
  if (buffer == nullptr || size == 0) return 0;
  const DWORD count = text.size() < size ? static_cast<DWORD>(text.size()) : size - 1;
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return count;
}

}  // namespace cdinst::posix
