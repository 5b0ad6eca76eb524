#include "model/text_fields.h"

#include <gtest/gtest.h>

#include "platform/encoding.h"

namespace tessaly::model {
namespace {

TEST(FieldAt, FieldExistsOnlyWhenASeparatorFollows) {
  EXPECT_EQ(FieldAt("a|b|c", '|', 3), "");
  EXPECT_EQ(FieldAt("a|b|c|", '|', 3), "c");
  EXPECT_EQ(FieldAt("a||c|", '|', 2), "");
  EXPECT_EQ(FieldAt("a|b|", '|', 1), "a");
  EXPECT_EQ(FieldAt("a|b|", '|', 0), "");
  EXPECT_EQ(FieldAt("a|b|", '|', -1), "");
  EXPECT_EQ(FieldAt("", '|', 1), "");
  EXPECT_EQ(CountChar("a|b|c|", '|'), 3);
  EXPECT_EQ(CountChar("", '|'), 0);
}

TEST(FieldAt, TrailByteOfADoubleByteCharacterIsNoSeparator) {
  // 0xD2 0x7C is one double-byte character whose second byte is "|".
  std::string text = "\xD2\x7C|x|";
  EXPECT_EQ(CountChar(text, '|'), 2);
  EXPECT_EQ(FieldAt(text, '|', 1), "\xD2\x7C");
  EXPECT_EQ(FieldAt(text, '|', 2), "x");
}

TEST(FirstInteger, TakesTheFirstRunOfDigits) {
  EXPECT_EQ(FirstInteger("abc"), -1);
  EXPECT_EQ(FirstInteger(""), -1);
  EXPECT_EQ(FirstInteger("无"_gb), -1);
  EXPECT_EQ(FirstInteger("12a34"), 12);
  EXPECT_EQ(FirstInteger("-3"), 3);
  EXPECT_EQ(FirstInteger("3班"_gb), 3);
  EXPECT_EQ(FirstInteger("第12班"_gb), 12);
  EXPECT_EQ(FirstInteger("2-3"), 2);
  EXPECT_EQ(FirstInteger("99999999999"), 2147483647);
  // A trail byte in the digit range ("0x81 0x35" is not a GBK character but
  // "0xB0 0x39" style bytes never occur; "0xD1 0x30" would be a GB18030 lead).
  EXPECT_EQ(FirstInteger("\xB0\xA1"
                         "7"),
            7);
}

TEST(FirstNumber, TakesTheFirstRunOfDigitsAndPoints) {
  EXPECT_DOUBLE_EQ(FirstNumber("85.5"), 85.5);
  EXPECT_DOUBLE_EQ(FirstNumber("85.5分"_gb), 85.5);
  EXPECT_DOUBLE_EQ(FirstNumber("缺考"_gb), 0);
  EXPECT_DOUBLE_EQ(FirstNumber("-12"), 12);
  EXPECT_DOUBLE_EQ(FirstNumber(".5"), 0.5);
  EXPECT_DOUBLE_EQ(FirstNumber(" 90 "), 90);
  EXPECT_DOUBLE_EQ(FirstNumber("abc"), 0);
  EXPECT_DOUBLE_EQ(FirstNumber("98.5abc7"), 98.5);
  // Runs that are not decimal numbers do not fail.
  EXPECT_DOUBLE_EQ(FirstNumber("1.2.3"), 1.2);
  EXPECT_DOUBLE_EQ(FirstNumber("."), 0);
  EXPECT_DOUBLE_EQ(FirstNumber("7."), 7);
}

TEST(RemoveSpaces, RemovesAsciiAndFullWidthSpaces) {
  EXPECT_EQ(RemoveSpaces(" 姓　名 "_gb), "姓名"_gb);
  EXPECT_EQ(RemoveSpaces("a\tb"), "a\tb");
  // A1A1 split across two characters is not a full-width space.
  std::string straddle = "\xB0\xA1\xA1\xB0";  // 啊 followed by a character starting A1
  EXPECT_EQ(RemoveSpaces(straddle), straddle);
}

TEST(ListContains, MatchesWholeCommaTerminatedItems) {
  EXPECT_FALSE(ListContains("1", "11,12,"));
  EXPECT_TRUE(ListContains("12", "11,12,"));
  EXPECT_TRUE(ListContains("7", "3,5,7,"));
  EXPECT_FALSE(ListContains("7", "3,5,7"));
  EXPECT_FALSE(ListContains("", "3,5,"));
}

TEST(TextSearch, MatchesOnlyOnCharacterBoundaries) {
  // "且" is C7 D2; the text A1 C7 D2 A1 holds those bytes across two characters.
  std::string text = "\xA1\xC7\xD2\xA1";
  EXPECT_FALSE(ContainsText(text, "且"_gb));
  EXPECT_TRUE(ContainsText("大于 80且小于 90"_gb, "且"_gb));
  EXPECT_EQ(ReplaceAll("a且b且c"_gb, "且"_gb, "|"), "a|b|c");
  EXPECT_TRUE(EqualsIgnoreCase("KeMu数学"_gb, "KEMU数学"_gb));
  EXPECT_FALSE(EqualsIgnoreCase("KEMU", "KEMA"));
}

}  // namespace
}  // namespace tessaly::model
