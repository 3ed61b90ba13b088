// Keys and values of a registry file in Wine's text format (system.reg), looked up one key at a
// time without building the whole tree: a real prefix's file holds several megabytes.
//
// The format: a header, then per key a line "[Path\\To\\Key] <seconds>" (the path from the
// root, escaped like a string), optional "#time=", "#link" and "#class=" lines, and value lines
// "name"=data or @=data (the default value). Data is "text" (REG_SZ), str(2):"text"
// (REG_EXPAND_SZ), str(7):"text" (REG_MULTI_SZ), dword:<8 hex digits>, hex:<bytes> (REG_BINARY)
// or hex(<type in hex>):<bytes>, where a byte list ending in '\' goes on on the next line.
// Escapes: \\ \" \a \b \e \f \n \r \t \v, up to 3 octal digits, \x and up to 4 hex digits (one
// UTF-16 code unit); another character after '\' stands for itself.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "winapi/winapi.h"

namespace cdinst::posix {

struct RegistryValue {
  std::string name;  // Windows-1252; "" for the default value
  DWORD type = REG_NONE;
  // The stored bytes: strings in UTF-16LE with their NUL, as Windows keeps them.
  std::string data;
};

// The values of the key at `path` in the file's `text`. The path's components are separated by
// single backslashes and compared without regard to letter case (Windows-1252); "" is the root.
// A key that appears only as the parent of others exists with no values. Nothing when the file
// has no such key.
std::optional<std::vector<RegistryValue>> FindRegistryKey(std::string_view text,
                                                          std::string_view path);

// The value of `name` among `values` (letter case ignored), or null.
const RegistryValue* FindRegistryValue(const std::vector<RegistryValue>& values,
                                       std::string_view name);

}  // namespace cdinst::posix
