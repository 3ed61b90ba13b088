// Starting the installer as the medium's menu program does, on this terminal.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cdinst::menu {

// Runs cdinst (beside this program, else found on PATH) with `parameters` (UTF-8) and waits
// for it, in this program's environment with the "NAME=value" entries of `environment` added or
// replacing. Gives its exit code; 128 + the signal that ended it; 127 when it cannot be started.
// Ctrl-C, SIGTERM and SIGHUP meanwhile reach cdinst too (stop_request.h); the menu then gives
// 128 + that signal once cdinst has ended.
int RunInstaller(const std::vector<std::string>& parameters,
                 const std::vector<std::string>& environment = {});

// Why cdinst would get the parameter `utf8` changed, lost or moved to another place; nothing
// when it gets it as it is. The Linux cdinst rebuilds a Windows command line from its arguments
// (quoting any with blanks, doubling double quotes) and splits it again as Windows programs do,
// with no escape character.
std::optional<std::string> WhyNotPassable(const std::string& utf8);

// `title` (UTF-8) with what cannot pass to cdinst intact replaced: a double quote by a single
// one, a character with no Windows-1252 form by '?'; cut to the longest parameter; "?" for an
// empty one. The title only labels the boxes, so it never stops an install.
std::string PassableTitle(const std::string& title);

}  // namespace cdinst::menu
