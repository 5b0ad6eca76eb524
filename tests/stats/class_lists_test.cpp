#include "stats/class_lists.h"

#include <gtest/gtest.h>

#include "engine/cohort_builder.h"

namespace tessaly::stats {
namespace {

using testing::CohortBuilder;
using testing::Gb;

// Two ranges; numbers out of order, one of them not all digits.
model::ProgramState Divided() {
  CohortBuilder c({"语文", "数学"}, {"住校"});
  c.Add("10", "甲", "男", {90, 80}, {"是"});
  c.Add("9", "乙", "女", {70, 0}, {"否"});
  c.Add("A1", "丙", "男", {60, 50}, {"是"});
  c.Add("011", "丁", "女", {50, 40}, {"否"});
  c.Add("5", "戊", "男", {30, 20}, {"是"});
  c.Range("按名次|1-4-|2|1,2,||");
  c.Range("按名次|5-5-|1|3,||");
  model::ProgramState st = testing::Divided(c);
  st.RangeSets[0].TableName = Gb("高一期末");
  st.RangeSets[1].TableName = Gb("高一期末");
  // Set order by total: 甲 170, 乙 70, 丙 110 ... as the range set holds them.
  for (auto& s : st.RangeSets[0].Students)
    s.AssignedClass = (s.Number == "10" || s.Number == "9") ? 1 : 2;
  st.RangeSets[1].Students[0].AssignedClass = 3;
  return st;
}

TEST(ClassLists, EveryClassInNumberOrderWithItsHeading) {
  const model::ProgramState st = Divided();
  EXPECT_EQ(OptionalListColumns(st),
            (std::vector<std::string>{Gb("总分"), Gb("语文"), Gb("数学"), Gb("住校")}));
  const auto lists = BuildClassLists(st, {});
  ASSERT_EQ(lists.size(), 3u);
  EXPECT_EQ(lists[0].title, Gb("高一期末  1 班"));
  EXPECT_EQ(lists[0].facts, Gb("共 2 人    男 1 人    女 1 人"));
  const model::Grid& g = lists[0].table;
  EXPECT_EQ(g.rows[0], (std::vector<std::string>{Gb("序号"), Gb("学号"), Gb("姓名"), Gb("性别")}));
  // 9 before 10: digits by value.
  EXPECT_EQ(g.Cell(1, 1), "9");
  EXPECT_EQ(g.Cell(2, 1), "10");
  EXPECT_EQ(g.Cell(2, 0), "2");
  // 011 (11) before A1 (not a number).
  EXPECT_EQ(lists[1].table.Cell(1, 1), "011");
  EXPECT_EQ(lists[1].table.Cell(2, 1), "A1");
  EXPECT_EQ(lists[2].class_id, 3);
}

TEST(ClassLists, TickedColumnsAndOneClass) {
  const model::ProgramState st = Divided();
  ClassListOptions o;
  o.columns = {Gb("住校"), Gb("数学")};  // shown in the order offered
  o.only_class = 1;
  const auto lists = BuildClassLists(st, o);
  ASSERT_EQ(lists.size(), 1u);
  const model::Grid& g = lists[0].table;
  EXPECT_EQ(g.Cell(0, 4), Gb("数学"));
  EXPECT_EQ(g.Cell(0, 5), Gb("住校"));
  EXPECT_EQ(g.Cell(1, 4), "");  // 乙's missing 数学 stays blank
  EXPECT_EQ(g.Cell(2, 4), "80");
  EXPECT_EQ(g.Cell(2, 5), Gb("是"));
  o.only_class = 7;
  EXPECT_TRUE(BuildClassLists(st, o).empty());
}

TEST(ClassLists, SummaryHasEveryClassAverages) {
  const model::Grid g = ClassAveragesSummary(Divided());
  ASSERT_EQ(g.RowCount(), 4u);
  EXPECT_EQ(g.Cell(0, 6), Gb("语文"));
  EXPECT_EQ(g.Cell(1, 1), Gb("1 班"));
  EXPECT_EQ(g.Cell(1, 2), "2");
  // Class 1: totals 170 and 70 -> 120; 数学 counts 甲's 80 only.
  EXPECT_EQ(g.Cell(1, 5), "120.000");
  EXPECT_EQ(g.Cell(1, 7), "80.000");
  EXPECT_EQ(g.Cell(3, 0), Gb("按名次:5-5"));
}

// The texts of a page that are cells of the table (left aligned).
std::vector<std::string> CellTexts(const model::PrintedPage& page) {
  std::vector<std::string> out;
  for (const auto& t : page.texts) {
    if (t.align == model::TextAlign::kLeft) out.push_back(t.text);
  }
  return out;
}

TEST(ClassLists, PagesContinueLongClassesAndEndWithTheSummary) {
  CohortBuilder c({"语文"});
  for (int i = 1; i <= 50; ++i) c.Add(std::to_string(i), "学生", i % 2 ? "男" : "女", {50.0 + i});
  c.Range("按名次|1-50-|1|4,||");
  model::ProgramState st = testing::Divided(c);
  for (auto& s : st.RangeSets[0].Students) s.AssignedClass = 4;
  const auto lists = BuildClassLists(st, {});
  const auto pages = LayOutClassLists(lists, ClassAveragesSummary(st));
  ASSERT_EQ(pages.size(), 3u);  // 50 students need two pages, then the summary
  EXPECT_EQ(pages[1].texts[0].text, lists[0].title + Gb("（续）"));
  EXPECT_EQ(pages[2].texts[0].text, Gb("各班平均分一览"));
  EXPECT_EQ(pages[2].texts.back().text, Gb("第 3 页  共 3 页"));
  // Every student once, the heading row on every page.
  std::size_t students = 0;
  for (std::size_t p = 0; p < 2; ++p) {
    const auto cells = CellTexts(pages[p]);
    EXPECT_EQ(cells[1], Gb("学号"));
    students += cells.size() / 4 - 1;
    for (const auto& t : pages[p].texts) {
      EXPECT_LE(t.x + t.width, model::kPageWidth);
      EXPECT_LE(t.y + t.height, model::kPageHeight);
    }
  }
  EXPECT_EQ(students, 50u);
}

TEST(ClassLists, AWideTableIsSetSmallerToFitThePage) {
  ClassList wide;
  wide.title = "t";
  for (std::size_t col = 0; col < 12; ++col) wide.table.At(0, col) = Gb("很长的栏目名称");
  wide.table.At(1, 0) = "1";
  const auto pages = LayOutClassLists({wide}, {});
  ASSERT_EQ(pages.size(), 1u);
  double right = 0;
  for (const auto& l : pages[0].lines) right = std::max(right, std::max(l.x1, l.x2));
  EXPECT_LE(right, model::kPageWidth);
  EXPECT_LT(pages[0].texts[2].size, 10.0);
}

}  // namespace
}  // namespace tessaly::stats
