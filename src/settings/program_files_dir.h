#pragma once

#include <string>

namespace cdinst {

// "ProgramFilesDir" of HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion, taken as stored, with
// one trailing backslash removed. "C:" when the key cannot be opened with full access, or the
// value is missing, empty, unreadable or not a string. Raises nothing.
std::string ReadProgramFilesDir();

}  // namespace cdinst
