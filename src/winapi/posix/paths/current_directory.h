// The emulation's current directory: one Windows path for the whole process. The real
// process's working directory is never changed.
#pragma once

#include <string>

namespace cdinst::posix {

// The current directory as a full Windows path ("C:\t\sub", "C:\", "\\server\share"): no
// trailing backslash except at a drive root, letter case as it was set. Until
// SetCurrentDirectoryA first succeeds, it is the process's working directory seen through the
// drive whose root holds it most closely (Z: when no other does), names in Windows-1252.
std::string CurrentDirectory();

}  // namespace cdinst::posix
