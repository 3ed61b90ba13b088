#include "winapi/posix/paths/at_path.h"

#include <fcntl.h>

#include <cctype>
#include <cstring>
#include <string_view>

namespace cdinst::posix {

AtPath At(const std::string& unixPath) {
  constexpr std::string_view kHeld = "/proc/self/fd/";
  const AtPath unchanged{AT_FDCWD, unixPath.c_str()};
  if (unixPath.compare(0, kHeld.size(), kHeld) != 0) return unchanged;
  int fd = 0;
  size_t at = kHeld.size();
  for (; at < unixPath.size() && std::isdigit(static_cast<unsigned char>(unixPath[at])); ++at) {
    if (fd > 100000000) return unchanged;
    fd = fd * 10 + (unixPath[at] - '0');
  }
  if (at == kHeld.size()) return unchanged;
  if (at == unixPath.size()) return {fd, "."};
  if (unixPath[at] != '/') return unchanged;
  while (at < unixPath.size() && unixPath[at] == '/') ++at;
  return {fd, at == unixPath.size() ? "." : unixPath.c_str() + at};
}

bool AtPath::NamesBase() const { return base != AT_FDCWD && std::strcmp(path, ".") == 0; }

}  // namespace cdinst::posix
