#include "winapi/posix/settings/registry_file.h"

#include "codepage/windows1252.h"
#include "winapi/posix/settings/text_lines.h"

namespace cdinst::posix {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsOctalDigit(char c) { return c >= '0' && c <= '7'; }

// Reads up to `maxDigits` digits of `base` at `pos` into one code unit.
char16_t ReadNumber(std::string_view text, size_t& pos, int base, int maxDigits) {
  unsigned value = 0;
  for (int i = 0; i < maxDigits && pos < text.size(); ++i) {
    const int digit = HexDigit(text[pos]);
    if (digit < 0 || digit >= base) break;
    value = value * base + digit;
    ++pos;
  }
  return static_cast<char16_t>(value);
}

// The character escaped by `c`, for the escapes that are letters.
char16_t LetterEscape(char c) {
  switch (c) {
    case 'a':
      return u'\a';
    case 'b':
      return u'\b';
    case 'e':
      return 0x1B;
    case 'f':
      return u'\f';
    case 'n':
      return u'\n';
    case 'r':
      return u'\r';
    case 't':
      return u'\t';
    case 'v':
      return u'\v';
    default:
      return static_cast<unsigned char>(c);
  }
}

// Decodes the escape whose '\' precedes `pos` and moves `pos` past it.
char16_t Unescape(std::string_view text, size_t& pos) {
  const char c = text[pos];
  if (IsOctalDigit(c)) return ReadNumber(text, pos, 8, 3);
  ++pos;
  if (c == 'x' && pos < text.size() && HexDigit(text[pos]) >= 0) {
    return ReadNumber(text, pos, 16, 4);
  }
  return LetterEscape(c);
}

// The escaped text from `pos` to the unescaped `delimiter`, and `pos` moved past the delimiter;
// nothing when there is no delimiter. Wine writes only ASCII: a stray byte is taken as Latin-1.
std::optional<std::u16string> ReadEscaped(std::string_view text, size_t& pos, char delimiter) {
  std::u16string out;
  while (pos < text.size()) {
    const char c = text[pos++];
    if (c == delimiter) return out;
    if (c == '\\' && pos < text.size()) {
      out += Unescape(text, pos);
    } else {
      out += static_cast<unsigned char>(c);
    }
  }
  return std::nullopt;
}

// The key named by a "[...]" line, or nothing for any other line.
std::optional<std::string> KeyLineName(std::string_view line) {
  if (line.empty() || line.front() != '[') return std::nullopt;
  size_t pos = 1;
  const std::optional<std::u16string> name = ReadEscaped(line, pos, ']');
  if (!name) return std::nullopt;
  return Utf16ToWindows1252(*name);
}

enum class Relation { kOther, kSame, kDescendant };

Relation Relate(std::string_view keyName, std::string_view path) {
  if (keyName.size() == path.size()) {
    return SameTextIgnoringCase(keyName, path) ? Relation::kSame : Relation::kOther;
  }
  if (keyName.size() > path.size() && keyName[path.size()] == '\\' &&
      SameTextIgnoringCase(keyName.substr(0, path.size()), path)) {
    return Relation::kDescendant;
  }
  return Relation::kOther;
}

void AppendUtf16Le(std::u16string_view text, std::string& out) {
  for (char16_t unit : text) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
  }
}

// Appends the bytes of a list like "01,02,ff" to `out`; true when it ends in '\' (more follow
// on the next line).
bool AppendHexBytes(std::string_view list, std::string& out) {
  size_t pos = 0;
  while (pos < list.size()) {
    const char c = list[pos];
    if (c == ',' || c == ' ' || c == '\t') {
      ++pos;
    } else if (HexDigit(c) >= 0) {
      out += static_cast<char>(ReadNumber(list, pos, 16, 2));
    } else {
      return c == '\\';
    }
  }
  return false;
}

// The bytes of a hex list that starts in `first` and may go on in the following lines.
std::string ReadHexBytes(std::string_view first, TextLines& lines) {
  std::string bytes;
  std::string_view part = first;
  while (AppendHexBytes(part, bytes) && lines.Next(part)) {
  }
  return bytes;
}

// A quoted string, stored with its NUL as Windows stores strings; `data` starts at the quote.
std::optional<RegistryValue> ReadStringData(std::string_view data, DWORD type) {
  size_t pos = 1;
  std::optional<std::u16string> text = ReadEscaped(data, pos, '"');
  if (!text) return std::nullopt;
  RegistryValue value;
  value.type = type;
  text->push_back(u'\0');
  AppendUtf16Le(*text, value.data);
  return value;
}

std::optional<RegistryValue> ReadDwordData(std::string_view digits) {
  size_t pos = 0;
  unsigned long number = 0;
  for (; pos < digits.size() && pos < 8 && HexDigit(digits[pos]) >= 0; ++pos) {
    number = number * 16 + HexDigit(digits[pos]);
  }
  if (pos == 0) return std::nullopt;
  RegistryValue value;
  value.type = REG_DWORD;
  for (int i = 0; i < 4; ++i) value.data += static_cast<char>((number >> (8 * i)) & 0xFF);
  return value;
}

// "hex(<type>):<bytes>" after the "hex(".
std::optional<RegistryValue> ReadTypedHexData(std::string_view data, TextLines& lines) {
  const size_t close = data.find("):");
  if (close == 0 || close == std::string_view::npos || close > 8) return std::nullopt;
  RegistryValue value;
  for (char c : data.substr(0, close)) {
    if (HexDigit(c) < 0) return std::nullopt;
    value.type = value.type * 16 + HexDigit(c);
  }
  value.data = ReadHexBytes(data.substr(close + 2), lines);
  return value;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The type and bytes of what follows the '=' of a value line.
std::optional<RegistryValue> ReadData(std::string_view data, TextLines& lines) {
  struct StringForm {
    std::string_view prefix;
    DWORD type;
  };
  static constexpr StringForm kStringForms[] = {{"\"", REG_SZ},
                                                {"str:\"", REG_SZ},
                                                {"str(2):\"", REG_EXPAND_SZ},
                                                {"str(7):\"", REG_MULTI_SZ}};
  for (const StringForm& form : kStringForms) {
    if (StartsWith(data, form.prefix)) {
      return ReadStringData(data.substr(form.prefix.size() - 1), form.type);
    }
  }
  if (StartsWith(data, "dword:")) return ReadDwordData(data.substr(6));
  if (StartsWith(data, "hex(")) return ReadTypedHexData(data.substr(4), lines);
  if (!StartsWith(data, "hex:")) return std::nullopt;
  RegistryValue value;
  value.type = REG_BINARY;
  value.data = ReadHexBytes(data.substr(4), lines);
  return value;
}

// A "name"=data or @=data line, with any continuation lines it takes from `lines`.
std::optional<RegistryValue> ReadValueLine(std::string_view line, TextLines& lines) {
  size_t pos = 1;
  std::u16string name;
  if (line.front() == '"') {
    std::optional<std::u16string> quoted = ReadEscaped(line, pos, '"');
    if (!quoted) return std::nullopt;
    name = std::move(*quoted);
  } else if (line.front() != '@') {
    return std::nullopt;
  }
  if (pos >= line.size() || line[pos] != '=') return std::nullopt;
  std::optional<RegistryValue> value = ReadData(line.substr(pos + 1), lines);
  if (value) value->name = Utf16ToWindows1252(name);
  return value;
}

// The values after a key line, up to the next key line.
std::vector<RegistryValue> ReadValues(TextLines& lines) {
  std::vector<RegistryValue> values;
  std::string_view line;
  while (lines.Next(line) && (line.empty() || line.front() != '[')) {
    if (line.empty()) continue;
    if (std::optional<RegistryValue> value = ReadValueLine(line, lines)) {
      values.push_back(std::move(*value));
    }
  }
  return values;
}

}  // namespace

std::optional<std::vector<RegistryValue>> FindRegistryKey(std::string_view text,
                                                          std::string_view path) {
  TextLines lines(text);
  bool parentOfSome = path.empty();
  std::string_view line;
  while (lines.Next(line)) {
    const std::optional<std::string> name = KeyLineName(line);
    if (!name) continue;
    const Relation relation = Relate(*name, path);
    if (relation == Relation::kSame) return ReadValues(lines);
    if (relation == Relation::kDescendant) parentOfSome = true;
  }
  if (parentOfSome) return std::vector<RegistryValue>();
  return std::nullopt;
}

const RegistryValue* FindRegistryValue(const std::vector<RegistryValue>& values,
                                       std::string_view name) {
  for (const RegistryValue& value : values) {
    if (SameTextIgnoringCase(value.name, name)) return &value;
  }
  return nullptr;
}

}  // namespace cdinst::posix
