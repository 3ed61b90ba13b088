// The Unix side of name lookup: reading directories and finding the entry a Windows name means.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cdinst::posix {

// Hands each name in the directory open as `directory` (not O_PATH, and not read from yet) to
// `take`, in the order read, without "." and "..". An error ends the reading, as it ends
// readdir(3); false only when the directory cannot be read at all.
bool ReadDirectory(int directory, const std::function<void(std::string_view)>& take);

// The names ReadDirectory reads, sorted bytewise; nothing when it returns false.
std::optional<std::vector<std::string>> ListDirectory(int directory);

// A Unix name as the emulation shows it: in Windows-1252 (Utf8ToWindows1252), each '\' and ':'
// as '?'. Such a name read back as a path names nothing, and is no drive, so a name found on
// disk is only ever one name.
std::string WindowsNameOf(std::string_view unixName);

// The Unix name in `unixDirectory` that the Windows-1252 name `windowsName` denotes: the name
// spelled exactly as given (in UTF-8) when it exists, else the lowest Unix name whose
// Windows-1252 form equals it without regard to letter case, else the lowest whose hashed short
// name does. Nothing when no entry matches. `windowsName` is neither empty, "." nor "..".
std::optional<std::string> FindEntry(const std::string& unixDirectory,
                                     std::string_view windowsName);

// `directory` + "/" + `name`, without doubling the slash of "/".
std::string UnixChild(const std::string& directory, std::string_view name);

// `path` with every link and "." or ".." resolved, as realpath(3) gives it; nothing when it
// cannot be resolved.
std::optional<std::string> RealPath(const std::string& path);

// True when `unixPath` is a directory or a symbolic link to one.
bool IsDirectory(const std::string& unixPath);

}  // namespace cdinst::posix
