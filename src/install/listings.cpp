#include "install/listings.h"

#include <stdexcept>

#include "platform/path_parts.h"
#include "winapi/winapi.h"

namespace cdinst {

int CompareNamesIgnoringCase(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                        b.data(), static_cast<int>(b.size())) -
         CSTR_EQUAL;
}

std::string DistinctFrom(std::string name, const std::string& listed) {
  if (name != listed && !name.empty() && SameFileName(name, listed)) name.back() = '?';
  return name;
}

size_t CheckedListIndex(int32_t index, size_t count) {
  if (index < 0 || static_cast<size_t>(index) >= count) {
    throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
  }
  return static_cast<size_t>(index);
}

}  // namespace cdinst
