#include "codepage/windows1252.h"

namespace cdinst {
namespace {

// 0x80..0x9F; the unassigned bytes keep their own value.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes one UTF-8 sequence at `pos`; returns its length, or 0 when it is malformed.
size_t DecodeUtf8(std::string_view text, size_t pos, char32_t& c) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  size_t length;
  char32_t minimum;
  if (lead < 0x80) {
    c = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, minimum = 0x80, c = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, minimum = 0x800, c = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, minimum = 0x10000, c = lead & 0x07;
  } else {
    return 0;
  }
  if (pos + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(pos + i) & 0xC0) != 0x80) return 0;
    c = (c << 6) | (byte(pos + i) & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return length;
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

char UnicodeToWindows1252(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (int i = 0; i < 32; ++i) {
    if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
  }
  return '?';
}

}  // namespace

char32_t Windows1252ToUnicode(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHighControls[byte - 0x80];
  return byte;
}

// ASCII is the same in both, and path lookups convert plenty of it.
std::string Windows1252ToUtf8(std::string_view text) {
  size_t ascii = 0;
  while (ascii < text.size() && static_cast<unsigned char>(text[ascii]) < 0x80) ++ascii;
  std::string out(text.substr(0, ascii));
  if (ascii == text.size()) return out;
  out.reserve(text.size() + 8);
  for (unsigned char byte : text.substr(ascii)) AppendUtf8(out, Windows1252ToUnicode(byte));
  return out;
}

bool IsValidUtf8(std::string_view text) {
  char32_t c;
  for (size_t pos = 0; pos < text.size();) {
    const size_t length = DecodeUtf8(text, pos, c);
    if (length == 0) return false;
    pos += length;
  }
  return true;
}

std::string Utf8ToWindows1252(std::string_view text) {
  if (!IsValidUtf8(text)) return std::string(text);
  std::string out;
  out.reserve(text.size());
  char32_t c = 0;  // for the optimiser: IsValidUtf8 has checked every sequence
  for (size_t pos = 0; pos < text.size();) {
    pos += DecodeUtf8(text, pos, c);
    out += UnicodeToWindows1252(c);
  }
  return out;
}

std::string Utf16ToWindows1252(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    // A surrogate pair is one character, and none of them is in Windows-1252.
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
    out += UnicodeToWindows1252(text[i]);
  }
  return out;
}

std::optional<std::string> Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
      return std::nullopt;
    }
    AppendUtf8(out, c);
  }
  return out;
}

std::u16string Utf16FromBytes(std::string_view bytes, bool bigEndian) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    units += static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
  }
  return units;
}

std::string TerminalText(std::string_view text, bool keepLineFeeds) {
  std::string out;
  out.reserve(text.size());
  char32_t c = 0;
  for (size_t pos = 0; pos < text.size();) {
    const size_t length = DecodeUtf8(text, pos, c);
    const bool control = c < 0x20 || (c >= 0x7F && c < 0xA0);
    if (length == 0 || (control && !(keepLineFeeds && c == '\n'))) {
      out += '?';
      pos += length == 0 ? 1 : length;
    } else {
      out.append(text.substr(pos, length));
      pos += length;
    }
  }
  return out;
}

unsigned char UpperWindows1252(unsigned char byte) {
  if (byte >= 'a' && byte <= 'z') return byte - 0x20;
  if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7) return byte - 0x20;
  switch (byte) {
    case 0x9A:
      return 0x8A;
    case 0x9C:
      return 0x8C;
    case 0x9E:
      return 0x8E;
    case 0xFF:
      return 0x9F;
    default:
      return byte;
  }
}

unsigned char LowerWindows1252(unsigned char byte) {
  if (byte >= 'A' && byte <= 'Z') return byte + 0x20;
  if (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7) return byte + 0x20;
  switch (byte) {
    case 0x8A:
      return 0x9A;
    case 0x8C:
      return 0x9C;
    case 0x8E:
      return 0x9E;
    case 0x9F:
      return 0xFF;
    default:
      return byte;
  }
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (UpperWindows1252(static_cast<unsigned char>(a[i])) !=
        UpperWindows1252(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

std::string FoldedCase(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) c = static_cast<char>(UpperWindows1252(static_cast<unsigned char>(c)));
  return folded;
}

}  // namespace cdinst
