// Every measure on malformed rules and ragged students: no crash, no read
// outside a record, no division by zero reaching a result.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "engine/cohort_builder.h"
#include "engine/costs.h"
#include "engine/evaluation.h"
#include "engine/statistics.h"
#include "engine/tallies.h"
#include "support/fake_user.h"

namespace tessaly::engine {
namespace {

using testing::CohortBuilder;

TEST(MeasuresOnMalformedInput, StayFiniteAndInBounds) {
  std::mt19937 rng(4242);
  const char* ranges[] = {"按学号|1-40-|2|1,2,|", "按学号|1-40-|0||",     "按学号|1-40-|3|1,2,|",
                          "按学号|1-40-|2|a,b,|", "按名次|1-40-|2|1,1,|", "按名次|40-1-|2|1,2,|",
                          "其他|1-40-|2|1,2,|",   "按学号||||",           "按学号|1-40-|x|1,|"};
  const char* bands[] = {"按学号|1-40-|$数学$大于 50$5 级$", "按学号|1-40-|$$$$",
                         "按学号|1-40-|$总分$$$", "按学号|1-40-|$物理$大于 1$9 级$",
                         "按名次|1-40-|$语文$小于 30$级$"};
  const char* items[] = {"性别|级|", "数学|7 级|", "住宿|0 级|", "总分||", "|4 级|"};
  for (int round = 0; round < 60; ++round) {
    CohortBuilder c({"语文", "数学"}, {"住宿", "住宿"});
    const int n = static_cast<int>(rng() % 12);
    for (int i = 0; i < n; ++i) {
      c.Add(std::to_string(1 + rng() % 40), "某", rng() % 3 ? "男" : "女",
            {double(rng() % 3 ? rng() % 100 : 0), double(rng() % 100)}, {"走读", "住校"},
            rng() % 4 ? -1 : int(rng() % 3));
    }
    for (int k = 0; k < 2; ++k) c.Range(ranges[rng() % 9]);
    for (int k = 0; k < 2; ++k) c.Band(bands[rng() % 5]).CountCondition(bands[rng() % 5]);
    c.Item(items[rng() % 5]);
    model::ProgramState st = testing::Divided(c);
    for (auto& set : st.RangeSets) {
      for (auto& s : set.Students) {
        s.AssignedClass = int(rng() % 4) - 1;
        if (rng() % 5 == 0) s.Scores.pop_back();  // ragged record
        if (rng() % 5 == 0) s.BalanceValues.clear();
      }
    }
    if (rng() % 4 == 0 && !st.RangeSets.empty()) st.RangeSets.pop_back();

    testing::FakeUser user;
    ClassStatistics stats;
    RebuildStatistics(st, user, stats);
    RebuildAverageInfo(st, stats.AverageInfo);
    if (auto score = ScoreDivision(st)) {
      EXPECT_TRUE(std::isfinite(*score));
    }
    ShowAverages(st);
    for (std::size_t r = 0; r < st.RangeSets.size(); ++r) {
      const auto& set = st.RangeSets[r];
      const std::string key = model::RangeKey(st.ClassRangeRows[r]);
      const BalanceValueTallies vt = TallyBalanceValues(set);
      const BandConditionTallies bt = TallyBandConditions(st, key, set);
      RangeTallies t;
      t.Build(st, set, key, static_cast<int>(rng() % 3));
      for (std::size_t p = 0; p < set.Students.size(); ++p) {
        const auto& s = set.Students[p];
        for (int k = -1; k < 3; ++k) {
          for (int y = 0; y < 3; ++y) {
            EXPECT_TRUE(std::isfinite(GenderCost(st, set, s, y, k)));
            EXPECT_TRUE(std::isfinite(BalanceValueCost(st, vt, set, s, y, k)));
            EXPECT_TRUE(std::isfinite(BandCost(st, bt, key, set, s, k, y)));
          }
          const std::int32_t slot = t.Slot(k);
          EXPECT_TRUE(std::isfinite(t.GenderCost(p, slot) + t.BalanceValueCost(p, slot) +
                                    t.BandCost(p, slot)));
        }
        t.Move(p, static_cast<int>(rng() % 3) - 1);
      }
      for (int S = -1; S < 4; ++S) {
        for (int T = -1; T < 4; ++T) {
          const model::student* X = set.Students.empty() ? nullptr : &set.Students.front();
          const model::student* Y = set.Students.empty() ? nullptr : &set.Students.back();
          const Deviation h = HeadcountDeviation(st, stats.CountInfo, r, S, X, T, Y);
          EXPECT_TRUE(std::isfinite(h.dS) && std::isfinite(h.dT));
          if (auto a = AverageDeviation(st, stats.AverageInfo, r, S, X, T, Y)) {
            EXPECT_TRUE(std::isfinite(a->dS) && std::isfinite(a->dT));
          }
          RefreshClasses(st, r, S, T, stats);
        }
      }
    }
  }
}

}  // namespace
}  // namespace tessaly::engine
