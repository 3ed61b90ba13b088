#include "install/name_order.h"

#include "winapi/winapi.h"

namespace cdinst {

int CompareNamesIgnoringCase(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                        b.data(), static_cast<int>(b.size())) -
         CSTR_EQUAL;
}

}  // namespace cdinst
