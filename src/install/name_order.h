// The order of names in the directory listings.
#pragma once

#include <string>

namespace cdinst {

// Compares two names in the user's default locale with letter case ignored (CompareStringA,
// NORM_IGNORECASE): negative, zero or positive as `a` sorts before, with or after `b`.
int CompareNamesIgnoringCase(const std::string& a, const std::string& b);

}  // namespace cdinst
