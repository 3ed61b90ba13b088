#include "platform/path_parts.h"

#include "winapi/winapi.h"

namespace cdinst {

size_t AfterLastDelimiter(const std::string& path) {
  size_t after = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    if (c == '\\' || c == ':') {
      after = i + 1;
    } else if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < path.size()) {
      ++i;  // the trail byte may look like a backslash
    }
  }
  return after;
}

std::string DirectoryPartOf(const std::string& path) {
  return path.substr(0, AfterLastDelimiter(path));
}

std::string NamePartOf(const std::string& path) { return path.substr(AfterLastDelimiter(path)); }

bool EndsInBackslash(const std::string& path) { return !path.empty() && path.back() == '\\'; }

std::string WithTrailingBackslash(const std::string& path) {
  return path.empty() || EndsInBackslash(path) ? path : path + '\\';
}

char UpperCaseLetter(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c; }

}  // namespace cdinst
