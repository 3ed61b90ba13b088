#include "winapi/posix/paths/fine_timestamps.h"

#include <sys/utsname.h>
#include <sys/vfs.h>

#include <charconv>

namespace cdinst::posix {
namespace {

// Multigrain timestamps came with Linux 6.13.
constexpr unsigned kFirstMajor = 6;
constexpr unsigned kFirstMinor = 13;

// Takes the number `text` begins with off it; false when it begins with none.
bool TakeNumber(std::string_view& text, unsigned& number) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc()) return false;
  text.remove_prefix(static_cast<size_t>(end - text.data()));
  return true;
}

bool RunningKernelStampsFinely() {
  struct utsname names;
  return uname(&names) == 0 && StampsFinely(names.release);
}

// Where every change is made by this machine's kernel.
bool IsLocalFileSystem(const std::string& unixDirectory) {
  constexpr unsigned long kLocal[] = {
      0xEF53,      // ext2, ext3, ext4
      0x58465342,  // xfs
      0x9123683E,  // btrfs
      0x01021994,  // tmpfs
  };
  struct statfs info;
  if (statfs(unixDirectory.c_str(), &info) != 0) return false;
  for (const unsigned long type : kLocal) {
    if (static_cast<unsigned long>(info.f_type) == type) return true;
  }
  return false;
}

}  // namespace

bool StampsFinely(std::string_view release) {
  unsigned major = 0, minor = 0;
  if (!TakeNumber(release, major) || release.empty() || release.front() != '.') return false;
  release.remove_prefix(1);
  if (!TakeNumber(release, minor)) return false;
  return major > kFirstMajor || (major == kFirstMajor && minor >= kFirstMinor);
}

bool StampsEveryChange(const std::string& unixDirectory) {
  static const bool kernelStampsFinely = RunningKernelStampsFinely();
  return kernelStampsFinely && IsLocalFileSystem(unixDirectory);
}

}  // namespace cdinst::posix
