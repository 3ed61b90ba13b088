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
