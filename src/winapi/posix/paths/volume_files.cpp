#include "winapi/posix/paths/volume_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

#include "codepage/windows1252.h"
#include "winapi/posix/unique_fd.h"

namespace cdinst::posix {
namespace {

// Wine reads these files in one read of a 256-byte buffer.
constexpr size_t kReadLimit = 256;

std::optional<std::string> FileStart(const std::string& path) {
  UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.Get() < 0) return std::nullopt;
  char buffer[kReadLimit];
  const ssize_t size = read(fd.Get(), buffer, sizeof buffer);
  if (size < 0) return std::nullopt;
  return std::string(buffer, static_cast<size_t>(size));
}

}  // namespace

std::string VolumeLabelFile(const std::string& root) {
  std::optional<std::string> text = FileStart(root + "/.windows-label");
  if (!text) return {};
  text->erase(text->find_last_not_of(" \r\n") + 1);
  return Utf8ToWindows1252(*text);
}

std::optional<DWORD> VolumeSerialFile(const std::string& root) {
  const std::optional<std::string> text = FileStart(root + "/.windows-serial");
  if (!text) return std::nullopt;
  // strtoul on a 64-bit Unix, then cut to the 32 bits Windows keeps.
  return static_cast<DWORD>(std::strtoull(text->substr(0, kReadLimit - 1).c_str(), nullptr, 16));
}

}  // namespace cdinst::posix
