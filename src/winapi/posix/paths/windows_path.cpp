#include "winapi/posix/paths/windows_path.h"

#include <cctype>

namespace cdinst::posix {
namespace {

bool HasDrive(std::string_view path) { return path.size() >= 2 && path[1] == ':'; }

bool SameLetter(char a, char b) {
  return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
}

std::string Continue(std::string_view directory, std::string_view rest) {
  return std::string(directory) + "\\" + std::string(rest);
}

size_t NextSeparator(std::string_view path, size_t from) {
  while (from < path.size() && !IsSeparator(path[from])) ++from;
  return from;
}

// Windows reads a ':' in a name as a stream, which the emulation has none of; Wine takes it
// into the Unix name.
bool IsIllegalInName(unsigned char c) {
  return c < 0x20 || c == '<' || c == '>' || c == '|' || c == '"' || c == '*' || c == '?' ||
         c == ':';
}

bool HasIllegalCharacters(std::string_view name) {
  for (const char c : name) {
    if (IsIllegalInName(static_cast<unsigned char>(c))) return true;
  }
  return false;
}

std::vector<std::string_view> RawComponents(std::string_view rest) {
  std::vector<std::string_view> components;
  components.reserve(64);
  for (size_t start = 0; start < rest.size();) {
    const size_t end = NextSeparator(rest, start);
    if (end > start) components.push_back(rest.substr(start, end - start));
    start = end + 1;
  }
  return components;
}

bool IsOnlyPeriods(std::string_view name) {
  return name.find_first_not_of('.') == std::string_view::npos;
}

// Windows drops one period that ends a segment, and every period and blank that ends the path;
// "." and ".." keep their meaning, and a segment of three or more periods is a name.
void TrimSegment(std::string_view& name, bool endsThePath) {
  if (name == "." || name == "..") return;
  if (endsThePath) {
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
  } else if (name.back() == '.' && !IsOnlyPeriods(name)) {
    name.remove_suffix(1);
  }
}

void Fold(const std::vector<std::string_view>& raw, bool endsInSeparator, PathParts& parts) {
  parts.components.reserve(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    std::string_view name = raw[i];
    TrimSegment(name, i + 1 == raw.size() && !endsInSeparator);
    if (name.empty() || name == ".") continue;
    if (name == "..") {
      if (!parts.components.empty()) parts.components.pop_back();
      continue;
    }
    parts.components.emplace_back(name);
  }
}

}  // namespace

bool IsUncPath(std::string_view path) {
  return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

bool IsFullPath(std::string_view path) {
  return IsUncPath(path) || (HasDrive(path) && path.size() > 2 && IsSeparator(path[2]));
}

std::string AbsolutePathText(std::string_view path, std::string_view currentDirectory) {
  if (IsFullPath(path)) return std::string(path);
  if (HasDrive(path)) {
    const std::string_view rest = path.substr(2);
    if (HasDrive(currentDirectory) && SameLetter(path[0], currentDirectory[0])) {
      return Continue(currentDirectory, rest);
    }
    return Continue(path.substr(0, 2), rest);
  }
  if (!path.empty() && IsSeparator(path[0])) {
    return std::string(currentDirectory.substr(0, RootLength(currentDirectory))) +
           std::string(path);
  }
  return Continue(currentDirectory, path);
}

PathParts SplitAbsolutePath(std::string_view absolutePath) {
  PathParts parts;
  const size_t rootLength = RootLength(absolutePath);
  if (rootLength == 0) {
    parts.error = ERROR_PATH_NOT_FOUND;
    return parts;
  }
  const std::vector<std::string_view> raw = RawComponents(absolutePath.substr(rootLength));
  for (const std::string_view name : raw) {
    if (HasIllegalCharacters(name)) parts.error = ERROR_INVALID_NAME;
  }
  if (IsUncPath(absolutePath)) {
    const std::vector<std::string_view> share = RawComponents(absolutePath.substr(0, rootLength));
    if (HasIllegalCharacters(share[0]) || HasIllegalCharacters(share[1])) {
      parts.error = ERROR_INVALID_NAME;
    }
    parts.root = "\\\\" + std::string(share[0]) + "\\" + std::string(share[1]);
  } else {
    parts.root = std::string(absolutePath.substr(0, 2)) + "\\";
  }
  Fold(raw, IsSeparator(absolutePath.back()), parts);
  return parts;
}

std::string JoinPath(const PathParts& parts) {
  size_t length = parts.root.size();
  for (const std::string& name : parts.components) length += name.size() + 1;
  std::string path;
  path.reserve(length);
  path = parts.root;
  for (const std::string& name : parts.components) {
    if (path.back() != '\\') path += '\\';
    path += name;
  }
  return path;
}

size_t RootLength(std::string_view path) {
  if (!IsUncPath(path)) return HasDrive(path) ? 2 : 0;
  const size_t serverEnd = NextSeparator(path, 2);
  if (serverEnd == 2 || serverEnd == path.size()) return 0;
  const size_t shareEnd = NextSeparator(path, serverEnd + 1);
  return shareEnd == serverEnd + 1 ? 0 : shareEnd;
}

bool IsRootPath(std::string_view fullPath) {
  if (IsUncPath(fullPath)) return RootLength(fullPath) == fullPath.size();
  return fullPath.size() == 3 && HasDrive(fullPath) && IsSeparator(fullPath[2]);
}

size_t NameStart(std::string_view path) {
  const size_t separator = path.find_last_of("\\/");
  if (separator != std::string_view::npos) return separator + 1;
  return HasDrive(path) ? 2 : 0;
}

std::string_view LastComponent(std::string_view fullPath) {
  if (IsRootPath(fullPath)) return std::string_view();
  return fullPath.substr(NameStart(fullPath));
}

bool HasWildcards(std::string_view text) {
  return text.find_first_of("*?") != std::string_view::npos;
}

}  // namespace cdinst::posix
