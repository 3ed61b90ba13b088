#include "platform/path_parts.h"

#include <gtest/gtest.h>

namespace cdinst {
namespace {

TEST(PathPartsTest, SplitsAtTheLastBackslashOrColon) {
  struct Case {
    const char* path;
    const char* directory;
    const char* name;
  };
  for (const Case& c :
       {Case{"C:\\AP\\FOO", "C:\\AP\\", "FOO"}, Case{"C:\\AP\\", "C:\\AP\\", ""},
        Case{"C:FOO", "C:", "FOO"}, Case{"FOO", "", "FOO"}, Case{"C:\\AP/FOO", "C:\\", "AP/FOO"},
        Case{"", "", ""}, Case{"\\\\srv\\share", "\\\\srv\\", "share"},
        Case{"D:\\Programas\\A\xE7\xE3o", "D:\\Programas\\", "A\xE7\xE3o"}}) {
    EXPECT_EQ(DirectoryPartOf(c.path), c.directory) << c.path;
    EXPECT_EQ(NamePartOf(c.path), c.name) << c.path;
  }
}

TEST(PathPartsTest, NulIsNeverADelimiter) {
  const std::string path("C:\\A\0B", 6);
  EXPECT_EQ(NamePartOf(path), std::string("A\0B", 3));
}

// Which paths count as full, as network paths or as starting with a drive.
TEST(PathPartsTest, KindsOfPath) {
  struct Case {
    const char* path;
    bool network;
    bool drive;
    bool full;
  };
  for (const Case& c : {Case{"\\\\srv\\share", true, false, true}, Case{"\\\\", true, false, true},
                        Case{"\\srv", false, false, false}, Case{"C:\\", false, true, true},
                        Case{"c:\\AP", false, true, true}, Case{"C:AP", false, true, false},
                        Case{"C:", false, true, false}, Case{"1:\\", false, true, false},
                        Case{"C:/AP", false, true, false}, Case{"AP", false, false, false},
                        Case{"", false, false, false}}) {
    EXPECT_EQ(IsNetworkPath(c.path), c.network) << c.path;
    EXPECT_EQ(StartsWithDrive(c.path), c.drive) << c.path;
    EXPECT_EQ(IsFullPath(c.path), c.full) << c.path;
  }
}

// The directory lists take any text after two backslashes for a share; the destination walk
// only a server and a share name, each ended by a backslash.
TEST(PathPartsTest, DriveAndShareRoots) {
  struct Case {
    const char* path;
    const char* drive;
    size_t shareRootLength;
  };
  for (const Case& c :
       {Case{"C:\\AP\\", "C:", 0}, Case{"C:AP", "C:", 0}, Case{"\\AP\\", "", 0}, Case{"AP", "", 0},
        Case{"\\\\srv\\share\\AP\\", "\\\\srv\\share", 12},
        Case{"\\\\srv\\share\\", "\\\\srv\\share", 12}, Case{"\\\\srv\\share", "\\\\srv\\share", 0},
        Case{"\\\\srv", "\\\\srv", 0}, Case{"\\\\srv\\\\AP\\", "\\\\srv\\", 0},
        Case{"\\\\\\AP\\", "\\\\\\AP", 0}}) {
    EXPECT_EQ(DrivePart(c.path), c.drive) << c.path;
    EXPECT_EQ(ShareRootLength(c.path), c.shareRootLength) << c.path;
  }
}

TEST(PathPartsTest, TrailingBackslash) {
  struct Case {
    const char* path;
    const char* with;
    const char* without;
  };
  for (const Case& c :
       {Case{"C:\\AP", "C:\\AP\\", "C:\\AP"}, Case{"C:\\AP\\", "C:\\AP\\", "C:\\AP"},
        Case{"C:\\", "C:\\", "C:"}, Case{"\\", "\\", ""}, Case{"", "", ""},
        Case{"C:\\AP\\\\", "C:\\AP\\\\", "C:\\AP\\"}}) {
    EXPECT_EQ(WithTrailingBackslash(c.path), c.with) << c.path;
    EXPECT_EQ(WithoutTrailingBackslash(c.path), c.without) << c.path;
  }
}

TEST(PathPartsTest, AtOrBelowGoesByTheTextAndWholeNames) {
  struct Case {
    const char* directory;
    const char* upper;
    bool below;
  };
  for (const Case& c : {Case{"C:\\A", "C:\\A", true}, Case{"C:\\A\\B", "C:\\A", true},
                        Case{"C:\\A\\B", "C:\\A\\", true}, Case{"C:\\A", "C:\\", true},
                        Case{"C:\\AB", "C:\\A", false}, Case{"C:\\A", "C:\\A\\B", false},
                        Case{"c:\\a\\B", "C:\\A", false}, Case{"D:\\A", "C:\\", false}}) {
    EXPECT_EQ(IsAtOrBelow(c.directory, c.upper), c.below) << c.directory << " " << c.upper;
  }
}

TEST(PathPartsTest, SamePathTextIgnoresLetterCaseButNotSpelling) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  };
  for (const Case& c : {Case{"D:\\Progs\\Editor", "d:\\PROGS\\EDITOR", true},
                        Case{"C:\\A\xC7\xC3O", "c:\\a\xE7\xE3o", true},
                        Case{"D:\\PROGS\\EDITOR\\", "D:\\PROGS\\EDITOR", false},
                        Case{"D:\\PROGS", "D:\\PROGA", false}, Case{"", "", true}}) {
    EXPECT_EQ(SamePathText(c.a, c.b), c.same) << c.a << " " << c.b;
  }
}

TEST(PathPartsTest, UpperCaseLetterTouchesOnlyAsciiLetters) {
  EXPECT_EQ(UpperCaseLetter('a'), 'A');
  EXPECT_EQ(UpperCaseLetter('z'), 'Z');
  EXPECT_EQ(UpperCaseLetter('Z'), 'Z');
  EXPECT_EQ(UpperCaseLetter('1'), '1');
  EXPECT_EQ(UpperCaseLetter('\xE7'), '\xE7');
  EXPECT_EQ(UpperCaseLetter('{'), '{');
}

}  // namespace
}  // namespace cdinst
