// Unix directories seen through the prefix's drives: what the Linux front end needs to name a
// medium's directory as a Windows path, and what the emulation's first current directory is.
#pragma once

#include <optional>
#include <string>

namespace cdinst::posix {

// The Unix directory behind a drive letter (either case): the variable CDINST_DRIVE_<X> when set
// and not empty, else <prefix>/dosdevices/<x>:, else <prefix>/drive_c for C: and / for Z:;
// nothing for an unmapped drive or one whose directory is not there.
std::optional<std::string> DriveRoot(char letter);

// Where a directory sits on the drives: the drive's letter and the Unix components below the
// drive's directory ("/"-separated, possibly with a leading "/"; empty at its root).
struct DrivePlace {
  char letter;
  std::string rest;
};

// The drive whose directory, resolved by realpath(3), holds the resolved directory
// `realDirectory` most closely (the first letter among equals; Z: as "/" unless mapped
// elsewhere); nothing when no drive does.
std::optional<DrivePlace> NearestDrive(const std::string& realDirectory);

}  // namespace cdinst::posix
