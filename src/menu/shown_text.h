// Texts from the medium as the menu shows them: no byte of a title, setting or file name may
// steer the terminal, nor split a line of the list.
#pragma once

#include <string>

namespace cdinst::menu {

// A Windows-1252 text in UTF-8, every control character made '?' (TAB and line ends included).
std::string ShownText(const std::string& windows1252);

// True when `utf8` is a name as the menu shows names: the form of a Windows-1252 text that
// ShownText gives back unchanged.
bool IsShownForm(const std::string& utf8);

}  // namespace cdinst::menu
