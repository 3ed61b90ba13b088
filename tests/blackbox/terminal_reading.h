// Reading what a program started on a pseudo-terminal writes there.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>

namespace cdinst::testing {

// Starts the program with the five parameters on a new pseudo-terminal, whose controlling side
// goes to `terminal`, with CDINST_ANSWER unset and `environment` added. Returns the child's pid.
pid_t StartOnTerminal(int& terminal, const std::string& title,
                      const std::map<std::string, std::string>& environment = {});

// Reads from `terminal` until `marker` appears, the program stops writing for 5 s, or the
// terminal closes.
std::string ReadUntil(int terminal, const std::string& marker);

}  // namespace cdinst::testing
