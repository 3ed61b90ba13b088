// One run of cdinst over a drive D: of its own, laid out in a private directory that is removed
// afterwards whatever happens.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace cdinst::menu {

// Makes a PrivateDrive, lets `layOut` fill it, and runs cdinst with `parameters` and
// CDINST_DRIVE_D naming it. Gives cdinst's result (see RunInstaller), or 128 + the signal when
// Ctrl-C, SIGTERM or SIGHUP came meanwhile: cdinst is then waited for and the directory removed
// first. What `layOut` raises passes through, after the removal.
int RunOverPrivateDrive(const std::function<void(const std::string& directory)>& layOut,
                        const std::vector<std::string>& parameters);

}  // namespace cdinst::menu
