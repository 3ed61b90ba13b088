#include <gtest/gtest.h>

#include "codepage/windows1252.h"

namespace cdinst {
namespace {

// Registry strings and UTF-16 settings files reach the program as Windows-1252.
TEST(Utf16Test, ToWindows1252KeepsWhatItCanAndMarksTheRest) {
  struct Case {
    std::u16string text;
    std::string ansi;
  };
  const Case cases[] = {
      {u"A\u00E7\u00E3o", "A\xE7\xE3o"},
      {u"\u20AC\u0178\u0081", "\x80\x9F\x81"},  // an unassigned byte keeps its own value
      {u"\u0080\u4E2D", "??"},
      {u"a\U0001F600b", "a?b"},           // a pair is one character
      {std::u16string(u"\xD800x\0y", 4), std::string("?x\0y", 4)},
  };
  for (const Case& c : cases) EXPECT_EQ(Utf16ToWindows1252(c.text), c.ansi);
}

// Joliet names: a pair joined, a lone surrogate refused.
TEST(Utf16Test, ToUtf8JoinsPairsAndRefusesLoneSurrogates) {
  EXPECT_EQ(Utf16ToUtf8(u"A\u00E7\U0001F600"), "A\xC3\xA7\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf16ToUtf8(u"\xDC00"), std::nullopt);
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800') + u"x"), std::nullopt);
}

TEST(Utf16Test, BytesInEitherOrderAndAnOddLastByteDropped) {
  EXPECT_EQ(Utf16FromBytes(std::string("\x41\x00\xE7\x00\x01", 5), false), u"A\u00E7");
  EXPECT_EQ(Utf16FromBytes(std::string("\x00\x41\x20\xAC", 4), true), u"A\u20AC");
}

}  // namespace
}  // namespace cdinst
