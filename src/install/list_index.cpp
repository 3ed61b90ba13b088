#include "install/list_index.h"

#include <stdexcept>
#include <string>

namespace cdinst {

size_t CheckedListIndex(int32_t index, size_t count) {
  if (index < 0 || static_cast<size_t>(index) >= count) {
    throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
  }
  return static_cast<size_t>(index);
}

}  // namespace cdinst
