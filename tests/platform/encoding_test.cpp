#include "platform/encoding.h"

#include <gtest/gtest.h>

namespace tessaly::enc {
namespace {

TEST(Encoding, GbkCharactersKeepTheirTwoBytes) {
  EXPECT_EQ(FromUtf8("学号"), "\xD1\xA7\xBA\xC5");
  EXPECT_EQ(ToUtf8("\xD1\xA7\xBA\xC5"), "学号");
  EXPECT_EQ(FromUtf8("abc 1|2"), "abc 1|2");
  EXPECT_EQ(FromUtf8("　"), "\xA1\xA1");  // full-width space
}

TEST(Encoding, CharactersOutsideGbkSurviveTheRoundTrip) {
  std::string emoji = "张\xF0\x9F\x98\x80";  // a character GBK lacks
  std::string inside = FromUtf8(emoji);
  EXPECT_EQ(inside.size(), 2u + 4u);
  EXPECT_EQ(ToUtf8(inside), emoji);
  EXPECT_EQ(CharLength(inside, 2), 4u);
}

TEST(Encoding, OutsideTextOfEitherEncoding) {
  EXPECT_EQ(FromOutside("\xEF\xBB\xBF姓名"), "\xD0\xD5\xC3\xFB");
  EXPECT_EQ(FromOutside("\xD0\xD5\xC3\xFB"), "\xD0\xD5\xC3\xFB");  // already GB18030
  EXPECT_FALSE(IsValidUtf8("\xC0\x80"));                           // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));                       // surrogate
  EXPECT_TRUE(IsValidUtf8("姓名"));
}

TEST(Encoding, BrokenBytesAreReplacedNotLost) {
  EXPECT_EQ(ToUtf8("a\xD1"), "a\xEF\xBF\xBD");
  EXPECT_EQ(FromUtf8("a\xFF"
                     "b"),
            "a?b");
}

TEST(Encoding, AppendUtf8WritesEveryLength) {
  std::string out;
  for (std::uint32_t cp : {0x41u, 0xE9u, 0x5B66u, 0x1F600u}) AppendUtf8(out, cp);
  EXPECT_EQ(out, "A\xC3\xA9\xE5\xAD\xA6\xF0\x9F\x98\x80");
  EXPECT_TRUE(IsValidUtf8(out));
}

TEST(CutToBytes, StopsBeforeASplitCharacter) {
  std::string name = FromUtf8("张三丰");
  EXPECT_EQ(CutToBytes(name, 5), FromUtf8("张三"));
  EXPECT_EQ(CutToBytes(name, 6), name);
  EXPECT_EQ(CutToBytes(FromUtf8("a张"), 2), "a");
  EXPECT_EQ(CutToBytes("", 2), "");
}

TEST(ValidText, BytesOfNoCompleteCharacterBecomeQuestionMarks) {
  EXPECT_EQ(ValidText("\xD5\xC5\xB0"), "\xD5\xC5?");  // a lead byte at the end
  EXPECT_EQ(ValidText("a\xB0"
                      "0b"),
            "a?0b");  // a lead byte before a digit
  EXPECT_EQ(ValidText("\x80\xFF"
                      "x"),
            "??x");
  EXPECT_EQ(ValidText("\xB0|"), "\xB0|");  // "|" is a trail byte: one character
  const std::string four = FromUtf8("张\xF0\x9F\x98\x80");
  EXPECT_EQ(ValidText(four), four);
  EXPECT_EQ(ValidText(four.substr(0, 4)), "\xD5\xC5?9");  // a cut four-byte character
  EXPECT_TRUE(IsValidText(four));
  EXPECT_FALSE(IsValidText("a\xB0"));
}

TEST(CutToBytes, ACutNeverEndsInALoneLeadByte) {
  // 18 bytes of a number whose 18th byte leads a broken character.
  EXPECT_EQ(CutToBytes("12345678901234567\xB0"
                       "0",
                       18),
            "12345678901234567?");
  EXPECT_EQ(CutToBytes("1234567890123456\xD5\xC5", 17), "1234567890123456");
  EXPECT_EQ(CutToBytes("ab\xB0", 5), "ab?");
}

TEST(Encoding, OutsideTextIsAlwaysValid) {
  EXPECT_EQ(FromOutside("\xD5\xC5\xC3\xF7\xB0,x"), "\xD5\xC5\xC3\xF7?,x");
  EXPECT_TRUE(IsValidText(FromOutside("\xC0\x80\xB0")));
}

TEST(Encoding, Utf16WithAByteOrderMark) {
  // 学号<TAB>A<CR><LF> in both byte orders.
  const std::string le("\xFF\xFE\x66\x5B\xF7\x53\x09\x00\x41\x00\x0D\x00\x0A\x00", 14);
  const std::string be("\xFE\xFF\x5B\x66\x53\xF7\x00\x09\x00\x41\x00\x0D\x00\x0A", 14);
  EXPECT_EQ(FromOutside(le), FromUtf8("学号\tA\r\n"));
  EXPECT_EQ(FromOutside(be), FromUtf8("学号\tA\r\n"));
  // A lone surrogate and an odd last byte are replaced.
  EXPECT_EQ(FromOutside(std::string("\xFF\xFE\x00\xD8\x41\x00\x42", 7)), "?A?");
}

}  // namespace
}  // namespace tessaly::enc
