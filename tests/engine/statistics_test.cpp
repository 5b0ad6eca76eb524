#include "engine/statistics.h"

#include <gtest/gtest.h>

#include <random>

#include "engine/cohort_builder.h"
#include "support/fake_user.h"

namespace tessaly::engine {
namespace {

using testing::CohortBuilder;
using testing::FakeUser;
using testing::Gb;

// Eight students in one range of two classes with a balance column.
CohortBuilder EightStudents() {
  CohortBuilder c({"语文", "数学"}, {"住宿"});
  const char* stay[] = {"走读", "住校", "走读", "走读", "住校", "借读", "", "走读"};
  for (int i = 0; i < 8; ++i) {
    c.Add(std::to_string(i + 1), "生", i % 3 ? "男" : "女", {90.0 - 5 * i, 80.0 - 3 * i},
          {stay[i]});
  }
  c.Range("按学号|1-8-|2|5,6,|");
  return c;
}

TEST(ClassStatistics, CountsByPositionWithTrackedValuesAndCountBands) {
  CohortBuilder c = EightStudents();
  c.CountCondition("按学号|1-8-|$数学$大于等于 70$")
      .CountCondition("按学号|1-8-|$总分$大于 150$")
      .CountCondition("按学号|1-8-|$数学$小于 70$")
      .CountCondition("按学号|9-9-|$语文$大于 0$");
  model::ProgramState st = testing::Divided(c);
  testing::Assign(st, 0, {5, 6, 5, 6, 5, 6, 5, -1});
  FakeUser user;
  ClassStatistics stats;
  ASSERT_TRUE(RebuildStatistics(st, user, stats));
  EXPECT_TRUE(user.calls.empty());
  ASSERT_EQ(stats.AverageInfo.size(), 1u);
  EXPECT_EQ(stats.AverageInfo[0].Key, Gb("按学号|1-8-|"));
  ASSERT_EQ(stats.AverageInfo[0].Classes.size(), 3u);
  EXPECT_EQ(stats.AverageInfo[0].Classes[2].ClassId, 6);
  EXPECT_EQ(stats.AverageInfo[0].Classes[2].CountedStudents, 3);

  const AllCountInf& info = stats.CountInfo.at(0);
  EXPECT_EQ(info.GenderCounts[0], (GenderCount{-1, 5, 3}));
  EXPECT_EQ(info.GenderCounts[1], (GenderCount{5, 2, 2}));  // positions 0, 2, 4, 6
  EXPECT_EQ(info.GenderCounts[2], (GenderCount{6, 2, 1}));
  // 借读 is held by one student only and the empty value by nobody tracked.
  const auto& whole = info.ValueCounts[0].Items.at(0);
  EXPECT_EQ(whole.ItemName, Gb("住宿"));
  EXPECT_EQ(whole.Values, (std::vector<JHCountInf3>{{Gb("走读"), 4}, {Gb("住校"), 2}}));
  EXPECT_EQ(info.ValueCounts[1].Items[0].Values,
            (std::vector<JHCountInf3>{{Gb("走读"), 2}, {Gb("住校"), 1}}));
  EXPECT_EQ(info.ValueCounts[2].ClassId, 6);
  EXPECT_EQ(info.ValueCounts[2].Items[0].Values[0].Count, 1);  // the 8th is unplaced
  // Count bands: subjects in order of first appearance, rows of this range.
  EXPECT_EQ(info.BandSubjectCount, 2);
  ASSERT_EQ(info.BandCounts[0].size(), 2u);
  EXPECT_EQ(info.BandCounts[0][0].Subject, Gb("数学"));
  ASSERT_EQ(info.BandCounts[0][0].Bands.size(), 2u);
  // 数学 80 77 74 71 68 65 62 59: four at 70 or more.
  EXPECT_EQ(info.BandCounts[0][0].Bands[0], (FSDCountInf2{Gb("大于等于 70"), 4}));
  EXPECT_EQ(info.BandCounts[1][0].Bands[0].Count, 2);
  EXPECT_EQ(info.BandCounts[2][0].Bands[1].Count, 1);  // 65; 59 is unplaced
  // 总分 170 162 154 146 138 130 122 114: three above 150.
  EXPECT_EQ(info.BandCounts[0][1].Bands[0].Count, 3);
}

TEST(ClassStatistics, MismatchesWarnAndLeaveTheCountsAlone) {
  model::ProgramState st = testing::Divided(EightStudents());
  FakeUser user;
  std::vector<AllCountInf> counts(1);
  counts[0].BandSubjectCount = 42;
  const auto before = counts;
  st.ClassRangeRows.push_back(Gb("按学号|9-9-|1|7,|"));
  EXPECT_FALSE(RebuildCountInfo(st, user, counts));
  st.ClassRangeRows.pop_back();
  st.ClassRangeRows[0] = Gb("按学号|1-8-|3|5,6,|");
  EXPECT_FALSE(RebuildCountInfo(st, user, counts));
  EXPECT_EQ(counts, before);
  EXPECT_EQ(
      user.Messages(),
      (std::vector<std::string>{
          "warning: 请先分班后，再进行此操作。或者您已更改分班类型，需重新分班才能进行此操作。",
          "warning: 分班数量与班级编号个数不一致。请重新分班或恢复原来的设置！"}));
  // Nothing divided: nothing to count, no message.
  st.RangeSets.clear();
  EXPECT_TRUE(RebuildCountInfo(st, user, counts));
  std::vector<PjInf> averages;
  st.ClassRangeRows.clear();
  EXPECT_FALSE(RebuildAverageInfo(st, averages));
  EXPECT_EQ(user.Messages().size(), 2u);
}

TEST(Levels, LastRowWinsAndThreeWithoutRow) {
  model::ProgramState st;
  st.BalanceItemRows = {Gb("数学|2 级|"), Gb("数学|9 级(最高)|"), Gb("性别|4 级|")};
  EXPECT_EQ(ItemLevel(st, Gb("数学")), 9);
  EXPECT_EQ(ItemLevel(st, Gb("语文")), 3);
  st.BandConditionRows = {Gb("按学号|1-8-|$数学$大于 80$1 级(最低)$"),
                          Gb("按学号|1-8-|$数学$大于 80$6 级$")};
  EXPECT_EQ(BandLevel(st, Gb("按学号|1-8-|"), Gb("数学"), Gb("大于 80")), 6);
  EXPECT_EQ(BandLevel(st, Gb("按学号|1-8-|"), Gb("数学"), Gb("大于 90")), 3);
  EXPECT_EQ(BandLevel(st, Gb("按学号|1-9-|"), Gb("数学"), Gb("大于 80")), 3);
}

TEST(Positions, FirstPositionOfAClassId) {
  model::ProgramState st;
  st.ClassRangeRows = {Gb("按学号|1-8-|3|4,7,4,|")};
  EXPECT_EQ(ClassPosition(st, 0, 4), 1);
  EXPECT_EQ(ClassPosition(st, 0, 7), 2);
  EXPECT_EQ(ClassPosition(st, 0, 9), -1);
  EXPECT_EQ(ClassIdAt(st, 0, 3), 4);
  EXPECT_EQ(ClassIdAt(st, 0, 0), -1);
  EXPECT_EQ(ClassIdAt(st, 0, 4), -1);
}

TEST(AverageDeviation, NoValueWhenAClassWouldLoseEveryCountedStudent) {
  CohortBuilder c({"数学"});
  c.Add("1", "甲", "男", {90}).Add("2", "乙", "男", {70}).Add("3", "丙", "男", {0});
  c.Range("按学号|1-3-|2|1,2,|");
  model::ProgramState st = testing::Divided(c);
  testing::Assign(st, 0, {1, 2, 2});
  std::vector<PjInf> info;
  ASSERT_TRUE(RebuildAverageInfo(st, info));
  const auto& s = st.RangeSets[0].Students;
  // As they stand: range 80, classes 90 and 70; subject likewise.
  std::optional<Deviation> now = AverageDeviation(st, info, 0, 1, nullptr, 2, nullptr);
  ASSERT_TRUE(now);
  EXPECT_EQ(*now, (Deviation{3 * 10 + 3 * 10, 3 * 10 + 3 * 10}));
  // Class 1 would keep nobody with a positive total when 甲 goes for 丙.
  EXPECT_FALSE(AverageDeviation(st, info, 0, 1, &s[0], 2, &s[2]));
  // Exchanging 甲 and 乙 mirrors the classes.
  std::optional<Deviation> swapped = AverageDeviation(st, info, 0, 1, &s[0], 2, &s[1]);
  ASSERT_TRUE(swapped);
  EXPECT_EQ(*swapped, *now);
  EXPECT_FALSE(AverageDeviation(st, info, 0, 1, nullptr, 3, nullptr));  // no position 3
}

TEST(HeadcountDeviation, FeaturesCloseToTheirExpectationAddNothing) {
  CohortBuilder c({"数学"});
  for (int i = 0; i < 6; ++i) c.Add(std::to_string(i + 1), "生", i < 4 ? "女" : "男", {50});
  c.Range("按学号|1-6-|2|1,2,|");
  model::ProgramState st = testing::Divided(c);
  testing::Assign(st, 0, {1, 1, 1, 2, 2, 2});  // girls 3 / 1, boys 0 / 2; E 2 and 1
  std::vector<AllCountInf> counts;
  FakeUser user;
  ASSERT_TRUE(RebuildCountInfo(st, user, counts));
  int calls = 0;
  NamesakeGrade grade = [&](const model::student&, std::int32_t cls) {
    ++calls;
    return cls == 2 ? 400.0 : 0.0;
  };
  // Girls: |3 - 2| and |1 - 2| reach 1: 3 * 1 / 2 * 1.5 each; boys |0 - 1|, |2 - 1| likewise 4.5.
  Deviation d = HeadcountDeviation(st, counts, 0, 1, nullptr, 2, nullptr, grade);
  EXPECT_EQ(d, (Deviation{2.25 + 4.5, 2.25 + 4.5}));
  EXPECT_EQ(calls, 0);
  // A girl of class 1 for a boy of class 2: everything on expectation, plus
  // the namesake grade of the girl in class 2.
  const auto& s = st.RangeSets[0].Students;
  d = HeadcountDeviation(st, counts, 0, 1, &s[0], 2, &s[4], grade);
  EXPECT_EQ(d, (Deviation{0, 400}));
  EXPECT_EQ(calls, 2);
}

// The measures of an exchange equal those of the classes after it: the
// headcounts exactly, the averages up to rounding; RefreshClasses brings the
// statistics to the state a rebuild gives.
TEST(SwapMeasures, DescribeThePlacementAfterTheExchange) {
  std::mt19937 rng(99);
  const char* stay[] = {"走读", "住校", "借读", ""};
  CohortBuilder c({"语文", "数学"}, {"住宿"});
  for (int i = 0; i < 30; ++i) {
    c.Add(std::to_string(i + 1), "生", rng() % 2 ? "男" : "女",
          {double(rng() % 100), double(rng() % 100)}, {stay[rng() % 4]});
  }
  c.Range("按学号|1-30-|3|1,2,3,|").CountCondition("按学号|1-30-|$数学$大于 50$");
  c.Band("按学号|1-30-|$数学$大于 50$6 级$").Item("数学|4 级|").Item("住宿|7 级|");
  model::ProgramState st = testing::Divided(c);
  for (auto& s : st.RangeSets[0].Students) s.AssignedClass = 1 + rng() % 3;
  FakeUser user;
  ClassStatistics stats;
  ASSERT_TRUE(RebuildStatistics(st, user, stats));
  auto& students = st.RangeSets[0].Students;
  for (int round = 0; round < 60; ++round) {
    std::size_t x = rng() % students.size(), y = rng() % students.size();
    if (students[x].AssignedClass == students[y].AssignedClass) continue;
    const std::int32_t S = ClassPosition(st, 0, students[x].AssignedClass);
    const std::int32_t T = ClassPosition(st, 0, students[y].AssignedClass);
    const Deviation h =
        HeadcountDeviation(st, stats.CountInfo, 0, S, &students[x], T, &students[y]);
    const auto a = AverageDeviation(st, stats.AverageInfo, 0, S, &students[x], T, &students[y]);
    std::swap(students[x].AssignedClass, students[y].AssignedClass);
    RefreshClasses(st, 0, S, T, stats);
    ClassStatistics rebuilt;
    ASSERT_TRUE(RebuildStatistics(st, user, rebuilt));
    ASSERT_EQ(stats.CountInfo, rebuilt.CountInfo);
    ASSERT_EQ(stats.AverageInfo, rebuilt.AverageInfo);
    EXPECT_EQ(h, HeadcountDeviation(st, stats.CountInfo, 0, S, nullptr, T, nullptr));
    const auto after = AverageDeviation(st, stats.AverageInfo, 0, S, nullptr, T, nullptr);
    ASSERT_EQ(a.has_value(), after.has_value());
    if (a) {
      EXPECT_NEAR(a->dS, after->dS, 1e-9);
      EXPECT_NEAR(a->dT, after->dT, 1e-9);
    }
  }
}

}  // namespace
}  // namespace tessaly::engine
