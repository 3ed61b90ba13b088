#include "winapi/posix/profile_index.h"

#include "codepage/windows1252.h"
#include "winapi/posix/settings/text_lines.h"

namespace cdinst::posix {
namespace {

// One line as the rules read it: a header's name, or a key's name and raw value (blanks around
// them and anything from a NUL on dropped, quotes kept).
struct ProfileLine {
  enum class Kind { kOther, kHeader, kKey };
  Kind kind = Kind::kOther;
  std::string_view name;
  std::string_view value;
};

// Ctrl-Z counts as a blank as in Wine: DOS editors left one at the end of the file.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1a'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

ProfileLine ParseLine(std::string_view raw) {
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

// A key's raw value as a lookup gives it: one pair of matching quotes removed.
std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

bool IsComment(std::string_view keyName) { return !keyName.empty() && keyName.front() == ';'; }

}  // namespace

ProfileIndex::ProfileIndex(std::string_view text) {
  TextLines lines(text);
  Section* current = nullptr;  // a later section of a taken name is never looked in
  std::string_view raw;
  while (lines.Next(raw)) {
    const ProfileLine line = ParseLine(raw);
    if (line.kind == ProfileLine::Kind::kHeader) {
      if (!line.name.empty()) sectionNames_.emplace_back(line.name);
      const auto [entry, added] = sections_.try_emplace(FoldedCase(line.name));
      current = added ? &entry->second : nullptr;
    } else if (line.kind == ProfileLine::Kind::kKey && current) {
      if (!IsComment(line.name)) current->keyNames.emplace_back(line.name);
      current->rawValues.try_emplace(FoldedCase(line.name), line.value);
    }
  }
}

const ProfileIndex::Section* ProfileIndex::Find(std::string_view section) const {
  const auto found = sections_.find(FoldedCase(Trim(section)));
  return found == sections_.end() ? nullptr : &found->second;
}

std::vector<std::string> ProfileIndex::KeyNames(std::string_view section) const {
  const Section* found = Find(section);
  return found ? found->keyNames : std::vector<std::string>();
}

std::optional<std::string> ProfileIndex::Value(std::string_view section,
                                               std::string_view key) const {
  const Section* found = Find(section);
  if (!found) return std::nullopt;
  const auto value = found->rawValues.find(FoldedCase(Trim(key)));
  if (value == found->rawValues.end()) return std::nullopt;
  return std::string(Unquote(value->second));
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

}  // namespace cdinst::posix
