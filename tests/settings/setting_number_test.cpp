#include "settings/setting_number.h"

#include <gtest/gtest.h>

namespace cdinst {
namespace {

TEST(SettingNumberTest, SpellingsOfThree) {
  for (const char* text : {"3", "03", "+3", "   3", "$3", "0x3", "0X03", "x3", "X3", " 0x3"}) {
    EXPECT_EQ(ConvertSettingNumber(text), 3) << text;
  }
}

TEST(SettingNumberTest, RejectedTexts) {
  for (const char* text : {"", "   ", "3 ", "\t3", "3a", "-", "+", "$", "0x", "x", "- 3", "-$3",
                           "+0x3", "3.0", "1e3", "0x1G"}) {
    EXPECT_EQ(ConvertSettingNumber(text), std::nullopt) << '"' << text << '"';
  }
}

TEST(SettingNumberTest, DecimalRange) {
  EXPECT_EQ(ConvertSettingNumber("2147483647"), 2147483647);
  EXPECT_EQ(ConvertSettingNumber("-2147483648"), INT32_MIN);
  EXPECT_EQ(ConvertSettingNumber("2147483648"), std::nullopt);
  EXPECT_EQ(ConvertSettingNumber("-2147483649"), std::nullopt);
  EXPECT_EQ(ConvertSettingNumber("00000000000000000000007"), 7);
}

TEST(SettingNumberTest, HexIsA32BitPattern) {
  EXPECT_EQ(ConvertSettingNumber("$FFFFFFFF"), -1);
  EXPECT_EQ(ConvertSettingNumber("0x80000000"), INT32_MIN);
  EXPECT_EQ(ConvertSettingNumber("$0000000000ff"), 255);
  EXPECT_EQ(ConvertSettingNumber("$100000000"), std::nullopt);
}

}  // namespace
}  // namespace cdinst
