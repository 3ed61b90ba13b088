// Parameters in a command line's text, as the medium's menu program writes them and cdinst
// splits them: separated by blanks (codes 1 to 32), grouped by double quotes, with no escape
// character.
#pragma once

#include <string>
#include <string_view>

namespace cdinst {

// Splits one parameter off `text` from `position`: blanks and empty quoted pairs before it are
// skipped; a double quote opens a stretch that runs, blanks included, to the next quote or the
// end. Returns the position where collecting stopped. An empty result means the text ended.
size_t NextParameter(std::string_view text, size_t position, std::string& parameter);

// Over a given command-line text (the program's own name comes first and is not counted).
int CountParametersIn(std::string_view commandLine);
std::string ParameterIn(std::string_view commandLine, int n);  // n from 1

}  // namespace cdinst
