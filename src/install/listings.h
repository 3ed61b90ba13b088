// What the directory listings share: the order of their names and their index checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace cdinst {

// Compares two names in the user's default locale with letter case ignored (CompareStringA,
// NORM_IGNORECASE): negative, zero or positive as `a` sorts before, with or after `b`.
int CompareNamesIgnoringCase(const std::string& a, const std::string& b);

// `index` as a position in a list of `count` entries. Raises std::out_of_range (which the
// callers may catch) when it is outside 0 to count - 1.
size_t CheckedListIndex(int32_t index, size_t count);

}  // namespace cdinst
