#include "stats/division_versions.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/cohort_builder.h"
#include "engine/evaluation.h"
#include "support/fake_user.h"

namespace tessaly::stats {
namespace {

using testing::CohortBuilder;
using testing::FakeUser;
using testing::Gb;

// Two ranges: four students in classes 1 and 2, two in class 3.
model::ProgramState Divided() {
  CohortBuilder c({"语文", "数学"});
  c.Add("1", "甲", "男", {90, 80});
  c.Add("2", "乙", "女", {70, 60});
  c.Add("3", "丙", "男", {60, 50});
  c.Add("4", "丁", "女", {50, 40});
  c.Add("5", "戊", "男", {30, 20});
  c.Add("6", "己", "女", {20, 10});
  c.Range("按名次|1-4-|2|1,2,||");
  c.Range("按名次|5-6-|1|3,||");
  model::ProgramState st = testing::Divided(c);
  testing::Assign(st, 0, {1, 2, 2, 1});
  testing::Assign(st, 1, {3, 3});
  return st;
}

TEST(Versions, SaveKeepsClassesPinsAndScoreAndRestoreGivesThemBack) {
  model::ProgramState st = Divided();
  st.RangeSets[0].Students[1].PresetClass = 2;  // pinned by a hand move
  const auto sets = st.RangeSets;
  FakeUser user;
  ASSERT_TRUE(SaveVersion(st, user, Gb("  方案 A "), "2026-12-09 08:30"));
  ASSERT_EQ(st.Versions.size(), 1u);
  const model::DivisionVersion& v = st.Versions[0];
  EXPECT_EQ(v.Name, Gb("方案 A"));  // spaces around the name dropped
  EXPECT_EQ(v.Time, "2026-12-09 08:30");
  ASSERT_TRUE(v.Score.has_value());
  EXPECT_NEAR(*v.Score, *engine::ScoreDivision(st), 1e-9);
  ASSERT_EQ(v.Sets.size(), 2u);
  EXPECT_EQ(v.Sets[1].RangeRow, st.ClassRangeRows[1]);
  EXPECT_EQ(v.Sets[0].Placements[1].PresetClass, 2);

  // Another placement and pin, then back.
  testing::Assign(st, 0, {2, 1, 1, 2});
  st.RangeSets[0].Students[1].PresetClass = -1;
  st.RangeSets[0].Students[2].PresetClass = 1;
  EXPECT_EQ(PlacedDifferently(st, v), 4u);
  ASSERT_TRUE(RestoreVersion(st, user, Gb("方案 A")));
  EXPECT_EQ(st.RangeSets, sets);
  EXPECT_EQ(PlacedDifferently(st, st.Versions[0]), 0u);
  EXPECT_TRUE(user.calls.empty());
}

TEST(Versions, RestoreMatchesStudentsByNumberWhateverTheirOrder) {
  model::ProgramState st = Divided();
  FakeUser user;
  ASSERT_TRUE(SaveVersion(st, user, "v", "t"));
  const auto sets = st.RangeSets;
  auto& students = st.RangeSets[0].Students;
  std::reverse(students.begin(), students.end());
  for (auto& s : students) s.AssignedClass = 1;
  ASSERT_TRUE(RestoreVersion(st, user, "v"));
  // The set keeps its order; its students have their classes back.
  auto& restored = st.RangeSets[0].Students;
  std::reverse(restored.begin(), restored.end());
  EXPECT_EQ(st.RangeSets, sets);
}

TEST(Versions, RefusalsChangeNothing) {
  model::ProgramState empty;
  FakeUser user;
  EXPECT_FALSE(SaveVersion(empty, user, "v", "t"));
  model::ProgramState st = Divided();
  EXPECT_FALSE(SaveVersion(st, user, "   ", "t"));
  EXPECT_FALSE(SaveVersion(st, user, "a|b", "t"));
  EXPECT_FALSE(SaveVersion(st, user, "a\nb", "t"));
  EXPECT_TRUE(st.Versions.empty());
  ASSERT_TRUE(SaveVersion(st, user, "v", "t"));
  const model::ProgramState before = st;
  EXPECT_FALSE(RestoreVersion(st, user, "w"));
  EXPECT_FALSE(DeleteVersion(st, user, "w"));
  EXPECT_TRUE(CompareVersions(st, user, {"v", "w"}).rows.empty());
  EXPECT_EQ(st, before);
  ASSERT_EQ(user.calls.size(), 7u);
  EXPECT_EQ(user.calls[0], "warning: 还没有分班结果，无法保存方案！");
  EXPECT_EQ(user.calls[1], "warning: 请输入方案的名称！");
  EXPECT_EQ(user.calls[4], "warning: 没有名为“w”的方案。");
}

TEST(Versions, AVersionOfOtherRangesOrStudentsIsNotRestored) {
  model::ProgramState st = Divided();
  FakeUser user;
  ASSERT_TRUE(SaveVersion(st, user, "v", "t"));
  model::ProgramState other_rule = st;
  other_rule.ClassRangeRows[1] = Gb("按名次|5-6-|1|4,||");
  EXPECT_FALSE(RestoreVersion(other_rule, user, "v"));
  model::ProgramState other_student = st;
  other_student.RangeSets[1].Students[0].Number = "9";
  other_student.RangeSets[0].Students[0].AssignedClass = 2;
  const model::ProgramState unchanged = other_student;
  EXPECT_FALSE(RestoreVersion(other_student, user, "v"));
  EXPECT_EQ(other_student, unchanged);
  model::ProgramState fewer_sets = st;
  fewer_sets.RangeSets.pop_back();
  EXPECT_FALSE(RestoreVersion(fewer_sets, user, "v"));
  EXPECT_EQ(user.calls.size(), 3u);
}

TEST(Versions, ANameKeptTwiceIsReplacedInItsPlaceOnlyWhenConfirmed) {
  model::ProgramState st = Divided();
  FakeUser user;
  ASSERT_TRUE(SaveVersion(st, user, "a", "t1"));
  ASSERT_TRUE(SaveVersion(st, user, "b", "t2"));
  testing::Assign(st, 0, {2, 1, 1, 2});
  user.confirm_answers = {false, true};
  EXPECT_FALSE(SaveVersion(st, user, "a", "t3"));
  EXPECT_EQ(st.Versions[0].Time, "t1");
  EXPECT_TRUE(SaveVersion(st, user, "a", "t3"));
  ASSERT_EQ(st.Versions.size(), 2u);
  EXPECT_EQ(st.Versions[0].Name, "a");
  EXPECT_EQ(st.Versions[0].Time, "t3");
  EXPECT_EQ(PlacedDifferently(st, st.Versions[0]), 0u);
  EXPECT_EQ(user.calls[0], "confirm: 已有名为“a”的方案，要用当前分班结果替换它吗？");
  EXPECT_TRUE(DeleteVersion(st, user, "a"));
  ASSERT_EQ(st.Versions.size(), 1u);
  EXPECT_EQ(st.Versions[0].Name, "b");
}

TEST(Versions, ComparisonSetsTheFiguresOfEveryVersionBesideTheCurrentDivision) {
  model::ProgramState st = Divided();
  FakeUser user;
  ASSERT_TRUE(SaveVersion(st, user, "even", "t1"));
  testing::Assign(st, 0, {1, 2, 1, 2});  // 甲 丙 | 乙 丁
  ASSERT_TRUE(SaveVersion(st, user, "uneven", "t2"));
  testing::Assign(st, 0, {1, 2, 2, 1});  // back to the first placement
  model::DivisionVersion foreign = st.Versions[0];
  foreign.Name = "foreign";
  foreign.Sets[1].RangeRow = "x";
  st.Versions.push_back(foreign);

  const model::Grid g = CompareVersions(st, user, {"even", "uneven", "foreign"});
  ASSERT_EQ(g.ColumnCount(), 5u);
  EXPECT_EQ(g.Cell(0, 1), Gb("当前分班"));
  EXPECT_EQ(g.Cell(0, 3), "uneven");
  EXPECT_EQ(g.Cell(1, 3), "t2");
  // Rows: heading, time, score, three per range, the students placed
  // differently.
  ASSERT_EQ(g.RowCount(), 3u + 3 * 2 + 1);
  EXPECT_EQ(g.Cell(3, 0), Gb("按名次:1-4 总分差值"));
  // Totals 170 130 110 90: classes (170+90, 130+110) / 2 = 130, 120 -> 10;
  // (170+110, 130+90) / 2 = 140, 110 -> 30.
  EXPECT_EQ(g.Cell(3, 1), "10.000");
  EXPECT_EQ(g.Cell(3, 2), "10.000");
  EXPECT_EQ(g.Cell(3, 3), "30.000");
  // 语文 90+50 vs 70+60 -> 5; 数学 80+40 vs 60+50 -> 5: the first widest.
  EXPECT_EQ(g.Cell(4, 2), Gb("5.000（语文）"));
  // One boy and one girl in each class, or two boys against none.
  EXPECT_EQ(g.Cell(5, 2), Gb("0（男）"));
  EXPECT_EQ(g.Cell(5, 3), Gb("2（男）"));
  EXPECT_EQ(g.Cell(3, 4), "-");  // does not fit: no figures
  EXPECT_EQ(g.Cell(9, 0), Gb("与当前分班不同的学生"));
  EXPECT_EQ(g.Cell(9, 1), "0");
  EXPECT_EQ(g.Cell(9, 2), "0");
  EXPECT_EQ(g.Cell(9, 3), "2");  // 丙 and 丁 change classes
  EXPECT_EQ(g.Cell(9, 4), "0");
  EXPECT_TRUE(user.calls.empty());
}

}  // namespace
}  // namespace tessaly::stats
