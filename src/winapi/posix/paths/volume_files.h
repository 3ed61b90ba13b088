// The label and serial number that Wine keeps for a drive in files at its root.
#pragma once

#include <optional>
#include <string>

#include "winapi/winapi.h"

namespace cdinst::posix {

// The text of <root>/.windows-label (UTF-8 on disk) in Windows-1252, trailing blanks and line
// ends dropped, as Wine reads it: at most its first 256 bytes. Empty when there is no such file.
std::string VolumeLabelFile(const std::string& root);

// <root>/.windows-serial read as hexadecimal text, as Wine reads it; nothing when there is no
// such file.
std::optional<DWORD> VolumeSerialFile(const std::string& root);

}  // namespace cdinst::posix
