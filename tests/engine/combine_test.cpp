#include "engine/combine.h"

#include <gtest/gtest.h>

#include "engine/cohort_builder.h"

namespace tessaly::engine {
namespace {

using testing::CohortBuilder;
using testing::Gb;
using testing::MakeStudent;
using testing::MakeTable;

// Combine mode: slot 0 empty, the main table weighted 60, a reference table 40.
model::ProgramState TwoTables() {
  model::ProgramState st;
  st.CombineMode = true;
  st.ImportedSets.resize(3);
  model::Student_F main = MakeTable("期中", {"数学", "语文"});
  main.WeightPercent = 60;
  main.Students = {MakeStudent("1", "甲", "男", {80, 70}), MakeStudent("2", "乙", "女", {80, 90})};
  model::Student_F ref = MakeTable("期末", {"语文", "数学"});  // other subject order
  ref.WeightPercent = 40;
  ref.IsMainTable = false;
  ref.Students = {MakeStudent("1", "甲", "男", {50, 90}), MakeStudent("3", "丙", "男", {99, 99})};
  st.ImportedSets[1] = main;
  st.ImportedSets[2] = ref;
  return st;
}

TEST(CombineScores, WeightsScoresByTableAndSubjectName) {
  model::ProgramState st = TwoTables();
  ASSERT_TRUE(CombineScores(st));
  const model::Student_F& c = st.ImportedSets[0];
  EXPECT_EQ(c.TableName, Gb("期中(折合)"));
  EXPECT_FALSE(c.IsMainTable);
  EXPECT_EQ(c.WeightPercent, 100);
  ASSERT_EQ(c.Students.size(), 2u);  // the student only in the reference table is not divided
  EXPECT_DOUBLE_EQ(c.Students[0].Scores[0], 0.6 * 80 + 0.4 * 90);  // 84
  EXPECT_DOUBLE_EQ(c.Students[0].Scores[1], 0.6 * 70 + 0.4 * 50);
  // Missing from the reference table: only the weighted main part.
  EXPECT_DOUBLE_EQ(c.Students[1].Scores[0], 48);
  EXPECT_DOUBLE_EQ(c.Students[1].Total, 48 + 54);
  EXPECT_EQ(c.Students[0].Rank, 1);
  EXPECT_EQ(c.Students[1].Rank, 2);
}

TEST(CombineScores, SubjectMissingFromReferenceAddsNothing) {
  model::ProgramState st = TwoTables();
  st.ImportedSets[2].Headings.SubjectHeadings = {Gb("物理"), Gb("数学")};
  st.ImportedSets[2].Students[0].Scores = {50, 90};
  ASSERT_TRUE(CombineScores(st));
  EXPECT_DOUBLE_EQ(st.ImportedSets[0].Students[0].Scores[1], 0.6 * 70);
}

TEST(CombineScores, WithoutMainTableNothingChanges) {
  model::ProgramState st = TwoTables();
  st.ImportedSets[1].IsMainTable = false;
  st.ClassRangeRows = {Gb("按名次|1-10-|1|1,|")};
  const model::ProgramState before = st;
  EXPECT_FALSE(CombineScores(st));
  EXPECT_FALSE(BuildRangeSets(st));
  EXPECT_EQ(st, before);
}

TEST(BuildRangeSets, SingleTableIsOnlyRanked) {
  CohortBuilder c({"数学"});
  c.Add("1", "甲", "男", {70}).Add("2", "乙", "男", {90}).Range("按名次|1-2-|1|1,|");
  model::ProgramState st = c.State();
  st.ImportedSets[0].Students[0].Rank = 7;
  ASSERT_TRUE(BuildRangeSets(st));
  model::Student_F expected = c.Table();
  expected.Students[0].Rank = 2;
  expected.Students[1].Rank = 1;
  EXPECT_EQ(st.ImportedSets[0], expected);
}

TEST(BuildRangeSets, NothingImportedChangesNothing) {
  model::ProgramState st;
  st.ClassRangeRows = {Gb("按名次|1-10-|1|1,|")};
  EXPECT_FALSE(BuildRangeSets(st));
  EXPECT_TRUE(st.RangeSets.empty());
}

std::vector<std::string> Numbers(const model::Student_F& set) {
  std::vector<std::string> out;
  for (const auto& s : set.Students) out.push_back(s.Number);
  return out;
}

TEST(BuildRangeSets, PresetClassesDecideMembership) {
  CohortBuilder c({"数学"});
  c.Add("100", "甲", "男", {50})
      .Add("101", "乙", "男", {60})
      .Add("120", "丙", "男", {70}, {}, 7)  // inside the range, preset elsewhere
      .Add("300", "丁", "男", {80}, {}, 2)  // outside the range, preset here
      .Add("250", "戊", "男", {40})
      .Range("按学号|101-250-|3|1,2,3,||");
  model::ProgramState st = testing::Divided(c);
  ASSERT_EQ(st.RangeSets.size(), 1u);
  EXPECT_EQ(Numbers(st.RangeSets[0]), (std::vector<std::string>{"300", "101", "250"}));
  EXPECT_EQ(st.RangeSets[0].StudentCount, 3);
  EXPECT_EQ(st.RangeSets[0].TableName, st.ImportedSets[0].TableName);
  for (const auto& s : st.RangeSets[0].Students) EXPECT_EQ(s.AssignedClass, -1);
}

TEST(BuildRangeSets, EveryDivisionStartsWithNobodyPlaced) {
  CohortBuilder c({"数学"});
  c.Add("1", "甲", "男", {50}).Add("2", "乙", "男", {60}).Range("按学号|1-2-|2|1,2,|");
  model::ProgramState st = c.State();
  st.ImportedSets[0].Students[0].AssignedClass = 9;  // a class stored in a file
  ASSERT_TRUE(BuildRangeSets(st));
  for (const auto& s : st.RangeSets[0].Students) EXPECT_EQ(s.AssignedClass, -1);
}

TEST(BuildRangeSets, EarlierRowsTakeFirstAndTiesKeepSlotOrder) {
  CohortBuilder c({"数学"});
  c.Add("1", "甲", "男", {470})
      .Add("2", "乙", "男", {480})
      .Add("3", "丙", "男", {500})
      .Add("4", "丁", "男", {480})
      .Add("5", "戊", "男", {10})
      .Range("按名次|1-2-|1|1,|")
      .Range("按学号|1-500-|2|2,3,|")
      .Range("按学号|1-500-|1|4,|");
  model::ProgramState st = testing::Divided(c);
  ASSERT_EQ(st.RangeSets.size(), 3u);
  // Ranks: 500 is 1, the two 480s share 2: all three belong to the first row.
  EXPECT_EQ(Numbers(st.RangeSets[0]), (std::vector<std::string>{"3", "2", "4"}));
  EXPECT_EQ(Numbers(st.RangeSets[1]), (std::vector<std::string>{"1", "5"}));
  EXPECT_TRUE(st.RangeSets[2].Students.empty());
  EXPECT_EQ(st.RangeSets[1].Students[0].Rank, 4);  // the rank within slot 0
}

TEST(BuildRangeSets, TotalsEqualInTheirFifteenDigitTextKeepSlotOrder) {
  CohortBuilder c({"数学"});
  c.Add("1", "甲", "男", {100.0}).Add("2", "乙", "男", {100.0 + 1e-13}).Range("按学号|1-2-|1|1,|");
  model::ProgramState st = testing::Divided(c);
  EXPECT_EQ(Numbers(st.RangeSets[0]), (std::vector<std::string>{"1", "2"}));
}

TEST(BuildRangeSets, TakenNumbersIgnoreLetterCase) {
  CohortBuilder c({"数学"});
  c.Add("a1", "甲", "男", {10}, {}, 1).Add("A1", "乙", "男", {20}, {}, 2);
  c.Range("按学号|1-9-|1|1,|").Range("按学号|1-9-|1|2,|");
  model::ProgramState st = testing::Divided(c);
  EXPECT_EQ(Numbers(st.RangeSets[0]), (std::vector<std::string>{"a1"}));
  EXPECT_TRUE(st.RangeSets[1].Students.empty());
}

}  // namespace
}  // namespace tessaly::engine
