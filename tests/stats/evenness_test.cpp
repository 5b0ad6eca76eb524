#include "stats/evenness.h"

#include <gtest/gtest.h>

#include "engine/cohort_builder.h"

namespace tessaly::stats {
namespace {

using testing::CohortBuilder;
using testing::Gb;

// One range of two classes: a missing score, a balance value held once, a
// band on the total and one on a subject the table does not have.
model::ProgramState TwoClasses() {
  CohortBuilder c({"语文", "数学"}, {"住校"});
  c.Add("1", "甲", "男", {90, 80}, {"住校"});
  c.Add("2", "乙", "女", {70, 0}, {"走读"});
  c.Add("3", "丙", "男", {60, 50}, {"住校"});
  c.Add("4", "丁", "男", {50, 40}, {"特招"});
  c.Range("按学号|1-4-|2|7,8,||");
  c.Band("按学号|1-4-|$总分$大于等于 120$5 级$");
  c.Band("按学号|1-4-|$物理$大于 1$5 级$");
  c.CountCondition("按学号|1-4-|$总分$大于等于 120$");  // listed once
  c.Item("性别|6 级|");
  model::ProgramState st = testing::Divided(c);
  // Set order by total: 甲 170, 丙 110, 丁 90, 乙 70.
  testing::Assign(st, 0, {7, 7, 8, 8});
  return st;
}

TEST(Evenness, MeasuresEveryBalancedItemPerClass) {
  const model::ProgramState st = TwoClasses();
  const RangeMeasures m = MeasuresOf(st, 0);
  EXPECT_EQ(m.class_ids, (std::vector<std::int32_t>{7, 8}));
  ASSERT_EQ(m.features.size(), 4u);  // 男, 女, 住校:住校, 总分 band
  EXPECT_EQ(m.features[0].level, 6);
  EXPECT_EQ(m.features[2].label, Gb("住校:住校"));
  EXPECT_EQ(m.features[3].kind, MeasureKind::kBand);
  EXPECT_EQ(m.features[3].level, 5);

  const auto e = MeasureEvenness(st);
  ASSERT_EQ(e.size(), 1u);
  const auto& rows = e[0].rows;
  ASSERT_EQ(rows.size(), 7u);  // total, two subjects, four features
  // Totals: class 7 (170 + 110) / 2 = 140, class 8 (90 + 70) / 2 = 80.
  EXPECT_EQ(rows[0].high, 140);
  EXPECT_EQ(rows[0].high_class, 7);
  EXPECT_EQ(rows[0].low, 80);
  EXPECT_EQ(rows[0].low_class, 8);
  EXPECT_EQ(rows[0].spread(), 60);
  // 数学 of class 8 counts only 丁's 40: 乙's 0 is a missing result.
  EXPECT_EQ(rows[2].low, 40);
  // 男: 2 in class 7, 1 in class 8; 住校: both in class 7.
  EXPECT_EQ(rows[3].spread(), 1);
  EXPECT_EQ(rows[5].high, 2);
  EXPECT_EQ(rows[5].low, 0);
  // Band 总分 >= 120: 甲 only.
  EXPECT_EQ(rows[6].high, 1);
  EXPECT_EQ(rows[6].low_class, 8);
}

TEST(Evenness, TableHasABlockPerRange) {
  model::ProgramState st = TwoClasses();
  st.ClassRangeRows.push_back(Gb("按学号|5-9-|1|9,||"));
  st.RangeSets.push_back(st.RangeSets[0]);
  for (auto& s : st.RangeSets[1].Students) s.AssignedClass = 9;
  const model::Grid g = EvennessTable(st);
  EXPECT_EQ(g.Cell(0, 0), Gb("按学号:1-4- 各班均衡情况"));
  EXPECT_EQ(g.Cell(1, 0), Gb("项目"));
  EXPECT_EQ(g.Cell(1, 5), Gb("差值"));
  EXPECT_EQ(g.Cell(2, 0), Gb("总分"));
  EXPECT_EQ(g.Cell(2, 1), Gb("7 班"));
  EXPECT_EQ(g.Cell(2, 2), "140.000");
  EXPECT_EQ(g.Cell(2, 5), "60.000");
  EXPECT_EQ(g.Cell(5, 5), "1");  // a headcount as a whole number
  // One empty row, then the second range.
  EXPECT_EQ(g.Cell(9, 0), "");
  EXPECT_EQ(g.Cell(10, 0), Gb("按学号:5-9- 各班均衡情况"));
  EXPECT_EQ(g.Cell(12, 5), "0.000");
  EXPECT_TRUE(EvennessTable(model::ProgramState{}).rows.empty());
}

}  // namespace
}  // namespace tessaly::stats
