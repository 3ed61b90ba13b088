// GetFileAttributesA, SetFileAttributesA and CreateDirectoryA.
#include <gtest/gtest.h>

#include <string>

#include "scratch_prefix.h"
#include "seam_helpers.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

class AttributesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    prefix_.WriteFile("C:\\t\\file.txt", "x");
    prefix_.MakeDirectory("C:\\t\\sub");
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\t"));
  }

  ScratchPrefix prefix_;
};

TEST_F(AttributesTest, FilesAreArchiveAndDirectoriesDirectory) {
  EXPECT_EQ(0x20u, GetFileAttributesA("C:\\t\\file.txt"));
  EXPECT_EQ(0x10u, GetFileAttributesA("C:\\t\\sub"));
  EXPECT_EQ(0x10u, GetFileAttributesA("C:\\t\\sub\\"));
  EXPECT_EQ(0x10u, GetFileAttributesA("C:\\") & 0x11u);
}

TEST_F(AttributesTest, NamesStartingWithADotAreHidden) {
  prefix_.WriteFile("C:\\t\\.profile", "");
  prefix_.MakeDirectory("C:\\t\\.cache");
  EXPECT_EQ(0x22u, GetFileAttributesA("C:\\t\\.profile"));
  EXPECT_EQ(0x12u, GetFileAttributesA("C:\\t\\.cache"));
  EXPECT_EQ(0x10u, GetFileAttributesA("C:\\t\\.cache\\.."));
}

TEST_F(AttributesTest, ReadOnlyIsReadAndWritten) {
  prefix_.SetReadOnly("C:\\t\\file.txt", true);
  EXPECT_EQ(0x21u, GetFileAttributesA("C:\\t\\file.txt"));
  ASSERT_TRUE(SetFileAttributesA("C:\\t\\file.txt", FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(0x20u, GetFileAttributesA("C:\\t\\file.txt"));
  ASSERT_TRUE(SetFileAttributesA("FILE.TXT", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(0x21u, GetFileAttributesA("C:\\t\\file.txt"));
  ASSERT_TRUE(SetFileAttributesA("C:\\t\\file.txt", 0));
  EXPECT_EQ(0x20u, GetFileAttributesA("C:\\t\\file.txt"));
}

TEST_F(AttributesTest, MissingNamesAndPaths) {
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, AttributesError("C:\\t\\missing.txt"));
  EXPECT_EQ(ERROR_PATH_NOT_FOUND, AttributesError("C:\\t\\missing\\x.txt"));
  EXPECT_EQ(ERROR_PATH_NOT_FOUND, AttributesError(""));
  EXPECT_EQ(ERROR_INVALID_NAME, AttributesError("C:\\t\\*.txt"));
  EXPECT_FALSE(SetFileAttributesA("C:\\t\\missing.txt", FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, GetLastError());
  EXPECT_FALSE(SetFileAttributesA("C:\\t\\missing\\x.txt", FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(ERROR_PATH_NOT_FOUND, GetLastError());
}

TEST_F(AttributesTest, CreateDirectoryMakesOneNewDirectory) {
  ASSERT_TRUE(CreateDirectoryA("C:\\t\\new", nullptr));
  EXPECT_EQ(0x10u, GetFileAttributesA("C:\\t\\new"));
  ASSERT_TRUE(CreateDirectoryA("relative", nullptr));
  EXPECT_TRUE(prefix_.Exists("C:\\t\\relative"));
  ASSERT_TRUE(CreateDirectoryA("C:\\t\\slash\\", nullptr));
  EXPECT_TRUE(prefix_.Exists("C:\\t\\slash"));
}

TEST_F(AttributesTest, CreateDirectoryRefusesWhatExistsOrCannotBe) {
  EXPECT_EQ(ERROR_ALREADY_EXISTS, CreateDirectoryError("C:\\t\\sub"));
  EXPECT_EQ(ERROR_ALREADY_EXISTS, CreateDirectoryError("C:\\T\\SUB"));
  EXPECT_EQ(ERROR_ALREADY_EXISTS, CreateDirectoryError("C:\\t\\file.txt"));
  EXPECT_EQ(ERROR_ALREADY_EXISTS, CreateDirectoryError("C:\\"));
  EXPECT_EQ(ERROR_ALREADY_EXISTS, CreateDirectoryError("."));
  EXPECT_EQ(ERROR_PATH_NOT_FOUND, CreateDirectoryError("C:\\t\\missing\\new"));
  EXPECT_EQ(ERROR_PATH_NOT_FOUND, CreateDirectoryError("C:\\t\\file.txt\\new"));
  EXPECT_EQ(ERROR_INVALID_NAME, CreateDirectoryError("C:\\t\\n?w"));
  EXPECT_EQ(ERROR_INVALID_NAME, CreateDirectoryError("C:\\t\\n*w"));
  EXPECT_FALSE(prefix_.Exists("C:\\t\\missing"));
}

}  // namespace
}  // namespace cdinst::testing
