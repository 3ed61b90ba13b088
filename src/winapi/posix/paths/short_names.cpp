#include "winapi/posix/paths/short_names.h"

#include <cstdint>

#include "codepage/windows1252.h"

namespace cdinst::posix {
namespace {

constexpr char kHashCharacters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";

// Characters an 8.3 name cannot hold; non-ASCII is refused separately.
bool IsForbiddenInShortName(unsigned char c) {
  if (c > 0x7F) return true;
  for (const char forbidden : std::string_view("*?<>|\"+=,;[] ")) {
    if (c == static_cast<unsigned char>(forbidden)) return true;
  }
  return false;
}

// The hashed form also replaces '.' and '~' so they cannot be misread in the alias.
char ShortNameCharacter(unsigned char c) {
  if (IsForbiddenInShortName(c) || c == '.' || c == '~') return '_';
  return static_cast<char>(c >= 'a' && c <= 'z' ? c - 0x20 : c);
}

// The hash works on Unicode code points folded to lower case.
uint16_t LowerCodePoint(char c) {
  return static_cast<uint16_t>(
      Windows1252ToUnicode(LowerWindows1252(static_cast<unsigned char>(c))));
}

uint16_t NameHash(std::string_view name) {
  uint16_t hash = 0xBEEF;
  for (size_t i = 0; i + 1 < name.size(); ++i) {
    hash = static_cast<uint16_t>((hash << 3) ^ (hash >> 5) ^ LowerCodePoint(name[i]) ^
                                 (LowerCodePoint(name[i + 1]) << 8));
  }
  return static_cast<uint16_t>((hash << 3) ^ (hash >> 5) ^ LowerCodePoint(name.back()));
}

// The extension starts after the last dot that is neither the first nor the last character.
size_t ExtensionDot(std::string_view name) {
  if (name.size() < 3) return std::string_view::npos;
  const size_t dot = name.substr(0, name.size() - 1).rfind('.');
  return dot == 0 ? std::string_view::npos : dot;
}

}  // namespace

bool IsLegalShortName(std::string_view name) {
  if (name.empty() || name.size() > 12) return false;
  if (name[0] == '.') return name == "." || name == "..";
  size_t dot = std::string_view::npos;
  for (size_t i = 0; i < name.size(); ++i) {
    if (IsForbiddenInShortName(static_cast<unsigned char>(name[i]))) return false;
    if (name[i] != '.') continue;
    if (dot != std::string_view::npos) return false;
    dot = i;
  }
  if (dot == std::string_view::npos) return name.size() <= 8;
  const size_t extension = name.size() - dot - 1;
  return dot <= 8 && extension >= 1 && extension <= 3;
}

std::string HashedShortName(std::string_view name) {
  const size_t dot = ExtensionDot(name);
  const std::string_view base = name.substr(0, dot);
  std::string result;
  for (size_t i = 0; i < base.size() && i < 4; ++i) {
    result += ShortNameCharacter(static_cast<unsigned char>(base[i]));
  }
  result.append(5 - result.size(), '~');
  const uint16_t hash = NameHash(name);
  result += kHashCharacters[(hash >> 10) & 0x1F];
  result += kHashCharacters[(hash >> 5) & 0x1F];
  result += kHashCharacters[hash & 0x1F];
  if (dot == std::string_view::npos) return result;
  result += '.';
  for (const char c : name.substr(dot + 1, 3)) {
    result += ShortNameCharacter(static_cast<unsigned char>(c));
  }
  return result;
}

bool CouldBeHashedShortName(std::string_view name) {
  const bool hasExtension = name.size() >= 10 && name.size() <= 12 && name[8] == '.';
  return (name.size() == 8 || hasExtension) && name[4] == '~';
}

std::string ShortNameOf(std::string_view name) {
  if (IsLegalShortName(name)) return std::string();
  return HashedShortName(name);
}

}  // namespace cdinst::posix
