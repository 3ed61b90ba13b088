// What the directory listings share: the order of their names and their index checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace cdinst {

// Compares two names in the user's default locale with letter case ignored (CompareStringA,
// NORM_IGNORECASE): negative, zero or positive as `a` sorts before, with or after `b`.
int CompareNamesIgnoringCase(const std::string& a, const std::string& b);

// `name` as a listing takes it beside `listed`, a name it sorts with: unchanged, unless a file
// system takes the two for one name (they differ only in letter case). Then its last character
// comes back as '?', as FileSearch::Name marks names that paths cannot reach: it names nothing,
// so its copy fails where it is instead of overwriting, or merging into, the other.
std::string DistinctFrom(std::string name, const std::string& listed);

// `index` as a position in a list of `count` entries. Raises std::out_of_range (which the
// callers may catch) when it is outside 0 to count - 1.
size_t CheckedListIndex(int32_t index, size_t count);

}  // namespace cdinst
