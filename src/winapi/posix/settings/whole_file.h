// Reading a whole file that the emulation only reads (settings files, registry files).
#pragma once

#include <optional>
#include <string>

#include "winapi/posix/paths/path_resolution.h"
#include "winapi/winapi.h"

namespace cdinst::posix {

// The bytes of the regular file at `unixPath`, read as Windows readers of such files read them:
// for reading while letting others read and write, so a file that another handle holds without
// FILE_SHARE_READ is refused.
// On failure returns nothing and sets `error`: ERROR_FILE_NOT_FOUND for a missing file,
// ERROR_ACCESS_DENIED for a directory, FIFO, socket or device (none of them opened),
// ERROR_SHARING_VIOLATION, or the code of what failed.
std::optional<std::string> ReadWholeFile(const std::string& unixPath, DWORD& error);

// ReadWholeFile for a path on a disc drive: ERROR_FILE_NOT_FOUND for a missing file,
// ERROR_ACCESS_DENIED for a directory, ERROR_FILE_CORRUPT for a disc the reader refuses.
std::optional<std::string> ReadWholeDiscFile(const ResolvedPath& path, DWORD& error);

}  // namespace cdinst::posix
