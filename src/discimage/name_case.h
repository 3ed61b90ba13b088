// Names on a disc compared as Windows compares them: letter case ignored.
#pragma once

#include <string_view>

namespace cdinst::disc {

// `a` and `b` are UTF-8. Case is folded for ASCII, Latin-1, Latin Extended-A, Greek and
// Cyrillic, which covers the names installers put on their discs.
bool SameName(std::string_view a, std::string_view b);

}  // namespace cdinst::disc
