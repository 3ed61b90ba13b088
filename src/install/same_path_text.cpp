#include "install/same_path_text.h"

#include "winapi/winapi.h"

namespace cdinst {
namespace {

std::string Lowered(std::string text) {
  CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

}  // namespace

bool SamePathText(const std::string& a, const std::string& b) {
  const std::string lowerA = Lowered(a);
  const std::string lowerB = Lowered(b);
  return CompareStringA(LOCALE_USER_DEFAULT, 0, lowerA.data(), static_cast<int>(lowerA.size()),
                        lowerB.data(), static_cast<int>(lowerB.size())) == CSTR_EQUAL;
}

}  // namespace cdinst
