// Writing a Wine-format system.reg into a scratch prefix.
#pragma once

#include <string>

#include "scratch_prefix.h"

namespace cdinst::testing {

// A quoted registry string in Wine's escaping (backslash and quote escaped; non-ASCII
// Windows-1252 characters written as \x escapes of their Unicode value).
std::string RegString(const std::string& windows1252);

// Writes <prefix>/system.reg holding HKLM\Software\Microsoft\Windows\CurrentVersion with
// `valueLines` (e.g. "\"ProgramFilesDir\"=" + RegString(...)). With `wow64`, the key is
// written under Software\Wow6432Node, and the 64-bit one gets `nativeValueLines`.
void WriteSystemReg(const ScratchPrefix& prefix, const std::string& valueLines, bool wow64 = false,
                    const std::string& nativeValueLines = "");

}  // namespace cdinst::testing
