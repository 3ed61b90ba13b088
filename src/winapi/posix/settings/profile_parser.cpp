#include "winapi/posix/settings/profile_parser.h"

#include "codepage/windows1252.h"
#include "winapi/posix/profile_index.h"
#include "winapi/posix/settings/text_lines.h"

namespace cdinst::posix {
namespace {

// Ctrl-Z counts as a blank as in Wine: DOS editors left one at the end of the file.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1a'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

// Moves `lines` past the header of the first section named `section`; false when there is none.
// Letter case is folded beyond ASCII and "" finds "[]", as on Windows (Wine does neither).
bool SeekSection(TextLines& lines, std::string_view section) {
  section = TrimProfileName(section);
  std::string_view raw;
  while (lines.Next(raw)) {
    const ProfileLine line = ParseProfileLine(raw);
    if (line.kind == ProfileLine::Kind::kHeader && SameTextIgnoringCase(line.name, section)) {
      return true;
    }
  }
  return false;
}

// Calls `visit` with each key line of the section `lines` stands in, until it returns false.
template <typename Visit>
void ForEachKey(TextLines& lines, Visit visit) {
  std::string_view raw;
  while (lines.Next(raw)) {
    const ProfileLine line = ParseProfileLine(raw);
    if (line.kind == ProfileLine::Kind::kHeader) return;
    if (line.kind == ProfileLine::Kind::kKey && !visit(line)) return;
  }
}

}  // namespace

ProfileLine ParseProfileLine(std::string_view raw) {
  const std::string_view line = Trim(raw);
  ProfileLine parsed;
  const size_t close = line.rfind(']');
  if (!line.empty() && line.front() == '[' && close != std::string_view::npos) {
    parsed.kind = ProfileLine::Kind::kHeader;
    parsed.name = UpToNul(Trim(line.substr(1, close - 1)));
    return parsed;
  }
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) return parsed;
  parsed.kind = ProfileLine::Kind::kKey;
  parsed.name = UpToNul(Trim(line.substr(0, equals)));
  parsed.value = UpToNul(Trim(line.substr(equals + 1)));
  return parsed;
}

std::string_view TrimProfileName(std::string_view name) { return Trim(name); }

std::string_view UnquoteProfileValue(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// Windows knows no UTF-8 mark: its bytes stay on the first line (Wine converts UTF-8).
std::string DecodeProfileText(std::string_view bytes) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    return Utf16ToWindows1252(Utf16FromBytes(bytes.substr(2), false));
  }
  if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') {
    return Utf16ToWindows1252(Utf16FromBytes(bytes.substr(2), true));
  }
  return std::string(bytes);
}

std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key) {
  TextLines lines(text);
  if (!SeekSection(lines, section)) return std::nullopt;
  key = TrimProfileName(key);
  std::optional<std::string> value;
  ForEachKey(lines, [&](const ProfileLine& line) {
    if (!SameTextIgnoringCase(line.name, key)) return true;
    value = std::string(UnquoteProfileValue(line.value));
    return false;
  });
  return value;
}

std::vector<std::string> ProfileSectionNames(std::string_view text) {
  TextLines lines(text);
  std::vector<std::string> names;
  std::string_view raw;
  while (lines.Next(raw)) {
    const ProfileLine line = ParseProfileLine(raw);
    if (line.kind == ProfileLine::Kind::kHeader && !line.name.empty()) {
      names.emplace_back(line.name);
    }
  }
  return names;
}

std::vector<std::string> ProfileKeyNames(std::string_view text, std::string_view section) {
  TextLines lines(text);
  std::vector<std::string> names;
  if (!SeekSection(lines, section)) return names;
  ForEachKey(lines, [&](const ProfileLine& line) {
    if (line.name.empty() || line.name.front() != ';') names.emplace_back(line.name);
    return true;
  });
  return names;
}

}  // namespace cdinst::posix
