#include "winapi/posix/settings/profile_parser.h"

#include "codepage/windows1252.h"
#include "winapi/posix/profile_index.h"

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

}  // namespace cdinst::posix
