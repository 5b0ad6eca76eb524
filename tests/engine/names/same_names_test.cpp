#include "engine/names/same_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/encoding.h"

namespace tessaly::engine {
namespace {

using model::RuleList;
using model::Student_F;

SoundRules Rules(RuleList initials = {}, RuleList finals = {}) {
  return MakeSoundRules(initials, finals);
}

// A range set of students with the given names (UTF-8) and classes.
Student_F Set(const std::vector<std::pair<const char*, int>>& students) {
  Student_F set;
  for (const auto& [name, cls] : students) {
    model::student s;
    s.Name = enc::FromUtf8(name);
    s.AssignedClass = cls;
    set.Students.push_back(s);
  }
  set.StudentCount = static_cast<int>(set.Students.size());
  return set;
}

std::string Utf8(const std::string& cp936) {
  return enc::ToUtf8(cp936);
}

TEST(NormaliseSyllable, InitialPairs) {
  const SoundRules r = Rules({"c-ch", "h-f", "r-l"});
  EXPECT_EQ(NormaliseSyllable("CA", r), "CHA");
  EXPECT_EQ(NormaliseSyllable("CHA", r), "CHA");
  EXPECT_EQ(NormaliseSyllable("HU", r), "FU");
  EXPECT_EQ(NormaliseSyllable("RE", r), "LE");
  EXPECT_EQ(NormaliseSyllable("ZA", r), "ZA");
  EXPECT_EQ(NormaliseSyllable("", r), "");
}

TEST(NormaliseSyllable, InitialsTestTheSyllableAsGiven) {
  // The second pair would match the result of the first, but not the
  // syllable as given, so it does not apply.
  const SoundRules r = Rules({"c-ch", "ch-q"});
  EXPECT_EQ(NormaliseSyllable("CA", r), "CHA");
  EXPECT_EQ(NormaliseSyllable("CHA", r), "QA");
}

TEST(NormaliseSyllable, FinalPairsInListOrder) {
  EXPECT_EQ(NormaliseSyllable("CHAN", Rules({}, {"an-ang"})), "CHANG");
  EXPECT_EQ(NormaliseSyllable("CHANG", Rules({}, {"an-ang"})), "CHANG");
  EXPECT_EQ(NormaliseSyllable("XIN", Rules({}, {"in-ing"})), "XING");
  EXPECT_EQ(NormaliseSyllable("GUAN", Rules({}, {"uan-ang"})), "GANG");
  // an-ang comes first and leaves nothing for uan-ang.
  EXPECT_EQ(NormaliseSyllable("GUAN", Rules({}, {"an-ang", "uan-ang"})), "GUANG");
  // In the other order uan-ang rewrites first and an-ang finds GANG.
  EXPECT_EQ(NormaliseSyllable("GUAN", Rules({}, {"uan-ang", "an-ang"})), "GANG");
  // Finals work on the result of the initials.
  EXPECT_EQ(NormaliseSyllable("CAN", Rules({"c-ch"}, {"an-ang"})), "CHANG");
}

TEST(NormaliseSyllable, PairRowsAreReadCaseInsensitivelyAndBadRowsIgnored) {
  const SoundRules r = Rules({"C-CH", "nodash", "-x"}, {"An-Ang", ""});
  ASSERT_EQ(r.initials.size(), 1u);
  ASSERT_EQ(r.finals.size(), 1u);
  EXPECT_EQ(NormaliseSyllable("CAN", r), "CHANG");
  EXPECT_EQ(NormaliseSyllable("", r), "");
}

TEST(SoundKey, SameReadingsGiveEqualKeys) {
  const SoundRules none = Rules();
  EXPECT_EQ(SoundKey("张伟"_gb, none), "ZHANGWEI");
  EXPECT_EQ(SoundKey("陈程"_gb, none), "CHENCHENG");
  EXPECT_EQ(SoundKey("陈成"_gb, none), "CHENCHENG");
  EXPECT_EQ(SoundKey("张山"_gb, none), "ZHANGSHAN");
  EXPECT_EQ(SoundKey("张尚"_gb, none), "ZHANGSHANG");
  const SoundRules an = Rules({}, {"an-ang"});
  EXPECT_EQ(SoundKey("张山"_gb, an), SoundKey("张尚"_gb, an));
  const SoundRules c = Rules({"c-ch"});
  EXPECT_NE(SoundKey("曹"_gb, none), SoundKey("巢"_gb, none));
  EXPECT_EQ(SoundKey("曹"_gb, c), SoundKey("巢"_gb, c));
  EXPECT_EQ(SoundKey("曹"_gb, c), "CHAO");
}

TEST(SoundKey, PiecesOfTwoBytesAndOtherCharacters) {
  const SoundRules none = Rules();
  // Latin names: pieces "Li", " L", "ei".
  EXPECT_EQ(SoundKey("Li Lei", none), "LILEI");
  // A one-byte character shifts the pieces: "a" + lead byte, then the lone
  // trail byte; neither half of the split character gives a sound.
  EXPECT_EQ(SoundKey("a张"_gb, none), "A");
  EXPECT_EQ(SoundKey("给"_gb, none), "");
  // A four-byte character sounds like itself: the same one matches, another
  // one with the same digit bytes (95 32 82 36 and 95 32 83 36) does not,
  // nor does the name without it.
  const std::string rare = "\x95\x32\x82\x36", other = "\x95\x32\x83\x36";
  EXPECT_EQ(SoundKey("张"_gb + rare, none), SoundKey("章"_gb + rare, none));
  EXPECT_NE(SoundKey("张"_gb + rare, none), SoundKey("张"_gb + other, none));
  EXPECT_NE(SoundKey("张"_gb + rare, none), SoundKey("张"_gb, none));
  EXPECT_EQ(SoundKey("张"_gb + rare + "伟"_gb, none), "ZHANG" + rare + "WEI");
  // Each piece is rewritten on its own: a rule does not see across pieces.
  EXPECT_EQ(SoundKey("CAN", Rules({"c-ch"}, {"an-ang"})), "CHAN");
}

TEST(SameNameTest, TwoNamesakesFourClasses) {
  Student_F set = Set({{"张伟", 1}, {"李娜", 2}, {"张伟", -1}});
  const SoundRules r = Rules();
  const RuleList rows = BuildSoundKeys(set, r);
  EXPECT_EQ(SameNameTest(set, rows, 2, 4, 1, r), (NamesakeResult{true, 400}));
  EXPECT_EQ(SameNameTest(set, rows, 2, 4, 2, r), (NamesakeResult{false, 0}));
  // The student's own placement counts: student 0 sits in class 1.
  EXPECT_EQ(SameNameTest(set, rows, 0, 4, 1, r), (NamesakeResult{true, 400}));
}

TEST(SameNameTest, GradedValueBelowTheShare) {
  // Three namesakes, two classes: share 2.
  const Student_F set = Set({{"王芳", 1}, {"汪方", -1}, {"王芳", -1}, {"刘洋", 1}});
  const SoundRules r = Rules();
  const RuleList rows = BuildSoundKeys(set, r);
  EXPECT_EQ(SameNameTest(set, rows, 1, 2, 1, r), (NamesakeResult{false, 200}));
  EXPECT_EQ(SameNameTest(set, rows, 1, 2, 2, r), (NamesakeResult{false, 0}));
  // Unplaced namesakes count in class -1 when asked for it.
  EXPECT_EQ(SameNameTest(set, rows, 1, 2, -1, r), (NamesakeResult{true, 400}));
}

TEST(SameNameTest, NoNamesake) {
  const Student_F set = Set({{"张伟", 1}, {"李娜", 1}, {"刘洋", 1}});
  const SoundRules r = Rules();
  const RuleList rows = BuildSoundKeys(set, r);
  for (int k : {1, 2, 3}) EXPECT_EQ(SameNameTest(set, rows, 1, 3, k, r), NamesakeResult{});
}

TEST(SameNameTest, NamesWithoutSoundAndBadArguments) {
  // Two names that give no letters are not namesakes of each other.
  const Student_F set = Set({{"", 1}, {"", 1}, {"给", 1}, {"张伟", 1}, {"张伟", 1}});
  const SoundRules r = Rules();
  const RuleList rows = BuildSoundKeys(set, r);
  EXPECT_EQ(SameNameTest(set, rows, 0, 2, 1, r), NamesakeResult{});
  EXPECT_EQ(SameNameTest(set, rows, 2, 2, 1, r), NamesakeResult{});
  EXPECT_EQ(SameNameTest(set, rows, 3, 0, 1, r), NamesakeResult{});
  EXPECT_EQ(SameNameTest(set, rows, 9, 2, 1, r), NamesakeResult{});
  EXPECT_EQ(SameNameTest(set, rows, 3, 2, 1, r), (NamesakeResult{true, 400}));
  // A range claiming a huge class count: the share is 1, without overflow.
  EXPECT_EQ(SameNameTest(set, rows, 3, 2147483647, 1, r), (NamesakeResult{true, 400}));
  EXPECT_EQ(SameNameTest(set, rows, 3, 2147483647, 2, r), (NamesakeResult{false, 0}));
}

TEST(ShowSameNames, BlocksPerRangeWithEmptyRowBeforeLaterRanges) {
  const RuleList ranges = {"按学号|101-250-|2|1,2,||"_gb, "按名次|1-100-|2|3,4,||"_gb,
                           "按名次|101-200-|2|5,6,||"_gb};
  const std::vector<Student_F> sets = {
      Set({{"张伟", 1}, {"李娜", 2}, {"章伟", 2}, {"刘洋", 1}, {"柳阳", 1}}),
      Set({{"王芳", 3}, {"赵强", 4}}),  // no namesakes: no block
      Set({{"陈程", -1}, {"陈成", 6}}),
  };
  const model::Grid g = ShowSameNames(sets, ranges, Rules());
  ASSERT_EQ(g.RowCount(), 9u);
  EXPECT_EQ(Utf8(g.Cell(0, 0)), "按学号|101-250-| 该区段学生同姓名或相似读音");
  EXPECT_EQ(Utf8(g.Cell(1, 0)), "");
  EXPECT_EQ(Utf8(g.Cell(1, 1)), "张伟");
  EXPECT_EQ(Utf8(g.Cell(1, 2)), "章伟");
  EXPECT_EQ(Utf8(g.Cell(2, 0)), "所属班级");
  EXPECT_EQ(Utf8(g.Cell(2, 1)), "1 班");
  EXPECT_EQ(Utf8(g.Cell(2, 2)), "2 班");
  EXPECT_EQ(Utf8(g.Cell(3, 1)), "刘洋");
  EXPECT_EQ(Utf8(g.Cell(3, 2)), "柳阳");
  EXPECT_EQ(Utf8(g.Cell(4, 2)), "1 班");
  EXPECT_TRUE(g.rows[5].empty() || g.rows[5] == std::vector<std::string>(g.rows[5].size()));
  EXPECT_EQ(Utf8(g.Cell(6, 0)), "按名次|101-200-| 该区段学生同姓名或相似读音");
  // The first student of a group is shown even when unplaced.
  EXPECT_EQ(Utf8(g.Cell(7, 1)), "陈程");
  EXPECT_EQ(Utf8(g.Cell(8, 1)), "-1 班");
  EXPECT_EQ(Utf8(g.Cell(8, 2)), "6 班");
  EXPECT_EQ(g.ColumnCount(), 3u);
}

TEST(ShowSameNames, LaterRangeStartsWithEmptyRowEvenAfterAnEmptyFirst) {
  const RuleList ranges = {"按名次|1-100-|1|1,||"_gb, "按名次|101-200-|1|2,||"_gb};
  const std::vector<Student_F> sets = {Set({{"王芳", 1}}), Set({{"张伟", 2}, {"张伟", 2}})};
  const model::Grid g = ShowSameNames(sets, ranges, Rules());
  ASSERT_EQ(g.RowCount(), 4u);
  EXPECT_EQ(g.Cell(0, 0), "");
  EXPECT_EQ(Utf8(g.Cell(1, 0)), "按名次|101-200-| 该区段学生同姓名或相似读音");
  EXPECT_EQ(Utf8(g.Cell(3, 2)), "2 班");
}

TEST(ShowSameNames, OnlyPlacedLaterStudentsJoinAGroup) {
  const RuleList ranges = {"按名次|1-100-|2|1,2,||"_gb};
  // First placed, second unplaced, third placed: the group is first + third.
  // A key whose later students are all unplaced has no group.
  const std::vector<Student_F> sets = {
      Set({{"张伟", 1}, {"张伟", -1}, {"张伟", 2}, {"李娜", 1}, {"李娜", -1}})};
  const model::Grid g = ShowSameNames(sets, ranges, Rules());
  ASSERT_EQ(g.RowCount(), 3u);
  EXPECT_EQ(Utf8(g.Cell(2, 1)), "1 班");
  EXPECT_EQ(Utf8(g.Cell(2, 2)), "2 班");
  EXPECT_EQ(g.ColumnCount(), 3u);
}

TEST(ShowSameNames, FuzzyPairsAndMissingRangeRows) {
  const std::vector<Student_F> sets = {Set({{"张山", 1}, {"张尚", 2}})};
  EXPECT_EQ(ShowSameNames(sets, {"按名次|1-9-|2|1,2,||"_gb}, Rules()).RowCount(), 0u);
  EXPECT_EQ(ShowSameNames(sets, {"按名次|1-9-|2|1,2,||"_gb}, Rules({}, {"an-ang"})).RowCount(), 3u);
  // A range set without its range row shows nothing.
  EXPECT_EQ(ShowSameNames(sets, {}, Rules({}, {"an-ang"})).RowCount(), 0u);
}

}  // namespace
}  // namespace tessaly::engine
