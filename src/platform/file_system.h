// File-system primitives over the Windows API. Paths are Windows-1252 texts in Windows form.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace cdinst {

// The process's current directory (no trailing backslash except at a root); empty when the
// system cannot report it.
std::string CurrentDirectory();

// Changes the process's current directory to `path` as given. Raises IoError with the
// system's code on failure (and when an earlier non-raising operation left a code pending);
// a failed change leaves the current directory as it was. "X:" alone names drive X's
// current directory, not its root.
void ChangeDirectory(const std::string& path);

// ChangeDirectory for a caller that only asks whether it succeeds: false where ChangeDirectory
// would raise, with the pending code taken all the same, and no exception to pay for.
bool EntersDirectory(const std::string& path);

// Creates one directory, `path` absolute or relative to the current directory. Raises
// IoError as ChangeDirectory does (183 when it exists, 3 when its parent is missing).
void MakeDirectory(const std::string& path);

// Deletes the file `path`: true on success; false when it is missing, a directory, read-only or
// open elsewhere. Never raises, and leaves the pending code alone.
bool TryRemoveFile(const std::string& path);

// Removes the empty directory `path`: true on success; false when it is missing, not empty, no
// directory or the current directory. Never raises, and leaves the pending code alone.
bool TryRemoveDirectory(const std::string& path);

// True when `path` names an existing directory; false otherwise, never raising.
bool DirectoryIsPresent(const std::string& path);

// True when a directory search for `path` finds a first match that is not a directory and
// whose last-write time has a DOS date and time (1980 on, local time); false otherwise.
bool FileIsPresent(const std::string& path);

// The attribute word, or -1 on failure. Never raises.
int32_t ReadFileAttributes(const std::string& path);

// Sets the attribute word; returns 0, or the system's error code. Never raises.
int32_t WriteFileAttributes(const std::string& path, int32_t attributes);

// Clears the read-only bit of the file `path`, keeping its other attributes, when FileIsPresent
// reports it; a missing file or a directory is left alone. Raises nothing and reports nothing.
void ClearReadOnly(const std::string& path);

// The Windows or system directory (no trailing backslash unless a drive root); nothing when
// the system cannot report it within 254 characters.
std::optional<std::string> QueryWindowsDirectory();
std::optional<std::string> QuerySystemDirectory();

// The short form of an existing path; the path unchanged when the system cannot give one
// within 254 characters (the caller then compares with the long form).
std::string QueryShortPathName(const std::string& path);

}  // namespace cdinst
