// GetShortPathNameA and the short names searches report: Wine's hashed 8.3 names.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform_checks.h"
#include "scratch_prefix.h"
#include "seam_helpers.h"
#include "winapi/winapi.h"

namespace cdinst::testing {
namespace {

class ShortNamesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SetCurrentDirectoryA("C:\\")); }

  static std::string ShortPath(const std::string& path) {
    char buffer[MAX_PATH];
    const DWORD length = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(buffer, length) : "(failed)";
  }

  ScratchPrefix prefix_;
};

struct Example {
  const char* longName;
  const char* shortName;
  bool directory;
};

TEST_F(ShortNamesTest, LongNamesGetWinesHashedNames) {
  const Example examples[] = {{"Program Files", "PROG~FBU", true},
                              {"Program Files (x86)", "PROG~5P2", true},
                              {"Common Files", "COMM~CP1", true},
                              {"Arquivos de programas", "ARQU~RXK", true},
                              {"Xadrez 3D", "XADR~JSK", true},
                              {".hidden", "_HID~45N", true},
                              {"Long File Name.txt", "LONG~5R1.TXT", false},
                              {"page.html", "PAGE~DPA.HTM", false},
                              {"a.b.txt", "A_B~~201.TXT", false}};
  for (const Example& example : examples) {
    SCOPED_TRACE(example.longName);
    const std::string path = std::string("C:\\") + example.longName;
    if (example.directory) {
      prefix_.MakeDirectory(path);
    } else {
      prefix_.WriteFile(path, "");
    }
    EXPECT_EQ(std::string("C:\\") + example.shortName, ShortPath(path));
    const SearchResult found = Search(path);
    ASSERT_EQ(1u, found.entries.size());
    EXPECT_STREQ(example.shortName, found.entries[0].cAlternateFileName);
    EXPECT_STREQ(example.longName, found.entries[0].cFileName);
  }
}

// Only names that are not already 8.3 get one; blanks, '+' and accented letters become '_'.
TEST_F(ShortNamesTest, WhichNamesGetAShortName) {
  const struct {
    const char* name;
    const char* alternate;
  } cases[] = {{"README.TXT", ""},
               {"lower.txt", ""},
               {"abcdefgh", ""},
               {"A~1.b", ""},
               {"abcdefghi", "ABCD~GDH"},
               {"a.b.c", "A_B~~54C.C"},
               {"abc.defg", "ABC~~AWO.DEF"},
               {"a b.txt", "A_B~~QSV.TXT"},
               {"x+y", "X_Y~~BY1"},
               {"Cr\xE8me.doc", "CR_M~BI2.DOC"}};
  for (const auto& example : cases) {
    SCOPED_TRACE(example.name);
    prefix_.WriteFile(std::string("C:\\") + example.name, "");
    const SearchResult found = Search(std::string("C:\\") + example.name);
    ASSERT_EQ(1u, found.entries.size());
    EXPECT_STREQ(example.alternate, found.entries[0].cAlternateFileName);
  }
}

TEST_F(ShortNamesTest, LegalNamesStayAndTheRestOfThePathIsKept) {
  prefix_.MakeDirectory("C:\\t\\abc");
  prefix_.MakeDirectory("C:\\Program Files\\Editor");
  EXPECT_EQ("C:\\t\\abc", ShortPath("C:\\t\\abc"));
  if (!WineDepartsFromWindows("Wine spells legal names as the disk does")) {
    EXPECT_EQ("c:\\T\\ABC", ShortPath("c:\\T\\ABC"));
  }
  EXPECT_EQ("C:\\PROG~FBU\\", ShortPath("C:\\Program Files\\"));
  EXPECT_EQ("c:\\PROG~FBU\\Editor", ShortPath("c:\\program files\\Editor"));
  EXPECT_EQ("PROG~FBU\\Editor", ShortPath("Program Files\\Editor"));
}

TEST_F(ShortNamesTest, ShortNamesNameTheSameFile) {
  prefix_.MakeDirectory("C:\\Program Files\\Editor");
  EXPECT_EQ(0x10u, GetFileAttributesA("C:\\PROG~FBU\\Editor"));
  EXPECT_EQ(0x10u, GetFileAttributesA("c:\\prog~fbu"));
}

TEST_F(ShortNamesTest, MissingPathsAndEmptyText) {
  prefix_.MakeDirectory("C:\\t");
  char buffer[MAX_PATH] = "unchanged";
  EXPECT_EQ(0u, GetShortPathNameA("C:\\t\\missing", buffer, MAX_PATH));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, GetLastError());
  EXPECT_EQ(0u, GetShortPathNameA("", buffer, MAX_PATH));
  EXPECT_EQ(ERROR_BAD_PATHNAME, GetLastError());
}

TEST_F(ShortNamesTest, BufferRules) {
  prefix_.MakeDirectory("C:\\Program Files");
  prefix_.MakeDirectory("C:\\t\\abc");
  for (DWORD size : {5u, 8u, 9u}) {
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(12u, GetShortPathNameA("C:\\Program Files", buffer, size));
    EXPECT_EQ('#', buffer[0]);
  }
  char exact[9];
  EXPECT_EQ(8u, GetShortPathNameA("C:\\t\\abc", exact, sizeof exact));
  EXPECT_STREQ("C:\\t\\abc", exact);
  char shared[MAX_PATH] = "C:\\Program Files";
  EXPECT_EQ(11u, GetShortPathNameA(shared, shared, MAX_PATH));
  EXPECT_STREQ("C:\\PROG~FBU", shared);
}

}  // namespace
}  // namespace cdinst::testing
