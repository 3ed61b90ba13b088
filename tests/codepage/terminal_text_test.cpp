#include <gtest/gtest.h>

#include "codepage/windows1252.h"

namespace cdinst {
namespace {

TEST(TerminalTextTest, ControlsAndMalformedBytesBecomeQuestionMarks) {
  struct Case {
    const char* text;
    bool keepLineFeeds;
    const char* shown;
  };
  const Case cases[] = {
      {"Instala\xC3\xA7\xC3\xA3o \xE2\x82\xAC", false, "Instala\xC3\xA7\xC3\xA3o \xE2\x82\xAC"},
      {"\x1b]0;t\x07\x1b[2J", false, "?]0;t??[2J"},
      {"a\tb\rc\nd\x7f", false, "a?b?c?d?"},
      {"a\r\nb\n", true, "a?\nb\n"},
      {"\xC2\x9B"
       "31m\xC2\x85\xC2\xA0",
       false, "?31m?\xC2\xA0"},  // C1 controls, NBSP kept
      {"\x9B"
       "31m\xE2\x82",
       false, "?31m??"},  // malformed, cut
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TerminalText(c.text, c.keepLineFeeds), c.shown) << c.text;
  }
}

}  // namespace
}  // namespace cdinst
