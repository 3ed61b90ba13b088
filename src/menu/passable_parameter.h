// Whether a parameter reaches cdinst as the menu means it. The Linux cdinst rebuilds a Windows
// command line from its arguments (quoting any with blanks, doubling double quotes) and splits
// it again as Windows programs do, with no escape character.
#pragma once

#include <optional>
#include <string>

namespace cdinst::menu {

// Why cdinst would get `utf8` changed, lost or moved to another place; nothing when it gets it
// as it is.
std::optional<std::string> WhyNotPassable(const std::string& utf8);

}  // namespace cdinst::menu
