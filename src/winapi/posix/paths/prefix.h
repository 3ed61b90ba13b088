// Where the Wine-style prefix is and how drive letters and network shares map into it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "winapi/posix/drives.h"

namespace cdinst::posix {

// CDINST_PREFIX, else WINEPREFIX, else ~/.wine; read afresh at every call.
std::string PrefixDirectory();

// What DriveRoot gives before it checks that the directory is there: the Unix path a drive
// letter maps to, which may be missing or no directory. Nothing for an unmapped drive.
std::optional<std::string> DriveMapping(char letter);

// CDINST_DRIVE_<X> for the drive letter `letter` (either case), when set and not empty.
std::optional<std::string> DriveVariable(char letter);

// <prefix>/dosdevices/<x>: for the drive letter `letter` (either case), whether it is there or
// not.
std::string DosDevicePath(char letter);

// Where a drive letter's files are looked for first: CDINST_DRIVE_<X> when set and not empty,
// else DosDevicePath.
std::string DriveEntryPath(char letter);

// The Unix directory behind \\server\share: <prefix>/dosdevices/unc/server/share, looked up
// without regard to letter case; nothing when it does not exist.
std::optional<std::string> ShareRoot(std::string_view server, std::string_view share);

}  // namespace cdinst::posix
