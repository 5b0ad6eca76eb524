#include "model/records.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

#include "model/number_format.h"
#include "model/show_table.h"
#include "platform/encoding.h"

namespace tessaly::model {
namespace {

std::vector<student> WithTotals(std::vector<double> totals) {
  std::vector<student> s(totals.size());
  for (std::size_t i = 0; i < totals.size(); ++i) s[i].Total = totals[i];
  return s;
}

std::vector<std::int32_t> Ranks(const std::vector<student>& s) {
  std::vector<std::int32_t> r;
  for (const auto& x : s) r.push_back(x.Rank);
  return r;
}

TEST(Rank, EqualTotalsShareARankAndTheNextIsSkipped) {
  auto s = WithTotals({85, 90, 80, 85});
  RankStudents(s);
  EXPECT_EQ(Ranks(s), (std::vector<std::int32_t>{2, 1, 4, 2}));
  auto one = WithTotals({12});
  RankStudents(one);
  EXPECT_EQ(Ranks(one), (std::vector<std::int32_t>{1}));
  auto same = WithTotals({7, 7, 7});
  RankStudents(same);
  EXPECT_EQ(Ranks(same), (std::vector<std::int32_t>{1, 1, 1}));
  std::vector<student> none;
  RankStudents(none);
}

TEST(Rank, MatchesThePairwiseCountOnARandomTable) {
  std::vector<double> totals;
  unsigned x = 12345;
  for (int i = 0; i < 500; ++i) {
    x = x * 1103515245 + 12345;
    totals.push_back((x >> 16) % 60 + 0.5 * ((x >> 8) & 1));
  }
  auto s = WithTotals(totals);
  RankStudents(s);
  for (std::size_t i = 0; i < s.size(); ++i) {
    int greater = 0;
    for (double t : totals) greater += t > totals[i];
    ASSERT_EQ(s[i].Rank, 1 + greater);
  }
}

TEST(CutShortFields, NeverSplitsACharacter) {
  student s;
  s.Number = "1234567890123456789012";
  s.Name = "一二三四五六七八九十一二三四五六"_gb;  // 16 characters, 32 bytes
  s.Gender = "男"_gb;
  CutShortFields(s);
  EXPECT_EQ(s.Number, "123456789012345678");
  EXPECT_EQ(s.Name, "一二三四五六七八九十一二三四五"_gb);
  EXPECT_EQ(s.Gender, "男"_gb);
  // 17 one-byte characters then a Chinese one: the cut keeps 17 bytes, not 18.
  s.Number = "12345678901234567"s + "班"_gb;
  CutShortFields(s);
  EXPECT_EQ(s.Number, "12345678901234567");
}

TEST(Records, CopiesAreDeep) {
  Student_F a;
  a.Headings.SubjectHeadings = {"A"};
  a.Students.push_back(student{"1", "x", "y", -1, {1.0}, 1.0, 1, {}, {}, -1});
  Student_F b = a;
  b.Students[0].Scores[0] = 2;
  b.Headings.SubjectHeadings[0] = "B";
  EXPECT_EQ(a.Students[0].Scores[0], 1);
  EXPECT_EQ(a.Headings.SubjectHeadings[0], "A");
}

TEST(ShowTable, ColumnsFollowThePresetSetting) {
  Student_F t;
  t.Headings.NameHeading = "姓名"_gb;
  t.Headings.GenderHeading = "性别"_gb;
  t.Headings.SubjectHeadings = {"语文"_gb, "数学"_gb};
  t.Headings.BalanceHeadings = {"住校"_gb};
  t.Headings.ExtraHeadings = {"备注"_gb};
  student s;
  s.Number = "101";
  s.Name = "张 三"_gb;
  s.Gender = "男"_gb;
  s.Scores = {87.5, 90};
  s.Total = 177.5;
  s.Rank = 1;
  s.BalanceValues = {"是"_gb};
  s.ExtraValues = {""};
  t.Students = {s};
  t.StudentCount = 1;

  Grid shown = ShowTable(t, true);
  ASSERT_EQ(shown.ColumnCount(), 11u);
  EXPECT_EQ(shown.rows[0][4], "预设班级"_gb);
  EXPECT_EQ(shown.rows[1][4], "");  // no preset class: empty cell
  EXPECT_EQ(shown.rows[1][5], "87.5");
  EXPECT_EQ(shown.rows[1][7], "177.5");
  EXPECT_EQ(shown.rows[0][7], "总分"_gb);
  EXPECT_EQ(shown.rows[0][8], "名次"_gb);

  Grid hidden = ShowTable(t, false);
  ASSERT_EQ(hidden.ColumnCount(), 10u);
  EXPECT_EQ(hidden.rows[1], (std::vector<std::string>{"1", "101", "张 三"_gb, "男"_gb, "87.5", "90",
                                                      "177.5", "1", "是"_gb, ""}));
}

}  // namespace
}  // namespace tessaly::model
