#include "winapi/posix/files/dos_attributes.h"

#include <sys/xattr.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace cdinst::posix {
namespace {

constexpr char kName[] = "user.DOSATTRIB";
constexpr DWORD kStoredBits = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

bool NothingToKeep(int error) { return error == ENOTSUP || error == ENODATA; }

}  // namespace

// Samba writes the same hex text, some versions with a NUL after it; Wine reads both.
DWORD StoredDosAttributes(const std::string& unixPath) {
  char text[32];
  const ssize_t length = getxattr(unixPath.c_str(), kName, text, sizeof text - 1);
  if (length <= 2 || text[0] != '0' || text[1] != 'x') return 0;
  text[length] = '\0';
  char* end = nullptr;
  const unsigned long value = std::strtoul(text + 2, &end, 16);
  if (end == text + 2 || *end != '\0') return 0;
  return static_cast<DWORD>(value) & kStoredBits;
}

bool StoreDosAttributes(const std::string& unixPath, DWORD attributes) {
  const DWORD wanted = attributes & kStoredBits;
  if (wanted == StoredDosAttributes(unixPath)) return true;
  int result;
  if (wanted == 0) {
    result = removexattr(unixPath.c_str(), kName);
  } else {
    char text[16];
    const int length = std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(wanted));
    result = setxattr(unixPath.c_str(), kName, text, static_cast<size_t>(length), 0);
  }
  return result == 0 || NothingToKeep(errno);
}

}  // namespace cdinst::posix
