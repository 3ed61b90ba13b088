// Unix objects that a Windows volume cannot hold: a FIFO or a device opens as no file, reads as
// no settings file, and is never waited on.
#include <gtest/gtest.h>
#include <sys/stat.h>

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

}  // namespace
}  // namespace cdinst::testing
