// DeleteFileA and RemoveDirectoryA, and that later calls no longer find what was removed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scoped_handle.h"
#include "scratch_prefix.h"
#include "seam_helpers.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

DWORD DeleteError(const std::string& path) {
  return DeleteFileA(path.c_str()) ? 0 : GetLastError();
}
DWORD RemoveError(const std::string& path) {
  return RemoveDirectoryA(path.c_str()) ? 0 : GetLastError();
}

class RemovalsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    prefix_.WriteFile("C:\\t\\file.txt", "x");
    prefix_.WriteFile("C:\\t\\full\\inside.txt", "x");
    prefix_.MakeDirectory("C:\\t\\sub\\deeper");
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\t"));
  }

  ScratchPrefix prefix_;
};

// Every way the emulation could have kept the names asks again: the spelling, another letter
// case, a listing, a directory once entered.
TEST_F(RemovalsTest, RemovedEntriesAreGoneForEveryLaterCall) {
  ASSERT_EQ(3u, Search("C:\\t\\sub\\*").entries.size());
  ASSERT_EQ(0x20u, GetFileAttributesA("C:\\T\\FILE.TXT"));
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\t\\sub\\deeper"));
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\t"));

  EXPECT_EQ(0u, DeleteError("FILE.TXT"));
  EXPECT_EQ(0u, RemoveError("C:\\t\\sub\\deeper"));
  EXPECT_EQ(0u, RemoveError("C:\\T\\SUB\\"));
  for (const char* path : {"C:\\t\\file.txt", "C:\\T\\FILE.TXT", "C:\\t\\sub", "C:\\T\\SUB"}) {
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, AttributesError(path)) << path;
  }
  EXPECT_EQ(ERROR_PATH_NOT_FOUND, ChangeDirectoryError("C:\\t\\sub\\deeper"));
  EXPECT_EQ((std::vector<std::string>{".", "..", "full"}), Search("C:\\t\\*").Names());
  EXPECT_FALSE(prefix_.Exists("C:\\t\\file.txt"));
  EXPECT_FALSE(prefix_.Exists("C:\\t\\sub"));

  EXPECT_EQ(0u, CreateDirectoryError("C:\\t\\sub"));
  ScopedHandle made(OpenForTest("C:\\t\\file.txt", GENERIC_WRITE, 0, CREATE_NEW));
  EXPECT_TRUE(made.Valid());
}

// The read-only file, the open one and the current directory are set up below; every refusal
// leaves everything in place.
TEST_F(RemovalsTest, RefusalsGiveWindowsCodesAndRemoveNothing) {
  using Call = DWORD (*)(const std::string&);
  const struct {
    Call call;
    const char* path;
    DWORD code;
  } refusals[] = {
      {DeleteError, "C:\\t\\missing.txt", ERROR_FILE_NOT_FOUND},
      {DeleteError, "C:\\t\\missing\\x.txt", ERROR_PATH_NOT_FOUND},
      {DeleteError, "C:\\t\\sub", ERROR_ACCESS_DENIED},
      {DeleteError, "C:\\t\\full\\inside.txt", ERROR_SHARING_VIOLATION},
      {DeleteError, "C:\\t\\file.txt", ERROR_ACCESS_DENIED},  // read-only, also for root
      {RemoveError, "C:\\t\\full", ERROR_DIR_NOT_EMPTY},
      {RemoveError, "C:\\t", ERROR_DIR_NOT_EMPTY},  // above the current directory
      {RemoveError, "C:\\t\\file.txt", ERROR_DIRECTORY},
      {RemoveError, "C:\\t\\missing", ERROR_FILE_NOT_FOUND},
      {RemoveError, "C:\\t\\missing\\x", ERROR_PATH_NOT_FOUND},
      {RemoveError, "C:\\t\\sub\\deeper", ERROR_SHARING_VIOLATION},  // the current directory
      {RemoveError, "C:\\t\\kept", ERROR_SHARING_VIOLATION},  // open without sharing deletion
  };
  prefix_.SetReadOnly("C:\\t\\file.txt", true);
  ScopedHandle held(OpenForTest("C:\\t\\full\\inside.txt", GENERIC_READ, FILE_SHARE_READ));
  ASSERT_TRUE(held.Valid());
  prefix_.MakeDirectory("C:\\t\\kept");
  ScopedHandle kept(CreateFileA("C:\\t\\kept", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  ASSERT_TRUE(kept.Valid());
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\t\\sub\\deeper"));
  for (const auto& refusal : refusals)
    EXPECT_EQ(refusal.code, refusal.call(refusal.path)) << refusal.path;
  for (const char* path :
       {"C:\\t\\file.txt", "C:\\t\\full\\inside.txt", "C:\\t\\sub\\deeper", "C:\\t\\kept"}) {
    EXPECT_TRUE(prefix_.Exists(path)) << path;
  }
  kept.Close();
  EXPECT_EQ(0u, RemoveError("C:\\t\\kept"));
  ASSERT_TRUE(SetFileAttributesA("C:\\t\\file.txt", FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(0u, DeleteError("C:\\t\\file.txt"));
  held.Close();
  EXPECT_EQ(0u, DeleteError("C:\\t\\full\\inside.txt"));
}

}  // namespace
}  // namespace cdinst::testing
