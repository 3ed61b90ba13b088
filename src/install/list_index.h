// Index checks of the directory listings.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cdinst {

// `index` as a position in a list of `count` entries. Raises std::out_of_range (which the
// callers may catch) when it is outside 0 to count - 1.
size_t CheckedListIndex(int32_t index, size_t count);

}  // namespace cdinst
