#include <gtest/gtest.h>

#include "adjust/deep_search.h"

namespace tessaly::adjust {
namespace {

// Two classes of two boys and two girls each, the first class a point
// ahead. A boy for a girl splits the genders; a girl for a girl (+10 to the
// second class) or a boy for a boy (-8) overshoots. Only both together,
// a boy and a girl for a boy and a girl, bring the averages level.
RangeInput LockedRange() {
  RangeInput in;
  in.measures.key = "r";
  in.measures.class_ids = {1, 2};
  in.measures.features = {{stats::MeasureKind::kGender, "男", 3},
                          {stats::MeasureKind::kGender, "女", 3}};
  // class 1: boys 10 10, girls 30 30; class 2: boys 18 18, girls 20 20.
  in.totals = {10, 10, 30, 30, 18, 18, 20, 20};
  in.classes = {1, 1, 1, 1, 2, 2, 2, 2};
  for (std::size_t i = 0; i < in.totals.size(); ++i) {
    in.measures.feature_start.push_back(static_cast<std::int32_t>(i));
    in.measures.feature_ids.push_back(i % 4 < 2 ? 0 : 1);
  }
  in.measures.feature_start.push_back(static_cast<std::int32_t>(in.totals.size()));
  in.scores.assign(in.totals.size(), {});
  in.movable.assign(in.totals.size(), true);
  in.sound_keys.assign(in.totals.size(), "");
  return in;
}

TEST(DeepPolish, PairsTwoExchangesWhereNoSingleOneHelps) {
  const RangeInput in = LockedRange();
  DeepTuning tuning;
  tuning.proposals_per_student = 0;  // the polish alone
  tuning.polish_per_student = 200;

  tuning.compound_share = 0;
  const RangeOutcome single = SearchRange(in, tuning, 5, 60);
  EXPECT_FALSE(single.changed);
  EXPECT_EQ(single.classes, in.classes);

  tuning.compound_share = 1;
  for (std::uint64_t seed : {5u, 6u, 7u}) {
    const RangeOutcome paired = SearchRange(in, tuning, seed, 60);
    ASSERT_TRUE(paired.changed) << seed;
    EXPECT_LT(paired.best_cost, paired.start_cost);
    double sum[2] = {0, 0};
    int boys[2] = {0, 0}, size[2] = {0, 0};
    for (std::size_t i = 0; i < in.totals.size(); ++i) {
      const int k = paired.classes[i] - 1;
      sum[k] += in.totals[i];
      boys[k] += i % 4 < 2 ? 1 : 0;
      ++size[k];
    }
    EXPECT_EQ(size[0], 4);
    EXPECT_EQ(size[1], 4);
    EXPECT_EQ(boys[0], 2);  // the genders stay even
    EXPECT_EQ(sum[0], sum[1]);
  }
}

}  // namespace
}  // namespace tessaly::adjust
