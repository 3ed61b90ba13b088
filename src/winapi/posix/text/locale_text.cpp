// CompareStringA and CharLowerBuffA over Windows-1252, whatever locale is asked for.
#include <string_view>

#include "codepage/windows1252.h"
#include "winapi/posix/last_error.h"
#include "winapi/winapi.h"

namespace {

std::string_view Text(LPCSTR text, int length) {
  return length < 0 ? std::string_view(text) : std::string_view(text, static_cast<size_t>(length));
}

// Folding to lower case keeps '_' and the other signs between 'Z' and 'a' ahead of letters.
unsigned char Folded(char c, bool ignoreCase) {
  const auto byte = static_cast<unsigned char>(c);
  return ignoreCase ? cdinst::LowerWindows1252(byte) : byte;
}

}  // namespace

int CompareStringA(LCID, DWORD flags, LPCSTR text1, int length1, LPCSTR text2, int length2) {
  if (text1 == nullptr || text2 == nullptr) {
    return cdinst::posix::FailWith(0, ERROR_INVALID_PARAMETER);
  }
  const std::string_view a = Text(text1, length1);
  const std::string_view b = Text(text2, length2);
  const bool ignoreCase = (flags & NORM_IGNORECASE) != 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    const unsigned char left = Folded(a[i], ignoreCase);
    const unsigned char right = Folded(b[i], ignoreCase);
    if (left != right) return left < right ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
  }
  if (a.size() == b.size()) return CSTR_EQUAL;
  return a.size() < b.size() ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
}

DWORD CharLowerBuffA(LPSTR text, DWORD length) {
  if (text == nullptr) return 0;
  for (DWORD i = 0; i < length; ++i) {
    text[i] = static_cast<char>(cdinst::LowerWindows1252(static_cast<unsigned char>(text[i])));
  }
  return length;
}
