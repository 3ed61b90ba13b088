#include "winapi/posix/settings/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "winapi/posix/files/share_modes.h"
#include "winapi/posix/files/unique_fd.h"
#include "winapi/posix/last_error.h"

namespace cdinst::posix {
namespace {

// Appends everything left in `fd` to `out`; false with errno set on a read error.
bool ReadToEnd(int fd, std::string& out) {
  char chunk[65536];
  for (;;) {
    const ssize_t count = ::read(fd, chunk, sizeof chunk);
    if (count == 0) return true;
    if (count < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    out.append(chunk, static_cast<size_t>(count));
  }
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& unixPath, DWORD& error) {
  // Non-blocking: a FIFO must not wait for a writer before it is refused below.
  const UniqueFd fd(::open(unixPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat info;
  if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0) {
    error = ErrorFromErrno(errno);
    return std::nullopt;
  }
  if (!S_ISREG(info.st_mode)) {  // a directory, or a FIFO or device that may never end
    error = ERROR_ACCESS_DENIED;
    return std::nullopt;
  }
  error = AdmitOpen(fd.Get(), GENERIC_READ, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
  if (error != ERROR_SUCCESS) return std::nullopt;
  std::string content;
  content.reserve(static_cast<size_t>(info.st_size));
  if (!ReadToEnd(fd.Get(), content)) {
    error = ErrorFromErrno(errno);
    return std::nullopt;
  }
  return content;
}

}  // namespace cdinst::posix
