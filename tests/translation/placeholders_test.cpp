#include "translation/placeholders.h"

#include <gtest/gtest.h>

namespace cdinst {
namespace {

TEST(PlaceholdersTest, ValuesGoWhereTheMessagePutsThemAndAreNeverReadAgain) {
  struct Case {
    const char* message;
    std::initializer_list<std::string_view> values;
    const char* filled;
  };
  const Case cases[] = {
      {"no program {1} on the medium", {"\"A\""}, "no program \"A\" on the medium"},
      {"{2} before {1}, {2} again", {"one", "two"}, "two before one, two again"},
      // A value from the medium that looks like a placeholder, or a printf format, stays text.
      {"{1}: {2}", {"{2}%s%n", "x"}, "{2}%s%n: x"},
      {"{3} {0} {1 {} {x}", {"a", "b"}, "{3} {0} {1 {} {x}"},
      {"ends in {", {"a"}, "ends in {"},
      {"ends in {1", {"a"}, "ends in {1"},
      {"{1}{1}", {""}, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Filled(c.message, c.values), c.filled) << c.message;
}

}  // namespace
}  // namespace cdinst
