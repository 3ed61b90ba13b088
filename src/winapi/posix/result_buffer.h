// How the functions that return a text in a caller's buffer report it.
#pragma once

#include <string_view>

#include "winapi/winapi.h"

namespace cdinst::posix {

// When `text` and its NUL fit in `size` characters, copies them to `buffer` and returns the
// length without the NUL; otherwise writes nothing and returns the size needed, NUL included.
// A null `buffer` counts as size 0.
DWORD CopyTextResult(std::string_view text, LPSTR buffer, DWORD size);

// Copies as much of `text` as fits in `size` characters with its NUL, and the NUL; returns the
// characters copied. Size 0 writes nothing.
DWORD CopyTextCut(std::string_view text, LPSTR buffer, DWORD size);

}  // namespace cdinst::posix
