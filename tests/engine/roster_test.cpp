#include "engine/roster.h"

#include <gtest/gtest.h>

#include "cohort_builder.h"

namespace tessaly::engine {
namespace {

using testing::CohortBuilder;
using testing::Gb;

TEST(ClassRoster, OrderedByClassThenTotal) {
  CohortBuilder c({"语文", "数学"}, {"住宿"});
  c.Add("1", "甲", "男", {50, 40}, {"住校"}).Add("2", "乙", "女", {90, 80}, {"走读"});
  c.Add("3", "丙", "男", {70, 60}, {""}).Add("4", "丁", "女", {60, 60}, {"住校"});
  c.Range("按学号|1-4-|2|2,1,|");
  model::ProgramState st = testing::Divided(c);
  // Set order by total: 乙 170, 丙 130, 丁 120, 甲 90.
  testing::Assign(st, 0, {1, 2, 1, 2});
  model::Grid all = ClassRosterOfItem(st, Gb("全部学生"));
  ASSERT_EQ(all.RowCount(), 5u);
  EXPECT_EQ(all.rows[0], (std::vector<std::string>{Gb("序号"), Gb("学号"), Gb("姓名"), Gb("性别"),
                                                   Gb("语文"), Gb("数学"), Gb("总分"), Gb("名次"),
                                                   Gb("住宿"), Gb("新分班级")}));
  // Class 2 comes first: it is the first id of the range row.
  EXPECT_EQ(all.rows[1], (std::vector<std::string>{"1", "3", Gb("丙"), Gb("男"), "70", "60", "130",
                                                   "2", "", "2"}));
  EXPECT_EQ(all.Cell(2, 1), "1");
  EXPECT_EQ(all.Cell(3, 1), "2");
  EXPECT_EQ(all.Cell(4, 1), "4");
  model::Grid one = ClassRosterOfItem(st, Gb("1 班"));
  ASSERT_EQ(one.RowCount(), 3u);
  EXPECT_EQ(one.Cell(1, 2), Gb("乙"));
  EXPECT_EQ(one.Cell(2, 8), Gb("住校"));
  EXPECT_EQ(ClassRosterOfItem(st, Gb("9 班")).RowCount(), 1u);
  EXPECT_EQ(ClassRosterOfItem(st, "x").RowCount(), 1u);
}

}  // namespace
}  // namespace tessaly::engine
