// Names on a disc compared as Windows compares them: letter case ignored.
#pragma once

#include <string>
#include <string_view>

namespace cdinst::disc {

// `name` (UTF-8) as names compare: its code points with letter case folded for ASCII, Latin-1,
// Latin Extended-A, Greek and Cyrillic, which covers the names installers put on their discs.
// Two names are the same when their folded forms are equal.
std::u32string FoldedName(std::string_view name);

}  // namespace cdinst::disc
