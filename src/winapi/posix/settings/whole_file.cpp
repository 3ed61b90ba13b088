#include "winapi/posix/settings/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "winapi/posix/files/share_modes.h"
#include "winapi/posix/unique_fd.h"
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

// What stat(2) or fstat(2), returning `result`, said of a settings file: a directory, or a
// FIFO or device that may never end, is none.
DWORD KindError(int result, const struct stat& info) {
  if (result != 0) return ErrorFromErrno(errno);
  return S_ISREG(info.st_mode) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

}  // namespace

// The file is looked at before it is opened: an open would release a process waiting at a FIFO,
// or act on a device. It is opened non-blocking, and looked at again, in case a FIFO has taken
// its place meanwhile.
std::optional<std::string> ReadWholeFile(const std::string& unixPath, DWORD& error) {
  struct stat info;
  error = KindError(::stat(unixPath.c_str(), &info), info);
  if (error != ERROR_SUCCESS) return std::nullopt;
  const UniqueFd fd(::open(unixPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  error = fd.Valid() ? KindError(::fstat(fd.Get(), &info), info) : ErrorFromErrno(errno);
  if (error != ERROR_SUCCESS) return std::nullopt;
  error =
      CheckShareAccess(fd.Get(), GENERIC_READ, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
  if (error != ERROR_SUCCESS) return std::nullopt;
  std::string content;
  content.reserve(static_cast<size_t>(info.st_size));
  if (!ReadToEnd(fd.Get(), content)) {
    error = ErrorFromErrno(errno);
    return std::nullopt;
  }
  return content;
}

std::optional<std::string> ReadWholeDiscFile(const ResolvedPath& path, DWORD& error) {
  error = !path.exists                   ? ERROR_FILE_NOT_FOUND
          : path.disc->Entry().directory ? ERROR_ACCESS_DENIED
                                         : ERROR_SUCCESS;
  if (error != ERROR_SUCCESS) return std::nullopt;
  const DiscPlace& place = *path.disc;
  return ReadDisc(
      [&place] {
        std::string content;
        place.image->Read(place.Entry(), [&content](const char* data, size_t size) {
          content.append(data, size);
        });
        return content;
      },
      error);
}

}  // namespace cdinst::posix
