#include "engine/evaluation.h"

#include <gtest/gtest.h>

#include <random>

#include "engine/cohort_builder.h"

namespace tessaly::engine {
namespace {

using testing::CohortBuilder;
using testing::Gb;

// One range, two classes, one subject: range averages 100 / 50, class 1 at
// 102 / 51 and class 2 at 98 / 49.
model::ProgramState ScoredCohort() {
  CohortBuilder c({"数学"});
  c.Add("1", "甲", "男", {52}, {})  // Total is the sum of scores: set below
      .Add("2", "乙", "女", {50})
      .Add("3", "丙", "男", {49})
      .Add("4", "丁", "女", {49})
      .Range("按学号|1-4-|2|1,2,|");
  model::ProgramState st = testing::Divided(c);
  // Totals independent of the subject so both averages can be set.
  auto& s = st.RangeSets[0].Students;  // order 52, 50, 49, 49
  s[0].Total = 104, s[0].AssignedClass = 1;
  s[1].Total = 100, s[1].AssignedClass = 1;
  s[2].Total = 98, s[2].AssignedClass = 2;
  s[3].Total = 98, s[3].AssignedClass = 2;
  return st;
}

TEST(ScoreDivision, WorkedExampleScores94) {
  model::ProgramState st = ScoredCohort();
  // Range 100 / 50, class 1 102 / 51, class 2 98 / 49: S = 6, n = 1, C = 2.
  std::optional<double> score = ScoreDivision(st);
  ASSERT_TRUE(score);
  EXPECT_DOUBLE_EQ(*score, 94);
  EXPECT_EQ(ScoreCaption(*score), Gb("分班结果评分：94"));
}

TEST(ScoreDivision, ClassesLikeTheirRangeScore100) {
  model::ProgramState st = ScoredCohort();
  auto& s = st.RangeSets[0].Students;
  s[0].AssignedClass = 1, s[1].AssignedClass = 2, s[2].AssignedClass = 1, s[3].AssignedClass = 2;
  s[0].Scores = {50}, s[1].Scores = {50}, s[2].Scores = {50}, s[3].Scores = {50};
  s[0].Total = 100, s[1].Total = 100, s[2].Total = 100, s[3].Total = 100;
  EXPECT_EQ(ScoreDivision(st), 100.0);
}

TEST(ScoreDivision, EmptyRangesAddNoGapAndNoClassesGiveNoScore) {
  model::ProgramState st = ScoredCohort();
  st.ClassRangeRows.push_back(Gb("按学号|900-999-|2|3,4,|"));
  st.RangeSets.push_back(model::Student_F{});
  // S = 6 over C = 4 classes.
  EXPECT_DOUBLE_EQ(*ScoreDivision(st), 100 - 6 / (2 * 0.5 * 4) * 2);
  st.RangeSets.clear();
  EXPECT_FALSE(ScoreDivision(st));
  model::ProgramState none = ScoredCohort();
  none.ClassRangeRows = {Gb("按学号|1-4-|0||")};
  EXPECT_FALSE(ScoreDivision(none));
}

TEST(SummariseClass, ZeroTotalsAndScoresAreNotCounted) {
  CohortBuilder c({"语文", "数学"});
  c.Add("1", "甲", "男", {80, 0}).Add("2", "乙", "男", {60, 40}).Add("3", "丙", "男", {0, 0});
  c.Range("按学号|1-3-|1|1,|");
  model::ProgramState st = testing::Divided(c);
  testing::Assign(st, 0, {1, 1, 2});
  New_ClassInf one;
  ASSERT_TRUE(SummariseClass(st.RangeSets[0], 1, one));
  EXPECT_EQ(one.CountedStudents, 2);
  EXPECT_DOUBLE_EQ(one.AverageTotal, 90);
  EXPECT_EQ(one.SubjectAverages[0], (SubjectAverage{2, 70}));
  EXPECT_EQ(one.SubjectAverages[1], (SubjectAverage{1, 40}));
  New_ClassInf absent;
  ASSERT_TRUE(SummariseClass(st.RangeSets[0], 2, absent));
  EXPECT_EQ(absent, (New_ClassInf{2, 0, 0, {{0, 0}, {0, 0}}}));
  New_ClassInf untouched{5, 1, 1, {}};
  EXPECT_FALSE(SummariseClass(model::Student_F{}, -1, untouched));
  EXPECT_EQ(untouched, (New_ClassInf{5, 1, 1, {}}));
}

TEST(AverageGap, LevelsWeighTheTotalAndTheSubjects) {
  model::ProgramState st = ScoredCohort();
  st.BalanceItemRows = {Gb("总分|2 级|"), Gb("总分|5 级|")};
  New_ClassInf ref{-1, 100, 4, {{4, 50}}}, cls{1, 102, 2, {{2, 51}}};
  EXPECT_DOUBLE_EQ(AverageGap(ref, cls, false, st), 3);
  EXPECT_DOUBLE_EQ(AverageGap(ref, cls, true, st), 2 * 5 + 1);
  st.BalanceItemRows.push_back(Gb("数学|4 级|"));
  EXPECT_DOUBLE_EQ(AverageGap(ref, cls, true, st), 2 * 5 + 1 * 4);
}

TEST(AverageGap, WithStudentMatchesAddingTheStudentFirst) {
  std::mt19937 rng(7);
  model::ProgramState st = ScoredCohort();
  st.BalanceItemRows = {Gb("总分|3 级|"), Gb("数学|7 级|")};
  const GapWeights w = MakeGapWeights(st, true);
  for (int i = 0; i < 500; ++i) {
    New_ClassInf ref{-1, rng() % 10000 / 7.0, 9, {{5, rng() % 1000 / 3.0}}};
    New_ClassInf cls{
        1, rng() % 10000 / 7.0, int(rng() % 5), {{int(rng() % 5), rng() % 1000 / 3.0}}};
    model::student s = testing::MakeStudent("1", "甲", "男", {double(rng() % 3 ? rng() % 100 : 0)});
    s.Total = rng() % 4 ? rng() % 1000 / 9.0 : 0;
    New_ClassInf with = cls;
    AddToSummary(with, s);
    ASSERT_EQ(AverageGapWithStudent(ref, cls, s, w), AverageGap(ref, with, w));
  }
}

TEST(SummariseClasses, OnePassGivesEachClassSummaryBitForBit) {
  std::mt19937 rng(5);
  for (int round = 0; round < 20; ++round) {
    CohortBuilder c({"语文", "数学", "英语"});
    for (int i = 0; i < 50; ++i) {
      auto score = [&] { return rng() % 4 ? rng() % 1000 / 7.0 : 0.0; };
      c.Add(std::to_string(i + 1), "生", "男", {score(), score(), score()});
    }
    c.Range("按学号|1-50-|4|1,2,3,4,|");
    model::ProgramState st = testing::Divided(c);
    for (auto& s : st.RangeSets[0].Students) s.AssignedClass = int(rng() % 6) - 1;
    const std::vector<std::int32_t> numbers = {-1, 1, 2, 3, 4, 9, 2, -5};
    const std::vector<New_ClassInf> all = SummariseClasses(st.RangeSets[0], numbers);
    ASSERT_EQ(all.size(), numbers.size());
    for (std::size_t i = 0; i < numbers.size(); ++i) {
      New_ClassInf one;
      SummariseClass(st.RangeSets[0], numbers[i], one);
      ASSERT_EQ(all[i], one);
    }
  }
}

TEST(ShowAverages, BlocksOfTwoRangesWithSignedGaps) {
  CohortBuilder c({"数学"});
  c.Add("1", "甲", "男", {51.25}).Add("2", "乙", "男", {50}).Add("3", "丙", "男", {48.75});
  c.Add("9", "丁", "男", {10});
  c.Range("按学号|1-3-|2|1,2,|").Range("按学号|9-9-|1|3,|");
  model::ProgramState st = testing::Divided(c);
  testing::Assign(st, 0, {1, 2, 2});
  testing::Assign(st, 1, {3});
  model::Grid g = ShowAverages(st);
  EXPECT_EQ(g.ColumnCount(), 3u);
  EXPECT_EQ(g.Cell(0, 0), Gb("年级或班级(平均分)"));
  EXPECT_EQ(g.Cell(0, 1), Gb("数学"));
  EXPECT_EQ(g.Cell(0, 2), Gb("总分"));
  EXPECT_EQ(g.Cell(1, 0), Gb("按学号:1-3- 该段整体平均分"));
  EXPECT_EQ(g.Cell(1, 1), "50.000");
  EXPECT_EQ(g.Cell(2, 0), Gb("1 班"));
  EXPECT_EQ(g.Cell(2, 2), "51.250");
  EXPECT_EQ(g.Cell(3, 1), "49.375");
  EXPECT_EQ(g.Cell(4, 0), Gb("均差值(即:年级与班级平均分之差)"));
  EXPECT_EQ(g.Cell(5, 1), "+1.250");
  EXPECT_EQ(g.Cell(6, 2), "-0.625");
  // One empty row, then the second block; a class equal to its range: 0.000.
  EXPECT_TRUE(g.rows[7].empty() || g.Cell(7, 0).empty());
  EXPECT_EQ(g.Cell(8, 0), Gb("年级或班级(平均分)"));
  EXPECT_EQ(g.Cell(12, 0), Gb("3 班"));
  EXPECT_EQ(g.Cell(12, 1), "0.000");
  EXPECT_EQ(g.RowCount(), 13u);
  EXPECT_EQ(ShowAverages(model::ProgramState{}).RowCount(), 0u);
}

TEST(Counting, GenderValuesAndBands) {
  CohortBuilder c({"数学"}, {"住宿"});
  c.Add("1", "甲", "男", {90}, {"走读"}).Add("2", "乙", "女", {60}, {"走读"});
  c.Add("3", "丙", "女", {70}, {"住校"}).Range("按学号|1-3-|2|1,2,|");
  model::ProgramState st = testing::Divided(c);
  testing::Assign(st, 0, {1, 1, 2});  // order 90, 70, 60
  const auto& set = st.RangeSets[0];
  EXPECT_EQ(CountGender(set, Gb("女"), -1), 2);
  EXPECT_EQ(CountGender(set, Gb("女"), 2), 1);
  EXPECT_EQ(CountBalanceValue(set, Gb("住宿"), Gb("走读"), -1), 2);
  EXPECT_EQ(CountBalanceValue(set, Gb("住宿"), Gb("走读"), 1), 1);
  EXPECT_EQ(CountBalanceValue(set, Gb("户口"), Gb("走读"), -1), 0);
  EXPECT_EQ(CountInBand(set, Gb("数学"), -1, Gb("大于等于 60 且小于 70")), 1);
  EXPECT_EQ(CountInBand(set, Gb("总分"), 1, Gb("大于 65")), 2);
  EXPECT_EQ(CountInBand(set, Gb("物理"), -1, Gb("大于 0")), 0);
}

}  // namespace
}  // namespace tessaly::engine
