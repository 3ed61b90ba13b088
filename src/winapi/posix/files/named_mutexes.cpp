// CreateMutexA, for what a program can learn of a named mutex without waiting on it: whether
// another process holds one of that name. A named mutex is a handle of the handle table, as on
// Windows, so that CloseHandle lets it go.
//
// The name is held as the address of an abstract Unix socket, which the kernel lets go with the
// last descriptor, when the process ends however it ends, and which leaves no file anywhere. The
// address is made of the user, the prefix (Windows names objects per session; a prefix is a
// machine of its own) and the mutex's name, hashed.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "winapi/posix/call_count.h"
#include "winapi/posix/files/file_handles.h"
#include "winapi/posix/last_error.h"
#include "winapi/posix/paths/prefix.h"
#include "winapi/posix/unique_fd.h"

namespace {

// FNV-1a, 64 bits: the address holds at most 107 bytes, a name up to MAX_PATH.
uint64_t Hash(const std::string& text) {
  uint64_t hash = 0xcbf29ce484222325u;
  for (const unsigned char c : text) hash = (hash ^ c) * 0x100000001b3u;
  return hash;
}

sockaddr_un AddressOf(const std::string& name) {
  char text[64];
  const int length = std::snprintf(
      text, sizeof text, "cdinst-mutex/%u/%016llx", static_cast<unsigned>(getuid()),
      static_cast<unsigned long long>(Hash(cdinst::posix::PrefixDirectory() + '\0' + name)));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path + 1, text, static_cast<size_t>(length));  // [0] is NUL: abstract
  return address;
}

}  // namespace

HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR name) {
  const cdinst::posix::WindowsCall call;
  using namespace cdinst::posix;
  if (name == nullptr || *name == '\0') return FailWith(HANDLE{}, ERROR_NOT_SUPPORTED);
  UniqueFd fd(socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  if (!fd.Valid()) return FailWithErrno(HANDLE{});
  const sockaddr_un address = AddressOf(name);
  const socklen_t size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 +
                                                std::strlen(address.sun_path + 1));
  const bool taken = bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), size) != 0;
  if (taken && errno != EADDRINUSE) return FailWithErrno(HANDLE{});
  auto object = std::make_unique<OpenFile>();
  object->fd = std::move(fd);
  object->directory = true;  // no bytes to read, write or keep coherent
  const HANDLE handle = AddOpenFile(std::move(object), true);
  SetLastError(taken ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}
