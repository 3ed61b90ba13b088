#include "discimage/name_case.h"

namespace cdinst::disc {
namespace {

// The next code point of UTF-8 `text` from `i`; a malformed byte stands for itself.
char32_t NextCode(std::string_view text, size_t& i) {
  const unsigned char lead = static_cast<unsigned char>(text[i++]);
  int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  if (extra == 0 || i + extra > text.size()) return lead;
  char32_t code = lead & (0x3F >> extra);
  for (; extra > 0; --extra) {
    code = code << 6 | (static_cast<unsigned char>(text[i++]) & 0x3F);
  }
  return code;
}

char32_t Fold(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  if (c == 0x178) return 0xFF;
  if (c >= 0x100 && c <= 0x17E && c != 0x130 && c != 0x131 && c != 0x138) {
    // Latin Extended-A pairs alternate; from U+0139 to U+0148 and U+0179 on they start odd.
    const bool oddStart = (c >= 0x139 && c <= 0x148) || c >= 0x179;
    return (c % 2 == 1) == oddStart ? c + 1 : c;
  }
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;
  if (c >= 0x410 && c <= 0x42F) return c + 32;
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  return c;
}

}  // namespace

std::u32string FoldedName(std::string_view name) {
  std::u32string folded;
  for (size_t i = 0; i < name.size();) folded += Fold(NextCode(name, i));
  return folded;
}

}  // namespace cdinst::disc
