// Taking a Windows directory path apart into its drive and its levels.
#pragma once

#include <string>

namespace cdinst {

// The position of the first backslash at or after `from`, or npos. Under a double-byte code
// page the trail byte of a two-byte character is never taken for a backslash.
size_t FindBackslash(const std::string& text, size_t from = 0);

// The drive of `path`: "C:" for a drive path, "\\server\share" for a network path (up to, not
// including, the backslash after the share name), otherwise empty.
std::string DrivePart(const std::string& path);

// True for a path that starts with two backslashes.
bool IsNetworkPath(const std::string& path);

}  // namespace cdinst
