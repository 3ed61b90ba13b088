// The text side of Windows paths: making them absolute, taking them apart and putting them
// together again. Nothing here looks at the disk.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "winapi/winapi.h"

namespace cdinst::posix {

inline bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// True for a path that starts with two separators (a UNC path, "\\server\share...").
bool IsUncPath(std::string_view path);

// `path` made absolute against `currentDirectory` (a full path such as "C:\t" or
// "\\server\share"): "X:name" and "X:" continue the current directory when X is its drive and
// start at X:\ otherwise; "\name" starts at the current drive's root; anything else is
// relative. Nothing is folded or checked yet.
std::string AbsolutePathText(std::string_view path, std::string_view currentDirectory);

// True when `path` is absolute already ("X:\..." or "\\server\share..."): AbsolutePathText
// would give it back as it is, whatever the current directory.
bool IsFullPath(std::string_view path);

struct PathParts {
  // ERROR_PATH_NOT_FOUND for a malformed root, ERROR_INVALID_NAME for wildcards or illegal
  // characters in a name; the other fields are then meaningless.
  DWORD error = ERROR_SUCCESS;
  std::string root;  // "C:\" or "\\server\share", letter case as given
  std::vector<std::string> components;
};

// Takes an absolute path apart: empty components skipped, "." and ".." folded (never above
// the root), one period ending a component dropped, and all periods and blanks ending the path
// (a component of three or more periods is a name, and stays unless it ends the path).
PathParts SplitAbsolutePath(std::string_view absolutePath);

// The root followed by the components, separated by single backslashes.
std::string JoinPath(const PathParts& parts);

// The length of the drive ("C:") or share ("\\server\share") that `path` starts with; 0 when
// it has none.
size_t RootLength(std::string_view path);

// True for a full path that is a drive root ("C:\") or a share root ("\\server\share").
bool IsRootPath(std::string_view fullPath);

// Where the name at the end of `path` begins: after its last separator, else after its drive
// ("C:x"), else at 0.
size_t NameStart(std::string_view path);

// The last component of a full path; empty for a root.
std::string_view LastComponent(std::string_view fullPath);

// '*' or '?'.
bool HasWildcards(std::string_view text);

}  // namespace cdinst::posix
