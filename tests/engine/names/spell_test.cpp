#include "engine/names/spell.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "engine/names/spell_data.h"
#include "platform/encoding.h"

namespace tessaly::engine {
namespace {

std::string Bytes(std::initializer_list<unsigned char> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

std::string Pinyin(const std::string& text, int flags = 1, int max = 255) {
  return ToPinyin(text, flags, max);
}

TEST(ToPinyin, ChineseCharactersGiveSyllableOrInitial) {
  EXPECT_EQ(Pinyin("张"_gb, 1), "ZHANG");
  EXPECT_EQ(Pinyin("张"_gb, 0), "Z");
  EXPECT_EQ(Pinyin("张三"_gb, 1, 3), "ZHA");
  EXPECT_EQ(Pinyin("张三"_gb, 0), "ZS");
  EXPECT_EQ(Pinyin("吕"_gb), "LV");
  EXPECT_EQ(Pinyin("女"_gb), "NV");
  EXPECT_EQ(Pinyin("略"_gb), "LUE");   // the compound keeps u
  EXPECT_EQ(Pinyin("谁"_gb), "SHUI");  // first reading that is in the list
}

TEST(ToPinyin, CharacterWithoutSyllable) {
  EXPECT_EQ(Pinyin("给"_gb, 1), "");
  EXPECT_EQ(Pinyin("给"_gb, 3), "?");
  EXPECT_EQ(Pinyin("佛髟"_gb, 3), "??");
  // A code outside the covered rows (a symbol of row A1) behaves the same.
  EXPECT_EQ(Pinyin("、"_gb, 1), "");
  EXPECT_EQ(Pinyin("、"_gb, 3), "?");
}

TEST(ToPinyin, SingleBytesAndOtherCharacters) {
  EXPECT_EQ(Pinyin("ab-1", 1), "AB1");
  EXPECT_EQ(Pinyin("ab-1", 5), "AB-1");
  EXPECT_EQ(Pinyin("x y", 4), "X Y");
  EXPECT_EQ(Pinyin("", 7), "");
  EXPECT_EQ(Pinyin("张", -1), "");
  EXPECT_EQ(Pinyin("abc", 1, 0), "");
  EXPECT_EQ(Pinyin("abc", 1, 2), "AB");
}

TEST(ToPinyin, CutCharacterAtTheEndIsOneByte) {
  const std::string cut = "张"_gb + Bytes({0xD5});
  EXPECT_EQ(Pinyin(cut, 1), "ZHANG");
  EXPECT_EQ(Pinyin(cut, 3), "ZHANG");  // not a double-byte character: no "?"
  EXPECT_EQ(Pinyin(cut, 5), "ZHANG" + Bytes({0xD5}));
  // A lead byte followed by a byte below 0x40 is a single byte too.
  EXPECT_EQ(Pinyin(Bytes({0xD5, '1'}), 1), "1");
}

TEST(ToPinyin, FourByteCharactersHaveNoSyllableAndNoDigits) {
  // U+20000, kept in its GB18030 form 95 32 82 36: digits "2" and "6" inside.
  const std::string rare = Bytes({0x95, 0x32, 0x82, 0x36});
  EXPECT_EQ(Pinyin("张"_gb + rare + "三"_gb, 1), "ZHANGSAN");
  EXPECT_EQ(Pinyin("张"_gb + rare, 0), "Z");
  EXPECT_EQ(Pinyin(rare + "3", 3), "?3");
  EXPECT_EQ(Pinyin(rare, 4), "");
  // Cut short it is no such character: the bytes count one by one.
  EXPECT_EQ(Pinyin(Bytes({0x95, 0x32, 0x82}), 1), "2");
}

TEST(ToPinyin, FullWidthFormsKeepTheirCase) {
  EXPECT_EQ(Pinyin(Bytes({0xA3, 0xC2}), 1), "B");
  EXPECT_EQ(Pinyin(Bytes({0xA3, 0xE2}), 1), "b");
  EXPECT_EQ(Pinyin(Bytes({0xA3, 0xB1}), 1), "1");
  EXPECT_EQ(Pinyin(Bytes({0xA3, 0xAD}), 1), "");   // full-width minus dropped
  EXPECT_EQ(Pinyin(Bytes({0xA3, 0xAD}), 5), "-");  // and kept with bit 2
}

TEST(ToPinyin, NumberedSymbols) {
  EXPECT_EQ(Pinyin(Bytes({0xA2, 0xD9})), "1");   // circled one
  EXPECT_EQ(Pinyin(Bytes({0xA2, 0xFC})), "12");  // Roman twelve
  EXPECT_EQ(Pinyin(Bytes({0xA2, 0xC4})), "20");  // twenty with a full stop
  EXPECT_EQ(Pinyin(Bytes({0xA2, 0xA1})), "1");   // small Roman one
  EXPECT_EQ(Pinyin(Bytes({0xA2, 0xAA})), "10");
  EXPECT_EQ(Pinyin(Bytes({0xA2, 0xC5})), "1");  // parenthesised one
  EXPECT_EQ(Pinyin(Bytes({0xA2, 0xD8})), "20");
  EXPECT_EQ(Pinyin(Bytes({0xA2, 0xE5})), "1");  // parenthesised ideographic one
  EXPECT_EQ(Pinyin(Bytes({0xA2, 0xEE})), "10");
  EXPECT_EQ(Pinyin(Bytes({0xA2, 0xF1})), "1");
  // Gaps of the row give nothing, not even "?".
  for (unsigned char d : {0xAB, 0xB0, 0xE3, 0xE4, 0xEF, 0xF0, 0xFD, 0xFE}) {
    EXPECT_EQ(Pinyin(Bytes({0xA2, d}), 7), "") << int(d);
  }
  EXPECT_EQ(Pinyin(Bytes({0xA2, 0x50}), 3), "?");
  EXPECT_EQ(Pinyin(Bytes({0xA2, 0x50}), 1), "");
  // The byte FF after the lead byte is no code of the row: no symbol.
  EXPECT_EQ(Pinyin(Bytes({0xA2, 0xFF}), 3), "?");
  EXPECT_EQ(Pinyin(Bytes({0xA2, 0xFF, 'a'}), 1), "A");
}

TEST(ToPinyin, GreekLetters) {
  EXPECT_EQ(Pinyin(Bytes({0xA6, 0xA8})), "TH");  // capital theta
  EXPECT_EQ(Pinyin(Bytes({0xA6, 0xC8})), "TH");  // small theta
  EXPECT_EQ(Pinyin(Bytes({0xA6, 0xB8})), "O");   // capital omega
  EXPECT_EQ(Pinyin(Bytes({0xA6, 0xA1, 0xA6, 0xD7})), "APS");
  EXPECT_EQ(Pinyin(Bytes({0xA6, 0xB9}), 3), "?");
  EXPECT_EQ(Pinyin(Bytes({0xA6, 0xC0}), 1), "");
}

TEST(SyllableTable, ListHasTheSyllablesInOrder) {
  std::set<std::string> seen;
  std::string previous;
  for (int n = 1; n <= 404; ++n) {
    const std::string s(SyllableText(n));
    ASSERT_FALSE(s.empty()) << n;
    EXPECT_LE(s.size(), 6u);
    EXPECT_LT(previous, s);
    previous = s;
    seen.insert(s);
  }
  EXPECT_EQ(SyllableText(405), "");
  EXPECT_EQ(SyllableText(0), "");
  EXPECT_EQ(SyllableText(406), "");
  EXPECT_EQ(seen.count("gei") + seen.count("fo"), 0u);
  for (const char* s : {"lv", "nv", "jv", "qv", "xv", "lue", "nue", "m", "n", "zhuang"}) {
    EXPECT_EQ(seen.count(s), 1u) << s;
  }
}

TEST(SyllableTable, KnownCharacters) {
  struct Case {
    unsigned char lead, trail;
    const char* syllable;
  };
  for (const Case& c : {Case{0xD5, 0xC5, "zhang"}, Case{0xC0, 0xEE, "li"}, Case{0xC2, 0xC0, "lv"},
                        Case{0xC5, 0xAE, "nv"}, Case{0xC0, 0xD6, "le"}, Case{0xB0, 0xA1, "a"},
                        Case{0xD8, 0xA1, "chu"}}) {
    EXPECT_EQ(SyllableText(SyllableNumber(c.lead, c.trail)), c.syllable) << c.syllable;
  }
  EXPECT_EQ(SyllableNumber(0x41, 0x42), 0);
  EXPECT_EQ(SyllableNumber(0xB0, 0x3F), 0);
  EXPECT_EQ(SyllableNumber(0xB0, 0xFF), 0);
}

TEST(SyllableTable, CoversTheChineseRowsAndNoSymbols) {
  const std::set<int> none = {0xB7F0, 0xB8F8, 0xF7D4};  // 佛, 给, 髟
  int covered = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const int n = SyllableNumber(lead, trail);
      EXPECT_LT(n, 405);
      if (n > 0) ++covered;
      const bool gb2312 = lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1;
      const bool symbols =
          (lead >= 0xA1 && lead <= 0xA9) ||
          (trail >= 0xA1 && ((lead >= 0xAA && lead <= 0xAF) || (lead >= 0xF8 && lead <= 0xFD))) ||
          lead == 0xFE;
      // The five codes D7FA..D7FE are unassigned in GB 2312.
      const bool unassigned = lead == 0xD7 && trail >= 0xFA;
      const int code = lead * 256 + trail;
      if (gb2312 && !unassigned && !none.count(code)) {
        EXPECT_GT(n, 0) << std::hex << code;
      }
      if (symbols || none.count(code) || unassigned) {
        EXPECT_EQ(n, 0) << std::hex << code;
      }
    }
  }
  EXPECT_GT(covered, 20000);
  EXPECT_LT(covered, 21500);
}

}  // namespace
}  // namespace tessaly::engine
