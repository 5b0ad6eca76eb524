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

}  // namespace
}  // namespace tessaly::enc
