#include "platform/path_parts.h"

#include <cctype>
#include <cstring>

#include "winapi/winapi.h"

namespace cdinst {
namespace {

std::string Lowered(std::string text) {
  CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

}  // namespace

bool IsNetworkPath(const std::string& path) {
  return path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
}

bool StartsWithDrive(const std::string& path) { return path.size() >= 2 && path[1] == ':'; }

bool IsFullPath(const std::string& path) {
  if (IsNetworkPath(path)) return true;
  return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
         path[2] == '\\';
}

std::string DrivePart(const std::string& path) {
  if (StartsWithDrive(path)) return path.substr(0, 2);
  if (!IsNetworkPath(path)) return std::string();
  const size_t afterServer = FindBackslash(path, 2);
  if (afterServer == std::string::npos) return path;
  return path.substr(0, FindBackslash(path, afterServer + 1));
}

size_t ShareRootLength(const std::string& path) {
  if (!IsNetworkPath(path)) return 0;
  const size_t server = path.find('\\', 2);
  if (server == std::string::npos || server == 2) return 0;
  const size_t share = path.find('\\', server + 1);
  if (share == std::string::npos || share == server + 1) return 0;
  return share + 1;
}

size_t FindBackslash(const std::string& text, size_t from) {
  for (size_t i = from; i < text.size(); ++i) {
    if (text[i] == '\\') return i;
    if (IsDBCSLeadByte(static_cast<BYTE>(text[i]))) ++i;
  }
  return std::string::npos;
}

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

std::string WithoutTrailingBackslash(const std::string& path) {
  return EndsInBackslash(path) ? path.substr(0, path.size() - 1) : path;
}

bool IsAtOrBelow(const std::string& directory, const std::string& upper) {
  if (directory.compare(0, upper.size(), upper) != 0) return false;
  return directory.size() == upper.size() || EndsInBackslash(upper) ||
         directory[upper.size()] == '\\';
}

bool SamePathText(const std::string& a, const std::string& b) {
  const std::string lowerA = Lowered(a);
  const std::string lowerB = Lowered(b);
  return CompareStringA(LOCALE_USER_DEFAULT, 0, lowerA.data(), static_cast<int>(lowerA.size()),
                        lowerB.data(), static_cast<int>(lowerB.size())) == CSTR_EQUAL;
}

bool SameFileName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && Lowered(a) == Lowered(b);
}

bool IsWindowsName(const std::string& name) {
  for (const unsigned char c : name) {
    if (c < 0x20 || std::strchr("\\/:*?\"<>|", c)) return false;
  }
  return name.back() != '.' || name.find_first_not_of('.') == std::string::npos;
}

char UpperCaseLetter(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c; }

}  // namespace cdinst
