#include "settings/parameter_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/install_settings.h"

namespace cdinst {
namespace {

std::vector<std::string> Parameters(std::string_view commandLine) {
  std::vector<std::string> parameters;
  const int count = CountParametersIn(commandLine);
  for (int n = 1; n <= count; ++n) parameters.push_back(ParameterIn(commandLine, n));
  return parameters;
}

using List = std::vector<std::string>;

TEST(ParameterTextTest, BlanksSeparateAndQuotesGroup) {
  EXPECT_EQ(Parameters("cdinst.exe \"Meu Jogo\" D:\\ XADREZ 1 *.*"),
            (List{"Meu Jogo", "D:\\", "XADREZ", "1", "*.*"}));
  EXPECT_EQ(Parameters("prog\ta \t  b\x01\x1f"
                       "c"),
            (List{"a", "b", "c"}));
  EXPECT_EQ(Parameters("  prog  "), List{});
}

TEST(ParameterTextTest, EmptyQuotedPairVanishesButAQuotedBlankCounts) {
  EXPECT_EQ(Parameters("prog a b c \"\" e"), (List{"a", "b", "c", "e"}));
  EXPECT_EQ(Parameters("prog \"\"\"\" x"), (List{"x"}));
  EXPECT_EQ(Parameters("prog \" \" x"), (List{" ", "x"}));
}

TEST(ParameterTextTest, QuoteInsideAWordOpensAStretch) {
  EXPECT_EQ(Parameters("prog C:\"Arquivos de programas\"\\ next"),
            (List{"C:Arquivos de programas\\", "next"}));
  EXPECT_EQ(Parameters("prog a\"\"b"), (List{"ab"}));
}

TEST(ParameterTextTest, UnclosedQuoteTakesTheRest) {
  EXPECT_EQ(Parameters("prog one \"two  three \tfour"), (List{"one", "two  three \tfour"}));
}

TEST(ParameterTextTest, BackslashIsOrdinaryAndHighBytesAreNotBlanks) {
  EXPECT_EQ(Parameters("prog \\\"x y\\\" \xA0\xE7"), (List{"\\x y\\", "\xA0\xE7"}));
}

TEST(ParameterTextTest, ProgramNameIsSplitByTheSameRule) {
  EXPECT_EQ(Parameters("\"C:\\Meu CD\\cdinst.exe\" a"), (List{"a"}));
  EXPECT_EQ(Parameters("\"C:\\Meu CD\\cdinst.exe a"), List{});
}

TEST(ParameterTextTest, FetchingPastTheLastGivesEmptyText) {
  EXPECT_EQ(ParameterIn("prog a b", 3), "");
  EXPECT_EQ(ParameterIn("prog a b", 2), "b");
}

TEST(ParameterTextTest, TextEndsAtItsNul) {
  EXPECT_EQ(Parameters(std::string_view("prog a\0b c", 10)), (List{"a"}));
}

TEST(ParameterTextTest, LongParameterIsCutAndTheNextStillFound) {
  const std::string longParameter(5000, 'x');
  const List parameters = Parameters("prog " + longParameter + " next");
  ASSERT_EQ(parameters.size(), 2u);
  EXPECT_EQ(parameters[0], std::string(kMaxParameterLength, 'x'));
  EXPECT_EQ(parameters[1], "next");
}

}  // namespace
}  // namespace cdinst
