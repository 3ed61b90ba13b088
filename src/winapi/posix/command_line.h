// The Windows command line the Linux program sees (GetCommandLineA), built from Unix arguments.
#pragma once

#include <string>
#include <vector>

namespace cdinst::posix {

// One command line from `arguments` (UTF-8, the program's name first), each in Windows-1252,
// so that Windows' splitting gives each back: one that is empty or holds a blank is quoted, and
// a double quote in one is doubled, which the splitting drops: no escape brings it through.
std::string WindowsCommandLine(const std::vector<std::string>& arguments);

}  // namespace cdinst::posix
