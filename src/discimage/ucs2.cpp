#include "discimage/ucs2.h"

namespace cdinst::disc {
namespace {

char32_t UnitAt(std::string_view bytes, size_t i) {
  return static_cast<char32_t>(static_cast<unsigned char>(bytes[i]) << 8 |
                               static_cast<unsigned char>(bytes[i + 1]));
}

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

void AppendUtf8(char32_t code, std::string& out) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | code >> 6);
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | code >> 12);
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | code >> 18);
    out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

std::optional<std::string> Ucs2BigEndianToUtf8(std::string_view bytes) {
  if (bytes.size() % 2 != 0) return std::nullopt;
  std::string text;
  for (size_t i = 0; i < bytes.size(); i += 2) {
    char32_t code = UnitAt(bytes, i);
    if (IsHighSurrogate(code) && i + 3 < bytes.size() && IsLowSurrogate(UnitAt(bytes, i + 2))) {
      code = 0x10000 + ((code - 0xD800) << 10) + (UnitAt(bytes, i + 2) - 0xDC00);
      i += 2;
    } else if (IsHighSurrogate(code) || IsLowSurrogate(code)) {
      return std::nullopt;
    }
    AppendUtf8(code, text);
  }
  return text;
}

}  // namespace cdinst::disc
