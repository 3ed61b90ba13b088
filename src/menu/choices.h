// What a medium offers: one choice per program of "DADOS\PROGS.INI", in its order, and one per
// variant of a program that names a group in "DADOS\MULTI.INI".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "menu/medium_settings.h"

namespace cdinst::menu {

// Windows-1252 texts, as the settings give them.
struct Choice {
  std::string section;
  std::string suffix;  // the variant's, or what a menu passes for a program without variants
  bool variant = false;
  std::string name;
  std::string description;
  std::string destination;  // as the installer resolves it, with its trailing backslash
  std::string origin;       // the folder copied, relative to the medium's root, as resolved
};

// Every choice of the medium at `windowsRoot`, its name and destination resolved by the
// installer's own code.
std::vector<Choice> ListChoices(const std::string& windowsRoot, const MediumSettings& settings);

// The choice named by a section and a suffix (Windows-1252), letter case ignored; a program
// without variants takes any suffix, and a missing suffix picks the only variant. Raises
// MenuError (kUnknownChoice) when there is no such choice.
Choice FindChoice(const std::vector<Choice>& choices, const std::string& section,
                  const std::optional<std::string>& suffix);

}  // namespace cdinst::menu
