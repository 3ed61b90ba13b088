// SetCurrentDirectoryA and GetCurrentDirectoryA: one current directory for the process.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "scratch_prefix.h"
#include "seam_helpers.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

class CurrentDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    prefix_.MakeDirectory("C:\\t\\sub");
    prefix_.WriteFile("C:\\t\\file.txt", "x");
    prefix_.MakeDirectory("D:\\PROGS\\EDITOR");
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\t"));
  }

  ScratchPrefix prefix_;
};

TEST_F(CurrentDirectoryTest, ReadsBackAsGivenWithoutTrailingBackslash) {
  ASSERT_TRUE(SetCurrentDirectoryA("c:\\T\\SUB"));
  EXPECT_EQ("c:\\T\\SUB", CurrentDirectoryText());
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\t\\sub\\\\"));
  EXPECT_EQ("C:\\t\\sub", CurrentDirectoryText());
  ASSERT_TRUE(SetCurrentDirectoryA("D:\\"));
  EXPECT_EQ("D:\\", CurrentDirectoryText());
  ASSERT_TRUE(SetCurrentDirectoryA("C:/t/./sub/../sub"));
  EXPECT_EQ("C:\\t\\sub", CurrentDirectoryText());
}

TEST_F(CurrentDirectoryTest, RelativeNamesContinueTheCurrentDirectory) {
  ASSERT_TRUE(SetCurrentDirectoryA("sub"));
  EXPECT_EQ("C:\\t\\sub", CurrentDirectoryText());
  ASSERT_TRUE(SetCurrentDirectoryA(".."));
  EXPECT_EQ("C:\\t", CurrentDirectoryText());
  ASSERT_TRUE(SetCurrentDirectoryA("\\"));
  EXPECT_EQ("C:\\", CurrentDirectoryText());
  ASSERT_TRUE(SetCurrentDirectoryA(".."));
  EXPECT_EQ("C:\\", CurrentDirectoryText());
}

// Only the current directory's own drive remembers a directory; another drive starts at its
// root.
TEST_F(CurrentDirectoryTest, DriveLetterAloneMeansThatDrivesCurrentDirectory) {
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\t\\sub"));
  ASSERT_TRUE(SetCurrentDirectoryA("C:"));
  EXPECT_EQ("C:\\t\\sub", CurrentDirectoryText());
  ASSERT_TRUE(SetCurrentDirectoryA("D:"));
  EXPECT_EQ("D:\\", CurrentDirectoryText());
  ASSERT_TRUE(SetCurrentDirectoryA("D:PROGS"));
  EXPECT_EQ("D:\\PROGS", CurrentDirectoryText());
  ASSERT_TRUE(SetCurrentDirectoryA("D:EDITOR"));
  EXPECT_EQ("D:\\PROGS\\EDITOR", CurrentDirectoryText());
  ASSERT_TRUE(SetCurrentDirectoryA("\\PROGS"));
  EXPECT_EQ("D:\\PROGS", CurrentDirectoryText());
  ASSERT_TRUE(SetCurrentDirectoryA("C:t"));
  EXPECT_EQ("C:\\t", CurrentDirectoryText());
}

TEST_F(CurrentDirectoryTest, FailuresReportTheirCodeAndChangeNothing) {
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, ChangeDirectoryError("C:\\t\\missing"));
  EXPECT_EQ(ERROR_PATH_NOT_FOUND, ChangeDirectoryError("C:\\missing\\sub"));
  EXPECT_EQ(ERROR_PATH_NOT_FOUND, ChangeDirectoryError("C:\\t\\file.txt\\sub"));
  EXPECT_EQ(ERROR_DIRECTORY, ChangeDirectoryError("C:\\t\\file.txt"));
  EXPECT_EQ(ERROR_INVALID_NAME, ChangeDirectoryError(""));
  EXPECT_EQ(ERROR_INVALID_NAME, ChangeDirectoryError("C:\\t\\s*"));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, ChangeDirectoryError("missing"));
  EXPECT_EQ("C:\\t", CurrentDirectoryText());
}

TEST_F(CurrentDirectoryTest, AccentedNamesReadBackInWindows1252) {
  prefix_.MakeDirectory("C:\\Cr\xE8me");
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\CR\xC8ME"));
  EXPECT_EQ("C:\\CR\xC8ME", CurrentDirectoryText());
  EXPECT_EQ(0x10u, GetFileAttributesA("."));
}

// Too small a buffer gets nothing and learns the size needed, terminator included.
TEST_F(CurrentDirectoryTest, BufferTooSmallReturnsTheSizeNeeded) {
  char buffer[8];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(5u, GetCurrentDirectoryA(0, nullptr));
  EXPECT_EQ(5u, GetCurrentDirectoryA(4, buffer));
  EXPECT_EQ('#', buffer[0]);
  EXPECT_EQ(4u, GetCurrentDirectoryA(5, buffer));
  EXPECT_STREQ("C:\\t", buffer);
}

}  // namespace
}  // namespace cdinst::testing
