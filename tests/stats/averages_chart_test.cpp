#include "stats/averages_chart.h"

#include <gtest/gtest.h>

#include "engine/cohort_builder.h"

namespace tessaly::stats {
namespace {

using testing::CohortBuilder;
using testing::Gb;

TEST(AveragesChart, EveryClassFromItsRangeInTotalAndEachSubject) {
  CohortBuilder c({"语文", "数学"});
  c.Add("1", "甲", "男", {90, 80});
  c.Add("2", "乙", "女", {70, 0});
  c.Add("3", "丙", "男", {60, 50});
  c.Add("4", "丁", "女", {50, 40});
  c.Add("5", "戊", "男", {10, 10});
  c.Range("按名次|1-4-|3|4,5,6,||");
  c.Range("按名次|5-5-|1|9,||");
  model::ProgramState st = testing::Divided(c);
  // Set order by total: 甲 170, 丙 110, 丁 90, 乙 70; class 6 stays empty.
  testing::Assign(st, 0, {4, 4, 5, 5});
  testing::Assign(st, 1, {9});
  const auto chart = AveragesChart(st);
  ASSERT_EQ(chart.size(), 2u);
  const ChartRange& r = chart[0];
  EXPECT_EQ(r.title, Gb("按名次:1-4"));
  EXPECT_EQ(r.measures, (std::vector<std::string>{Gb("总分"), Gb("语文"), Gb("数学")}));
  EXPECT_EQ(r.class_ids, (std::vector<std::int32_t>{4, 5, 6}));
  // Range: total 110, 语文 67.5, 数学 (80+50+40)/3; class 4: 140, 75, 65;
  // class 5: 80, 60, 40 (乙's missing 数学 not counted).
  EXPECT_DOUBLE_EQ(r.deviation[0][0], 30);
  EXPECT_DOUBLE_EQ(r.deviation[1][0], -30);
  EXPECT_DOUBLE_EQ(r.deviation[0][1], 7.5);
  EXPECT_DOUBLE_EQ(r.deviation[1][2], 40 - 170.0 / 3);
  // The empty class has no bars rather than a fall to zero.
  EXPECT_EQ(r.deviation[2], (std::vector<double>{0, 0, 0}));
  EXPECT_DOUBLE_EQ(r.largest, 30);
  EXPECT_EQ(chart[1].largest, 0);
}

}  // namespace
}  // namespace tessaly::stats
