// FindFirstFileA, FindNextFileA and FindClose: patterns, entries and codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform_checks.h"
#include "scratch_prefix.h"
#include "seam_helpers.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

using Names = std::vector<std::string>;

class FindTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"ab", "abc", "abc.t", "abc.txt", "abcd.t", "x.t", "a.b.txt",
                             "abc.TXT.bak", "noext", "page.html", "x.txtx"}) {
      prefix_.WriteFile(std::string("C:\\f\\") + name, "12345");
    }
    prefix_.MakeDirectory("C:\\f\\sub");
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\f"));
  }

  // The names a pattern finds, "." and ".." left out, in sorted order.
  static Names Found(const std::string& pattern) {
    Names names;
    for (const std::string& name : Search(pattern).Names()) {
      if (name != "." && name != "..") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  ScratchPrefix prefix_;
};

TEST_F(FindTest, StarDotStarMatchesEveryNameWithOrWithoutDot) {
  EXPECT_EQ((Names{"a.b.txt", "ab", "abc", "abc.TXT.bak", "abc.t", "abc.txt", "abcd.t", "noext",
                   "page.html", "sub", "x.t", "x.txtx"}),
            Found("*.*"));
  EXPECT_EQ(Found("*.*"), Found("*"));
}

TEST_F(FindTest, WindowsPatternRewritingExamples) {
  EXPECT_EQ((Names{"abc.TXT.bak"}), Found("*.bak"));
  if (WineDepartsFromWindows("Wine matches '?', '*' and a final '.' literally")) return;
  EXPECT_EQ((Names{"ab", "abc", "noext", "sub"}), Found("*."));
  EXPECT_EQ((Names{"ab", "abc"}), Found("ab?"));
  EXPECT_EQ((Names{"abc", "abc.t", "abc.txt"}), Found("abc.???"));
  EXPECT_EQ((Names{"abc.t", "abcd.t", "x.t"}), Found("*.t?"));
  EXPECT_EQ((Names{"ab", "abc", "sub"}), Found("????"));
}

// "*.txt" also sees the short names: X~~~~1VP.TXT stands for x.txtx.
TEST_F(FindTest, ExtensionPatternsIgnoreCaseAndMatchShortNamesToo) {
  EXPECT_EQ((Names{"a.b.txt", "abc.txt", "x.txtx"}), Found("*.TXT"));
  EXPECT_EQ((Names{"page.html"}), Found("*.htm"));
  EXPECT_EQ((Names{"a.b.txt", "abc.txt", "x.txtx"}), Found("C:\\F\\*.txt"));
}

TEST_F(FindTest, DotEntriesComeFirstExceptAtADriveRoot) {
  const Names inDirectory = Search("C:\\f\\*").Names();
  ASSERT_GE(inDirectory.size(), 2u);
  EXPECT_EQ(".", inDirectory[0]);
  EXPECT_EQ("..", inDirectory[1]);
  EXPECT_EQ(0x10u, Search("*").entries[1].dwFileAttributes & 0x10u);
  const Names atRoot = Search("C:\\*").Names();
  EXPECT_EQ(atRoot.end(), std::find(atRoot.begin(), atRoot.end(), "."));
  EXPECT_EQ(atRoot.end(), std::find(atRoot.begin(), atRoot.end(), ".."));
  EXPECT_NE(atRoot.end(), std::find(atRoot.begin(), atRoot.end(), "f"));
}

TEST_F(FindTest, NameWithoutWildcardsFindsThatOneEntry) {
  SearchResult file = Search("C:\\f\\ABC.TXT");
  ASSERT_EQ(1u, file.entries.size());
  EXPECT_STREQ("abc.txt", file.entries[0].cFileName);
  EXPECT_EQ(ERROR_NO_MORE_FILES, file.error);
  SearchResult directory = Search("sub");
  ASSERT_EQ(1u, directory.entries.size());
  EXPECT_STREQ("sub", directory.entries[0].cFileName);
  EXPECT_EQ(0x10u, directory.entries[0].dwFileAttributes);
}

TEST_F(FindTest, EntriesCarryAttributesSizesNamesAndTimes) {
  prefix_.SetReadOnly("C:\\f\\abc.txt", true);
  prefix_.WriteFile("C:\\f\\.hidden", "");
  const SearchResult file = Search("C:\\f\\abc.txt");
  ASSERT_EQ(1u, file.entries.size());
  const WIN32_FIND_DATAA& data = file.entries[0];
  EXPECT_EQ(0x21u, data.dwFileAttributes);
  EXPECT_EQ(5u, data.nFileSizeLow);
  EXPECT_EQ(0u, data.nFileSizeHigh);
  EXPECT_STREQ("", data.cAlternateFileName);
  EXPECT_EQ(0x22u, Search("C:\\f\\.hidden").entries.at(0).dwFileAttributes);
  EXPECT_STREQ("PAGE~DPA.HTM", Search("page.html").entries.at(0).cAlternateFileName);

  // Written moments ago: the time is a DOS date well after 1980.
  WORD date = 0, time = 0;
  ASSERT_TRUE(FileTimeToDosDateTime(&data.ftLastWriteTime, &date, &time));
  EXPECT_GE(1980 + (date >> 9), 2020);
}

TEST_F(FindTest, FailuresReportTheirCode) {
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, Search("C:\\f\\*.zzz").error);
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, Search("C:\\f\\missing.txt").error);
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, Search("C:\\").error);
  EXPECT_EQ(ERROR_PATH_NOT_FOUND, Search("C:\\missing\\*.*").error);
  EXPECT_EQ(ERROR_PATH_NOT_FOUND, Search("missing\\bar.txt").error);
  if (!WineDepartsFromWindows("Wine gives 2 for a missing directory with a trailing backslash")) {
    EXPECT_EQ(ERROR_PATH_NOT_FOUND, Search("C:\\missing\\").error);
  }
}

TEST_F(FindTest, SearchEndsWithNoMoreFilesAndClosesOnce) {
  WIN32_FIND_DATAA data;
  const HANDLE search = FindFirstFileA("C:\\f\\x.t*", &data);
  ASSERT_NE(INVALID_HANDLE_VALUE, search);
  EXPECT_STREQ("x.t", data.cFileName);
  ASSERT_TRUE(FindNextFileA(search, &data));
  EXPECT_STREQ("x.txtx", data.cFileName);
  EXPECT_FALSE(FindNextFileA(search, &data));
  EXPECT_EQ(ERROR_NO_MORE_FILES, GetLastError());
  EXPECT_FALSE(FindNextFileA(search, &data));
  EXPECT_EQ(ERROR_NO_MORE_FILES, GetLastError());
  EXPECT_TRUE(FindClose(search));
}

}  // namespace
}  // namespace cdinst::testing
