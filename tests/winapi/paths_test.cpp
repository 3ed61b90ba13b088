// How every path-taking call reads a Windows path: separators, folding, letter case, accented
// names, drives and the characters a name cannot hold.
#include <gtest/gtest.h>

#include <string>

#include "platform_checks.h"
#include "scratch_prefix.h"
#include "seam_helpers.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

class PathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    prefix_.WriteFile("C:\\t\\sub\\a.txt", "abc");
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\t"));
  }

  ScratchPrefix prefix_;
};

TEST_F(PathsTest, BackslashAndSlashBothSeparate) {
  EXPECT_EQ(0x20u, GetFileAttributesA("C:/t/sub/a.txt"));
  EXPECT_EQ(0x20u, GetFileAttributesA("C:\\t/sub\\\\a.txt"));
  if (!WineDepartsFromWindows("Wine reads a leading '/' as a Unix path")) {
    EXPECT_EQ(0x20u, GetFileAttributesA("/t/sub/a.txt"));  // root of the current drive
  }
  EXPECT_EQ(0x20u, GetFileAttributesA("\\t\\sub\\a.txt"));
  EXPECT_EQ(0x20u, GetFileAttributesA("sub/a.txt"));  // relative to C:\t
}

TEST_F(PathsTest, DotsFoldTextuallyAndNeverClimbAboveTheRoot) {
  EXPECT_EQ(0x20u, GetFileAttributesA("C:\\t\\missing\\..\\sub\\.\\a.txt"));
  EXPECT_EQ(0x20u, GetFileAttributesA("..\\..\\..\\t\\sub\\a.txt"));
  EXPECT_EQ(0x10u, GetFileAttributesA("C:\\..\\t") & 0x10u);
}

// One period ending a segment goes, and every period and blank ending the path.
TEST_F(PathsTest, TrailingPeriodsOfSegmentsAreDropped) {
  prefix_.WriteFile("C:\\t\\...\\f.txt", "x");
  constexpr DWORD kMissing = INVALID_FILE_ATTRIBUTES;
  const struct {
    const char* path;
    DWORD attributes;
  } cases[] = {
      {"C:\\t\\sub\\a.txt.", 0x20},
      {"C:\\t\\sub\\a.txt. . ", 0x20},
      {"C:\\t\\sub.\\a.txt", 0x20},
      {"C:\\t.\\sub.\\a.txt", 0x20},
      {"C:\\t\\sub.\\", 0x10},
      {"C:\\t\\sub..\\", kMissing},
      {"C:\\t\\sub..\\a.txt", kMissing},
      {"C:\\t\\sub \\a.txt", kMissing},
      {"C:\\t\\sub\\..\\sub.\\a.txt", 0x20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(c.attributes, GetFileAttributesA(c.path));
  }
  if (!WineDepartsFromWindows("Wine reads a segment \"...\" as \"..\"")) {
    EXPECT_EQ(0x20u, GetFileAttributesA("C:\\t\\...\\f.txt"));  // three periods are a name
  }
  ASSERT_TRUE(CreateDirectoryA("C:\\t\\made..", nullptr));
  ASSERT_TRUE(CreateDirectoryA("C:\\t\\made.\\in.", nullptr));
  EXPECT_TRUE(prefix_.Exists("C:\\t\\made\\in"));
  EXPECT_FALSE(prefix_.Exists("C:\\t\\made.."));
}

TEST_F(PathsTest, NamesAreFoundWhateverTheirLetterCaseAndCreatedAsGiven) {
  prefix_.MakeDirectory("C:\\Data\\Sub");
  EXPECT_EQ(0x10u, GetFileAttributesA("c:\\DATA\\sUB"));
  EXPECT_EQ(0x20u, GetFileAttributesA("C:\\T\\SUB\\A.TXT"));
  ASSERT_TRUE(CreateDirectoryA("c:\\data\\NewDir", nullptr));
  EXPECT_TRUE(prefix_.Exists("C:\\Data\\NewDir"));
  EXPECT_EQ(0x10u, GetFileAttributesA("C:\\DATA\\newdir"));
}

// Windows-1252 in the calls, UTF-8 on disk; accented letters fold too.
TEST_F(PathsTest, AccentedNamesAreWindows1252ForTheProgram) {
  prefix_.WriteFile("C:\\t\\caf\xE9.txt", "x");
  EXPECT_EQ(0x20u, GetFileAttributesA("C:\\t\\CAF\xC9.TXT"));
  ASSERT_TRUE(CreateDirectoryA("C:\\t\\Cr\xE8me \x80", nullptr));
  EXPECT_TRUE(prefix_.Exists("C:\\t\\Cr\xE8me \x80"));
  EXPECT_EQ(0x10u, GetFileAttributesA("C:\\t\\CR\xC8ME \x80"));
  const SearchResult found = Search("C:\\t\\*.txt");
  ASSERT_EQ(1u, found.entries.size());
  EXPECT_STREQ("caf\xE9.txt", found.entries[0].cFileName);
}

TEST_F(PathsTest, WildcardsAndReservedCharactersMakeAnInvalidName) {
  for (const char* bad : {"a<b", "a>b", "a|b", "a\"b", "a*b", "a?b", "a\x01"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(ERROR_INVALID_NAME, AttributesError(std::string("C:\\t\\") + bad));
    EXPECT_EQ(ERROR_INVALID_NAME, CreateDirectoryError(std::string("C:\\t\\") + bad));
  }
  EXPECT_EQ(ERROR_INVALID_NAME, AttributesError("C:\\t\\s?b\\a.txt"));
}

TEST_F(PathsTest, DrivesMappedInThePrefixAreReachedUnderTheirLetter) {
  prefix_.MapDrive('E');
  prefix_.WriteFile("E:\\dir\\f.txt", "12345");
  EXPECT_EQ(0x20u, GetFileAttributesA("E:\\dir\\f.txt"));
  EXPECT_EQ(0x20u, GetFileAttributesA("e:\\DIR\\F.TXT"));
  EXPECT_EQ(0x10u, GetFileAttributesA("D:\\") & 0x10u);
}

TEST_F(PathsTest, UnmappedDriveIsAMissingPath) {
  if (!WineDepartsFromWindows("Wine gives 2 for a name below an unmapped drive")) {
    EXPECT_EQ(ERROR_PATH_NOT_FOUND, AttributesError("Q:\\x"));
  }
  EXPECT_EQ(ERROR_PATH_NOT_FOUND, AttributesError("Q:\\"));
  EXPECT_EQ(ERROR_PATH_NOT_FOUND, ChangeDirectoryError("Q:\\"));
  EXPECT_EQ(ERROR_PATH_NOT_FOUND, ChangeDirectoryError("Q:"));
  EXPECT_EQ("C:\\t", CurrentDirectoryText());
}

TEST_F(PathsTest, DriveRelativeNamesFollowTheCurrentDirectoryOfThatDrive) {
  prefix_.WriteFile("D:\\PROGS\\setup.ini", "");
  EXPECT_EQ(0x20u, GetFileAttributesA("C:sub\\a.txt"));        // C: is the current drive
  EXPECT_EQ(0x20u, GetFileAttributesA("D:PROGS\\setup.ini"));  // D: starts at its root
  EXPECT_EQ(0x10u, GetFileAttributesA("C:"));
  EXPECT_EQ(0x20u, GetFileAttributesA("c:sub\\A.TXT"));
}

}  // namespace
}  // namespace cdinst::testing
