#include "engine/costs.h"

#include <gtest/gtest.h>

#include <random>

#include "engine/cohort_builder.h"
#include "engine/tallies.h"

namespace tessaly::engine {
namespace {

using testing::CohortBuilder;
using testing::Gb;

// 40 students in one range of four classes, 18 of them girls; the first
// four girls sit in class 1.
model::ProgramState GirlsCohort(const char* gender_row) {
  CohortBuilder c({"数学"});
  for (int i = 0; i < 40; ++i) {
    c.Add(std::to_string(100 + i), "学生", i < 18 ? "女" : "男", {100.0 - i});
  }
  c.Range("按学号|100-139-|4|1,2,3,4,|");
  if (gender_row != nullptr) c.Item(gender_row);
  model::ProgramState st = testing::Divided(c);
  int girls_in_1 = 0;
  for (auto& s : st.RangeSets[0].Students) {
    if (s.Gender == Gb("女") && girls_in_1 < 4) {
      s.AssignedClass = 1;
      ++girls_in_1;
    }
  }
  return st;
}

TEST(GenderCost, SharesAndLevelsOfTheWorkedExample) {
  model::ProgramState st = GirlsCohort(nullptr);
  const auto& set = st.RangeSets[0];
  model::student girl = testing::MakeStudent("999", "新", "女", {50});
  EXPECT_DOUBLE_EQ(GenderCost(st, set, girl, 4, 1), 7.2);
  model::ProgramState st4 = GirlsCohort("性别|4 级|");
  EXPECT_DOUBLE_EQ(GenderCost(st4, st4.RangeSets[0], girl, 4, 1), 9.6);
  // A boy only sees the boys already in the class: none.
  model::student boy = testing::MakeStudent("998", "新", "男", {50});
  EXPECT_EQ(GenderCost(st, set, boy, 4, 1), 0);
  // The first girl placed into an empty class costs nothing.
  EXPECT_EQ(GenderCost(st, set, girl, 4, 2), 0);
}

TEST(GenderCost, LaterItemRowWins) {
  model::ProgramState st = GirlsCohort("性别|2 级|");
  st.BalanceItemRows.push_back(Gb("性别|6 级|"));
  model::student girl = testing::MakeStudent("999", "新", "女", {50});
  EXPECT_DOUBLE_EQ(GenderCost(st, st.RangeSets[0], girl, 4, 1), 4.0 / 5 * 6 * 3);
}

TEST(TallyBalanceValues, CountsNonEmptyValuesInOrderOfFirstOccurrence) {
  CohortBuilder c({"数学"}, {"住宿"});
  const char* values[] = {"走读", "住校", "走读", "", "住校", "走读"};
  for (int i = 0; i < 6; ++i) c.Add(std::to_string(i + 1), "甲", "男", {1}, {values[i]});
  BalanceValueTallies t = TallyBalanceValues(c.Table());
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0], (model::RuleList{Gb("走读|3|"), Gb("住校|2|")}));
}

TEST(BalanceValueCost, OnlySharedNonEmptyValuesArePriced) {
  CohortBuilder c({"数学"}, {"住宿"});
  c.Add("1", "甲", "男", {90}, {"走读"})
      .Add("2", "乙", "男", {80}, {"走读"})
      .Add("3", "丙", "男", {70}, {"住校"})
      .Add("4", "丁", "男", {60}, {""})
      .Range("按学号|1-4-|2|1,2,|");
  model::ProgramState st = testing::Divided(c);
  auto& set = st.RangeSets[0];
  testing::Assign(st, 0, {1, 2, 1, 1});  // 走读 in 1, 走读 in 2, 住校 in 1, empty in 1
  BalanceValueTallies t = TallyBalanceValues(set);
  // 走读: g 2, share 1, one already in class 1: 1 / 1 * 3 * 3.
  EXPECT_DOUBLE_EQ(BalanceValueCost(st, t, set, set.Students[1], 2, 1), 9);
  // 住校 is held by one student only, the empty value by nobody priced.
  EXPECT_EQ(BalanceValueCost(st, t, set, set.Students[2], 2, 1), 0);
  EXPECT_EQ(BalanceValueCost(st, t, set, set.Students[3], 2, 1), 0);
}

TEST(BandCost, RowsOfOtherRangesAndUnknownSubjectsAddNothing) {
  CohortBuilder c({"数学"});
  for (int i = 0; i < 8; ++i) c.Add(std::to_string(i + 1), "甲", "男", {95.0 - 5 * i});
  c.Range("按学号|1-8-|2|1,2,|")
      .Band("按学号|1-8-|$数学$大于等于 80 且小于 100$5 级$")
      .Band("按学号|9-20-|$数学$大于等于 0 且小于 100$9 级$")
      .Band("按学号|1-8-|$物理$大于等于 0 且小于 100$9 级$");
  model::ProgramState st = testing::Divided(c);
  auto& set = st.RangeSets[0];  // 95 90 85 80 75 70 65 60
  testing::Assign(st, 0, {1, 1, -1, -1, -1, -1, -1, -1});
  const std::string key = model::RangeKey(st.ClassRangeRows[0]);
  BandConditionTallies t = TallyBandConditions(st, key, set);
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0], (BandConditionTally{4, 0}));
  EXPECT_EQ(t[1], (BandConditionTally{0, 0}));
  EXPECT_EQ(t[2], (BandConditionTally{0, -1}));
  // 85 meets the band; class 1 holds two who do: 2 / ceil(4 / 2) * 15.
  EXPECT_DOUBLE_EQ(BandCost(st, t, key, set, set.Students[2], 1, 2), 15);
  // 75 does not meet it and pays nothing, however full class 1 is.
  EXPECT_EQ(BandCost(st, t, key, set, set.Students[4], 1, 2), 0);
  EXPECT_EQ(BandCost(st, t, key, set, set.Students[2], 2, 2), 0);

  // A level beyond any the rules page offers (read from a division file)
  // weighs as written, in both forms, instead of overflowing the weight.
  st.BandConditionRows[0] = Gb("按学号|1-8-|$数学$大于等于 80 且小于 100$2147483647 级$");
  t = TallyBandConditions(st, key, set);
  const double huge = 2.0 / 2 * (2147483647.0 * 3);
  EXPECT_EQ(BandCost(st, t, key, set, set.Students[2], 1, 2), huge);
  RangeTallies fast;
  fast.Build(st, set, key, 2);
  EXPECT_EQ(fast.BandCost(2, fast.Slot(1)), huge);
}

TEST(RangeTallies, SlotsOfTheRangeIdsFollowLaterPlacements) {
  model::ProgramState st = GirlsCohort(nullptr);
  auto& set = st.RangeSets[0];
  for (auto& s : set.Students) s.AssignedClass = -1;
  RangeTallies t;
  t.Build(st, set, model::RangeKey(st.ClassRangeRows[0]), 4, {1, 2, 3, 4});
  const std::int32_t slot = t.Slot(2);
  EXPECT_NE(slot, RangeTallies::kEmptyClass);
  std::size_t girl = 0;
  while (set.Students[girl].Gender != Gb("女")) ++girl;
  EXPECT_EQ(t.GenderCost(girl, slot), 0);
  for (std::size_t p = 0; p < set.Students.size(); ++p) {
    if (p != girl && set.Students[p].Gender == Gb("女")) {
      t.Place(p, 2);
      break;
    }
  }
  EXPECT_DOUBLE_EQ(t.GenderCost(girl, slot), 1.0 / 5 * 3 * 3);
  EXPECT_EQ(t.Slot(7), RangeTallies::kEmptyClass);
  EXPECT_EQ(t.GenderCost(girl, t.Slot(-1)), 18.0 / 5 * 3 * 3);
}

// The running tallies must price exactly as the counting forms do, for every
// student and class, through any sequence of placements.
TEST(RangeTallies, SameNumbersAsTheCountingCostsOnRandomCohorts) {
  std::mt19937 rng(20261209);
  const char* genders[] = {"男", "女"};
  // A value holding the row separator makes tally rows read oddly; the
  // running tallies must read them the same way.
  const char* stays[] = {"走读", "住校", "", "借读", "走|读", "走"};
  const char* groups[] = {"A", "B", "C", "D", "E", "F", "G"};
  int priced = 0;
  for (int round = 0; round < 8; ++round) {
    // Two balance columns of the same heading exercise the first-column rule.
    CohortBuilder c({"语文", "数学", "数学"}, {"住宿", "组", "住宿"});
    const int n = 20 + static_cast<int>(rng() % 40);
    for (int i = 0; i < n; ++i) {
      c.Add(std::to_string(i + 1), "某", genders[rng() % 2],
            {double(rng() % 101), double(rng() % 101), double(rng() % 101)},
            {stays[rng() % 6], groups[rng() % 7], stays[rng() % 6]});
    }
    const int Y = 2 + static_cast<int>(rng() % 5);
    std::string ids;
    for (int k = 1; k <= Y; ++k) ids += std::to_string(10 + k) + ",";
    c.Range("按学号|1-1000-|" + std::to_string(Y) + "|" + ids + "|")
        .Band("按学号|1-1000-|$数学$大于等于 40 且小于 70$5 级$")
        .Band("按学号|1-1000-|$总分$大于 150$7 级$")
        .Band("按学号|5-6-|$语文$大于 10$2 级$")
        .Band("按学号|1-1000-|$英语$大于 10$2 级$")
        .Band("按学号|1-1000-|$语文$小于 30$1 级(最低)$");
    if (round % 2) c.Item("性别|5 级|").Item("组|7 级|");
    model::ProgramState st = testing::Divided(c);
    model::Student_F& set = st.RangeSets[0];
    for (auto& s : set.Students) s.AssignedClass = rng() % 3 ? 10 + 1 + int(rng() % Y) : -1;
    const std::string key = model::RangeKey(st.ClassRangeRows[0]);

    RangeTallies fast;
    fast.Build(st, set, key, Y);
    for (int step = 0; step < 25; ++step) {
      // Change one student's class: place, move or remove.
      std::size_t pos = rng() % set.Students.size();
      int to = rng() % 4 ? 10 + 1 + int(rng() % Y) : -1;
      set.Students[pos].AssignedClass = to;
      if (to < 0) {
        fast.Remove(pos);
      } else if (step % 2) {
        fast.Move(pos, to);
      } else {
        fast.Place(pos, to);
      }
      const BalanceValueTallies vt = TallyBalanceValues(set);
      const BandConditionTallies bt = TallyBandConditions(st, key, set);
      for (std::size_t p = 0; p < set.Students.size(); p += 4) {
        for (int k = 9; k <= 10 + Y + 1; ++k) {
          const int cls = k == 9 ? -1 : k;  // -1: the whole range
          const auto& s = set.Students[p];
          const std::int32_t slot = fast.Slot(cls);
          ASSERT_EQ(fast.GenderCost(p, slot), GenderCost(st, set, s, Y, cls));
          ASSERT_EQ(fast.BalanceValueCost(p, slot), BalanceValueCost(st, vt, set, s, Y, cls));
          const double band = BandCost(st, bt, key, set, s, cls, Y);
          ASSERT_EQ(fast.BandCost(p, slot), band);
          priced += band > 0 && BalanceValueCost(st, vt, set, s, Y, cls) > 0;
        }
      }
    }
  }
  EXPECT_GT(priced, 100);  // the comparison saw real prices, not zeros
}

}  // namespace
}  // namespace tessaly::engine
