// Unix objects that a Windows volume cannot hold: a FIFO, socket or device opens as no file,
// reads as no settings file, and is never waited on, nor opened at all.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "scratch_prefix.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

DWORD OpenError(const char* path, DWORD access, DWORD disposition) {
  const HANDLE handle = CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return GetLastError();
  CloseHandle(handle);
  return 0;
}

TEST(SpecialFilesTest, FifoAndDeviceAreRefusedLikeDirectories) {
  ScratchPrefix prefix;
  ASSERT_EQ(mkfifo(prefix.Unix("C:\\tubo.ini").c_str(), 0644), 0);
  std::filesystem::create_symlink("/dev/zero", prefix.Unix("C:\\zero.ini"));
  for (const char* path : {"C:\\tubo.ini", "C:\\zero.ini"}) {
    EXPECT_EQ(OpenError(path, GENERIC_READ, OPEN_EXISTING), ERROR_ACCESS_DENIED) << path;
    EXPECT_EQ(OpenError(path, GENERIC_WRITE, CREATE_ALWAYS), ERROR_ACCESS_DENIED) << path;
    char value[16];
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", "padrao", value, sizeof value, path), 6u);
    EXPECT_STREQ(value, "padrao");
  }
  struct stat info;
  ASSERT_EQ(stat(prefix.Unix("C:\\tubo.ini").c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));  // not replaced by a file
}

// The opens and closes of a node, as the program at its other end would notice them; the kernel
// queues each event within the call that causes it.
class OpenWatch {
 public:
  explicit OpenWatch(const std::string& unixPath) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    EXPECT_GE(inotify_add_watch(fd_, unixPath.c_str(), IN_OPEN | IN_CLOSE), 0) << unixPath;
  }
  ~OpenWatch() { close(fd_); }

  // The events since the last call, or'ed together.
  uint32_t Seen() const {
    alignas(inotify_event) char buffer[4096];
    uint32_t seen = 0;
    for (ssize_t got; (got = read(fd_, buffer, sizeof buffer)) > 0;) {
      for (ssize_t at = 0; at < got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        seen |= event->mask;
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    return seen;
  }

 private:
  int fd_;
};

// Each way a file is opened by name: its error, 0 when it opened (and was closed again).
struct Opener {
  const char* name;
  DWORD (*open)(const char* path);
  bool writes;
};

DWORD LopenError(const char* path) {
  const HFILE file = _lopen(path, OF_READ);
  if (file == HFILE_ERROR) return GetLastError();
  _lclose(file);
  return 0;
}

DWORD SettingsError(const char* path) {
  char value[16];
  GetPrivateProfileStringA("s", "k", "", value, sizeof value, path);
  return std::strcmp(value, "v") == 0 ? 0 : GetLastError();
}

constexpr Opener kOpeners[] = {
    {"_lopen", LopenError, false},
    {"read", [](const char* path) { return OpenError(path, GENERIC_READ, OPEN_EXISTING); }, false},
    {"query", [](const char* path) { return OpenError(path, 0, OPEN_EXISTING); }, false},
    {"overwrite", [](const char* path) { return OpenError(path, GENERIC_WRITE, CREATE_ALWAYS); },
     true},
    {"settings", SettingsError, false},
};

void MakeSocket(const std::string& unixPath) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(unixPath.size(), sizeof address.sun_path);
  unixPath.copy(address.sun_path, unixPath.size());
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  close(fd);
}

// Opening a FIFO for writing would release the process reading it; opening a device acts on it.
TEST(SpecialFilesTest, AreRefusedWithoutBeingOpened) {
  ScratchPrefix prefix;
  ASSERT_EQ(mkfifo(prefix.Unix("C:\\tubo.ini").c_str(), 0644), 0);
  const int reader = open(prefix.Unix("C:\\tubo.ini").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  std::filesystem::create_symlink("/dev/zero", prefix.Unix("C:\\zero.ini"));
  MakeSocket(prefix.Unix("C:\\tomada.ini"));
  for (const char* path : {"C:\\tubo.ini", "C:\\zero.ini", "C:\\tomada.ini"}) {
    const OpenWatch watch(prefix.Unix(path));
    for (const Opener& opener : kOpeners) {
      EXPECT_EQ(opener.open(path), DWORD{ERROR_ACCESS_DENIED}) << path << ", " << opener.name;
      EXPECT_EQ(watch.Seen(), 0u) << path << ", " << opener.name;
    }
  }
  close(reader);
}

TEST(SpecialFilesTest, FilesAreOpenedForWritingOnlyToWrite) {
  ScratchPrefix prefix;
  prefix.WriteFile("C:\\dados.ini", "");
  const OpenWatch watch(prefix.Unix("C:\\dados.ini"));
  for (const Opener& opener : kOpeners) {
    prefix.WriteFile("C:\\dados.ini", "[s]\nk=v\n");
    watch.Seen();
    EXPECT_EQ(opener.open("C:\\dados.ini"), 0u) << opener.name;
    EXPECT_EQ((watch.Seen() & IN_CLOSE_WRITE) != 0, opener.writes) << opener.name;
  }
}

}  // namespace
}  // namespace cdinst::testing
