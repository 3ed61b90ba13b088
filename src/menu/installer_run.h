// Starting the installer as the medium's menu program does, on this terminal.
#pragma once

#include <string>
#include <vector>

namespace cdinst::menu {

// Runs cdinst (beside this program, else found on PATH) with `parameters` (UTF-8) and waits
// for it, in this program's environment with the "NAME=value" entries of `environment` added or
// replacing. Gives its exit code; 128 + the signal that ended it; 127 when it cannot be started.
int RunInstaller(const std::vector<std::string>& parameters,
                 const std::vector<std::string>& environment = {});

}  // namespace cdinst::menu
