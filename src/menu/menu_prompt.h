// The menu on the terminal: the numbered choices on stdout, the pick read from stdin.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "menu/choices.h"

namespace cdinst::menu {

// Shows `choices` of the medium titled `title` (UTF-8) and asks until it gets a number in the
// list; nothing when the user types q or stdin ends. Reads no byte past the answer's line, so
// that the installer started afterwards gets the rest of stdin.
std::optional<size_t> PickChoice(const std::vector<Choice>& choices, const std::string& title);

// The choices for scripts: one line each, section, suffix, name, description and destination,
// tab-separated, in UTF-8, each as ShownText gives it.
void PrintChoiceList(const std::vector<Choice>& choices);

// A Windows-1252 text from the medium in UTF-8 as the menu shows it, every control character made
// '?' (TAB and line ends included): no byte of a title, setting or file name may steer the
// terminal, nor split a line of the list.
std::string ShownText(const std::string& windows1252);

// True when `utf8` is a name as the menu shows names: the form of a Windows-1252 text that
// ShownText gives back unchanged.
bool IsShownForm(const std::string& utf8);

}  // namespace cdinst::menu
