// Reading what a program started on a pseudo-terminal writes there.
#pragma once

#include <string>

namespace cdinst::testing {

// Reads from `terminal` until `marker` appears, the program stops writing for 5 s, or the
// terminal closes.
std::string ReadUntil(int terminal, const std::string& marker);

}  // namespace cdinst::testing
