#include "winapi/posix/files/dos_attributes.h"

#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <set>
#include <string_view>

#include "winapi/posix/paths/at_path.h"

namespace cdinst::posix {
namespace {

constexpr char kName[] = "user.DOSATTRIB";
// Samba's form, the longest, stays far below this.
constexpr size_t kLongestValue = 256;
constexpr size_t kMostDigits = 8;

bool NothingToKeep(int error) { return error == ENOTSUP || error == ENODATA; }

// A mounted file system keeps extended attributes or does not for as long as it is mounted.
std::set<dev_t>& Refusing() {
  static std::set<dev_t> devices;
  return devices;
}

// Samba writes binary data after the text and a NUL.
std::string_view TextPart(std::string_view value) { return value.substr(0, value.find('\0')); }

// "0x" and one to eight hex digits, nothing else: no sign, blank or second prefix.
bool ParseStoredText(std::string_view text, DWORD& value) {
  if (text.size() < 3 || text.size() > 2 + kMostDigits || text.substr(0, 2) != "0x") return false;
  const char* const end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data() + 2, end, value, 16);
  return error == std::errc() && stop == end;
}

// getxattrat(2) came with Linux 6.13; glibc has no wrapper for it yet.
constexpr long kGetXattrAt = 464;
struct XattrArguments {
  uint64_t value;
  uint32_t size;
  uint32_t flags;
};

// getxattr(2) of a path the resolution gives, relative to its held directory where the kernel
// can take it so.
ssize_t ReadStored(const std::string& unixPath, char* buffer, size_t size) {
  static bool atUnsupported = false;
  const AtPath at = At(unixPath);
  if (at.base != AT_FDCWD && !atUnsupported) {
    XattrArguments arguments{reinterpret_cast<uintptr_t>(buffer), static_cast<uint32_t>(size), 0};
    const long length =
        syscall(kGetXattrAt, at.base, at.path, 0, kName, &arguments, sizeof arguments);
    if (length >= 0 || errno != ENOSYS) return length;
    atUnsupported = true;
  }
  return getxattr(unixPath.c_str(), kName, buffer, size);
}

}  // namespace

DWORD StoredDosAttributes(const std::string& unixPath, dev_t device) {
  if (Refusing().count(device)) return 0;
  char stored[kLongestValue];
  const ssize_t length = ReadStored(unixPath, stored, sizeof stored);
  if (length < 0 && errno == ENOTSUP) Refusing().insert(device);
  DWORD value = 0;
  if (length <= 0 || !ParseStoredText(TextPart({stored, static_cast<size_t>(length)}), value)) {
    return 0;
  }
  return value & kStoredDosBits;
}

bool StoreDosAttributes(const std::string& unixPath, dev_t device, DWORD attributes) {
  const DWORD wanted = attributes & kStoredDosBits;
  if (wanted == StoredDosAttributes(unixPath, device)) return true;
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
