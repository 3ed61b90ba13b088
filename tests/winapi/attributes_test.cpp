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

// Wine keeps HIDDEN and SYSTEM beside the file; the search must report what is kept.
TEST_F(AttributesTest, HiddenAndSystemAreKeptForFilesAndDirectories) {
  const struct {
    const char* path;
    DWORD set;
    DWORD read;
  } cases[] = {
      {"C:\\t\\file.txt", FILE_ATTRIBUTE_HIDDEN, 0x22},
      {"C:\\t\\file.txt", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY, 0x25},
      {"C:\\t\\file.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, 0x26},
      {"C:\\t\\file.txt", FILE_ATTRIBUTE_NORMAL, 0x20},
      {"C:\\t\\sub", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY, 0x12},
      {"C:\\t\\sub", FILE_ATTRIBUTE_SYSTEM, 0x14},
      {"C:\\t\\sub", 0, 0x10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.path) + " set " + std::to_string(c.set));
    ASSERT_TRUE(SetFileAttributesA(c.path, c.set));
    EXPECT_EQ(c.read, GetFileAttributesA(c.path));
    const SearchResult found = Search(c.path);
    ASSERT_EQ(1u, found.entries.size());
    EXPECT_EQ(c.read, found.entries[0].dwFileAttributes);
  }
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
