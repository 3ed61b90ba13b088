#include "install/path_levels.h"

#include "winapi/winapi.h"

namespace cdinst {

size_t FindBackslash(const std::string& text, size_t from) {
  for (size_t i = from; i < text.size(); ++i) {
    if (text[i] == '\\') return i;
    if (IsDBCSLeadByte(static_cast<BYTE>(text[i]))) ++i;
  }
  return std::string::npos;
}

std::string DrivePart(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
  if (!IsNetworkPath(path)) return std::string();
  const size_t afterServer = FindBackslash(path, 2);
  if (afterServer == std::string::npos) return path;
  return path.substr(0, FindBackslash(path, afterServer + 1));
}

bool IsNetworkPath(const std::string& path) {
  return path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
}

}  // namespace cdinst
