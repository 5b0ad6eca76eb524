// The fast optimiser against the straightforward reading on random cohorts:
// the same exchanges, progress values and messages, bit for bit.

#include <gtest/gtest.h>

#include <random>

#include "adjust/optimiser.h"
#include "adjust/range_measures.h"
#include "adjust/reference_optimiser.h"
#include "engine/cohort_builder.h"
#include "engine/reference_division.h"
#include "support/fake_user.h"

namespace tessaly::adjust {
namespace {

using testing::CohortBuilder;
using testing::FakeUser;

// A cohort of two or three ranges placed at random, with balance values,
// score bands, count conditions, levels, namesakes and a few pinned
// students.
model::ProgramState RandomCohort(std::mt19937& rnd) {
  CohortBuilder c({"语文", "数学", "英语"}, {"住宿", "特长"});
  const char* stay[] = {"走读", "住校", "", "借读"};
  const char* gift[] = {"美术", "体育", "", "音乐", "书法"};
  const int n = 40 + static_cast<int>(rnd() % 80);
  for (int i = 0; i < n; ++i) {
    std::vector<double> scores;
    for (int j = 0; j < 3; ++j) scores.push_back(rnd() % 9 == 0 ? 0 : 40 + rnd() % 61);
    c.Add(std::to_string(1000 + i), enc::ToUtf8(testing::RandomName(rnd)), rnd() % 2 ? "男" : "女",
          scores, {stay[rnd() % 4], gift[rnd() % 5]});
  }
  const int split = n / 2 + static_cast<int>(rnd() % 10);
  const int k1 = 2 + static_cast<int>(rnd() % 3), k2 = 2 + static_cast<int>(rnd() % 4);
  std::string ids1, ids2;
  for (int k = 1; k <= k1; ++k) ids1 += std::to_string(k) + ",";
  for (int k = 1; k <= k2; ++k) ids2 += std::to_string(k1 + k) + ",";
  const std::string r1 = "按名次|1-" + std::to_string(split) + "-|";
  const std::string r2 = "按名次|" + std::to_string(split + 1) + "-" + std::to_string(n) + "-|";
  c.Range(r1 + std::to_string(k1) + "|" + ids1 + "|")
      .Range(r2 + std::to_string(k2) + "|" + ids2 + "|");
  if (rnd() % 2)
    c.Band(r1 + "$数学$大于 80 且小于等于 100$5 级$").Band(r1 + "$总分$大于等于 200$3 级$");
  if (rnd() % 2) c.Band(r2 + "$英语$小于 60$7 级$");
  if (rnd() % 3)
    c.CountCondition(r1 + "$数学$大于 80 且小于等于 100$").CountCondition(r2 + "$总分$大于 180$");
  if (rnd() % 2) c.CountCondition(r2 + "$语文$大于等于 70 且小于 90$");
  c.Item("性别|" + std::to_string(1 + rnd() % 9) + " 级|").Item("住宿|4 级|").Item("特长|2 级|");
  if (rnd() % 2) c.Item("总分|" + std::to_string(1 + rnd() % 5) + " 级|").Item("数学|6 级|");
  model::ProgramState st = testing::Divided(c);
  for (std::size_t r = 0; r < st.RangeSets.size(); ++r) {
    const int k = r == 0 ? k1 : k2, base = r == 0 ? 1 : k1 + 1;
    for (auto& s : st.RangeSets[r].Students) {
      s.AssignedClass = base + static_cast<int>(rnd() % k);
      if (rnd() % 12 == 0) s.PresetClass = s.AssignedClass;
    }
  }
  if (rnd() % 2) st.InitialSoundPairs = {"z-zh"};
  return st;
}

TEST(OptimiserAgainstReference, SameExchangesProgressAndMessages) {
  std::mt19937 rnd(20261209);
  int changed_runs = 0;
  for (int round = 0; round < 40; ++round) {
    const model::ProgramState start = RandomCohort(rnd);
    for (int option = 0; option < 3; ++option) {
      model::ProgramState fast = start, slow = start;
      FakeUser fu, su;
      const OptimiseResult res = OptimiseDivision(fast, fu, static_cast<OptimiseOption>(option));
      const int ref = testing::ReferenceOptimise(slow, su, option);
      ASSERT_EQ(res.exchanges, ref) << "round " << round << " option " << option;
      ASSERT_EQ(fast.RangeSets, slow.RangeSets) << "round " << round << " option " << option;
      ASSERT_EQ(fu.calls, su.calls);
      ASSERT_EQ(fu.progress, su.progress);
      ASSERT_LE(res.exchanges, res.passes);
      if (ref > 0) ++changed_runs;
    }
  }
  // The cohorts are unbalanced enough that most runs exchange students.
  EXPECT_GT(changed_runs, 60);
}

TEST(RangeMeasures, EqualTheEngineMeasures) {
  std::mt19937 rnd(99);
  for (int round = 0; round < 20; ++round) {
    model::ProgramState st = RandomCohort(rnd);
    FakeUser user;
    engine::ClassStatistics stats;
    ASSERT_TRUE(engine::RebuildStatistics(st, user, stats));
    const engine::SoundRules rules = engine::SoundRulesOf(st);
    for (std::size_t r = 0; r < st.RangeSets.size(); ++r) {
      const auto& set = st.RangeSets[r];
      const RangeMeasures m(st, stats.CountInfo, r);
      const model::RuleList keys = engine::BuildSoundKeys(set, rules);
      const std::int32_t c = model::FirstInteger(model::FieldAt(st.ClassRangeRows[r], '|', 3));
      engine::NamesakeGrade grade = [&](const model::student& s, std::int32_t cls) {
        return engine::SameNameTest(set, keys, static_cast<std::int32_t>(&s - set.Students.data()),
                                    c, cls, rules)
            .graded;
      };
      const auto n = static_cast<std::int32_t>(set.Students.size());
      for (int t = 0; t < 60; ++t) {
        const std::int32_t S = 1 + rnd() % c, T = 1 + rnd() % c;
        const std::int32_t x = rnd() % 5 == 0 ? -1 : rnd() % n, y = rnd() % 5 == 0 ? -1 : rnd() % n;
        const model::student* X = x < 0 ? nullptr : &set.Students[x];
        const model::student* Y = y < 0 ? nullptr : &set.Students[y];
        EXPECT_EQ(m.Headcount(S, x, T, y),
                  engine::HeadcountDeviation(st, stats.CountInfo, r, S, X, T, Y, grade));
        EXPECT_EQ(m.Average(stats.AverageInfo, S, x, T, y),
                  engine::AverageDeviation(st, stats.AverageInfo, r, S, X, T, Y));
      }
    }
  }
}

}  // namespace
}  // namespace tessaly::adjust
