#include "adjust/batch_transfer.h"

#include <gtest/gtest.h>

#include "engine/cohort_builder.h"
#include "platform/encoding.h"
#include "support/fake_user.h"

namespace tessaly::adjust {
namespace {

using testing::CohortBuilder;
using testing::FakeUser;
using testing::Gb;

std::vector<std::string> Row(const BatchGrid& g, std::size_t r) {
  std::vector<std::string> out;
  for (const auto& cell : g.grid.rows.at(r)) out.push_back(enc::ToUtf8(cell));
  return out;
}

TEST(BatchGrid, ResetPasteAndGrow) {
  BatchGrid g;
  ResetBatchGrid(g);
  ASSERT_EQ(g.grid.RowCount(), 10u);
  EXPECT_EQ(Row(g, 0), (std::vector<std::string>{"学号", "姓名", "转入班级", "自动补回的学生"}));
  EXPECT_EQ(Row(g, 9), (std::vector<std::string>{"", "", "", ""}));
  // Three lines at row 9 grow the grid to twelve rows; the final line break
  // adds no line; a line with more fields than columns loses the extra ones.
  PasteIntoBatchGrid(g, Gb("1\t张伟\t3班\r\n2\t王芳\t4\tx\ty\n3\t李娜\r\n"), 9, 0);
  ASSERT_EQ(g.grid.RowCount(), 12u);
  EXPECT_EQ(Row(g, 9), (std::vector<std::string>{"1", "张伟", "3班", ""}));
  EXPECT_EQ(Row(g, 10), (std::vector<std::string>{"2", "王芳", "4", "x"}));
  EXPECT_EQ(Row(g, 11), (std::vector<std::string>{"3", "李娜", "", ""}));
  // Pasting at column 2 keeps only what fits from there.
  PasteIntoBatchGrid(g, "a\tb\tc", 1, 2);
  EXPECT_EQ(Row(g, 1), (std::vector<std::string>{"", "", "a", "b"}));
  EXPECT_EQ(g.grid.RowCount(), 12u);
  // A lone CR ends a line too.
  PasteIntoBatchGrid(g, "7\r8", 2, 0);
  EXPECT_EQ(Row(g, 3)[0], "8");
}

TEST(BatchGrid, DeleteRowsAndClearCells) {
  BatchGrid g;
  ResetBatchGrid(g);
  g.grid.rows.resize(6);
  PasteIntoBatchGrid(g, "1\n2\n3\n4\n5", 1, 0);
  DeleteBatchRows(g, 2, 3);
  ASSERT_EQ(g.grid.RowCount(), 4u);
  EXPECT_EQ(g.grid.rows[1][0], "1");
  EXPECT_EQ(g.grid.rows[2][0], "4");
  EXPECT_EQ(g.grid.rows[3][0], "5");
  // The heading stays, and one row below it.
  DeleteBatchRows(g, 0, 9);
  ASSERT_EQ(g.grid.RowCount(), 2u);
  EXPECT_EQ(enc::ToUtf8(g.grid.rows[0][0]), "学号");
  PasteIntoBatchGrid(g, "1\t2\t3\t4\n5\t6\t7\t8", 1, 0);
  ClearBatchCells(g, 1, 1, 2, 2);
  EXPECT_EQ(Row(g, 1), (std::vector<std::string>{"1", "", "", "4"}));
  EXPECT_EQ(Row(g, 2), (std::vector<std::string>{"5", "", "", "8"}));
}

// One range of two classes: 101..104 in class 1, 105..108 in class 2.
model::ProgramState TwoClasses() {
  CohortBuilder c({"数学"});
  const char* names[] = {"张伟", "王芳", "李娜", "刘洋", "陈静", "杨帆", "赵磊", "黄敏"};
  const double totals[] = {90, 85, 80, 75, 89, 84, 79, 40};
  for (int i = 0; i < 8; ++i) {
    c.Add(std::to_string(101 + i), names[i], i % 2 ? "女" : "男", {totals[i]});
  }
  c.Range("按名次|1-8-|2|1,2,|");
  model::ProgramState st = testing::Divided(c);
  for (auto& s : st.RangeSets[0].Students) s.AssignedClass = std::stoi(s.Number) <= 104 ? 1 : 2;
  return st;
}

const model::student& Find(const model::ProgramState& st, const std::string& number) {
  for (const auto& s : st.RangeSets[0].Students)
    if (s.Number == number) return s;
  throw std::runtime_error("no student " + number);
}

TEST(BatchTransfer, MovesEveryCompleteRowAndWritesTheBackFilled) {
  model::ProgramState st = TwoClasses();
  BatchGrid g;
  ResetBatchGrid(g);
  PasteIntoBatchGrid(g,
                     Gb("101\t张伟\t2班\n"   // moved, someone of class 2 comes back
                        "105\t陈静\t\n"      // incomplete: skipped silently
                        "102\t王芳\t1 班\n"  // already in class 1
                        "109\t无名\t2\n"     // not found
                        "103\t李四\t2\n"     // name differs
                        "104\t刘洋\t7\n"),   // no such class
                     1, 0);
  g.grid.rows[3][3] = "old";
  FakeUser user;
  EXPECT_EQ(bsSkinButton14Click(st, user, g, BatchSettings{}), 2u);
  EXPECT_EQ(Find(st, "101").AssignedClass, 2);
  EXPECT_EQ(Find(st, "101").PresetClass, 2);
  const std::string back = enc::ToUtf8(g.grid.rows[1][3]);
  EXPECT_FALSE(back.empty());
  EXPECT_EQ(g.grid.rows[3][3], "");  // success without back-fill empties it
  EXPECT_EQ(
      user.Messages(),
      (std::vector<std::string>{
          "warning: 您的学号:109 的同学没有找到，请核实后重新输入。调班没能成功！",
          "warning: 您的学号:103和姓名：李四不一致，请核实后重新输入。调班没能成功！",
          "warning: 您的调入班级为:7 当前分班班级中没有这个班号!请核实后重新输入,调班没能成功！"}));
  EXPECT_EQ(user.progress, (std::vector<int>{0, 11, 22, 33, 44, 55, 66, 77, 88, 100}));
  // Class sizes kept by the back-fill.
  int in_two = 0;
  for (const auto& s : st.RangeSets[0].Students) in_two += s.AssignedClass == 2;
  EXPECT_EQ(in_two, 4);
}

TEST(BatchTransfer, WithoutBackFillEveryMovePinsAndColumnThreeIsEmpty) {
  model::ProgramState st = TwoClasses();
  BatchGrid g;
  ResetBatchGrid(g);
  PasteIntoBatchGrid(g, Gb("101\t张伟\t2\t旧\n106\t杨帆\t1\t旧"), 1, 0);
  FakeUser user;
  EXPECT_EQ(bsSkinButton14Click(st, user, g, BatchSettings{false, 20}), 2u);
  EXPECT_EQ(g.grid.rows[1][3], "");
  EXPECT_EQ(g.grid.rows[2][3], "");
  EXPECT_EQ(Find(st, "101").PresetClass, 2);
  EXPECT_EQ(Find(st, "106").PresetClass, 1);
  EXPECT_TRUE(user.Messages().empty());
}

TEST(BatchTransfer, BackFillFindingNobodyFailsSilentlyAndKeepsColumnThree) {
  model::ProgramState st = TwoClasses();
  // 108 (total 40) is 50 points from everyone of class 1.
  BatchGrid g;
  ResetBatchGrid(g);
  PasteIntoBatchGrid(g, Gb("108\t黄敏\t1\t旧"), 1, 0);
  FakeUser user;
  EXPECT_EQ(bsSkinButton14Click(st, user, g, BatchSettings{true, 20}), 0u);
  EXPECT_EQ(enc::ToUtf8(g.grid.rows[1][3]), "旧");
  EXPECT_EQ(Find(st, "108").AssignedClass, 2);
  EXPECT_TRUE(user.Messages().empty());
  // A student pinned by an earlier row is no back-fill candidate of a later
  // one: 105 (89) is pinned into class 1, then 106 (84) goes there too and
  // the class's unpinned 101 (90) to 104 (75) are the only ones to send back.
  ResetBatchGrid(g);
  PasteIntoBatchGrid(g, Gb("105\t陈静\t1\n106\t杨帆\t1"), 1, 0);
  g.grid.rows[1][3] = "x";
  BatchSettings first{false, 20};
  BatchGrid only_first = g;
  only_first.grid.rows.resize(2);
  EXPECT_EQ(bsSkinButton14Click(st, user, only_first, first), 1u);
  BatchGrid second;
  ResetBatchGrid(second);
  PasteIntoBatchGrid(second, Gb("106\t杨帆\t1"), 1, 0);
  EXPECT_EQ(bsSkinButton14Click(st, user, second, BatchSettings{true, 100}), 1u);
  EXPECT_NE(enc::ToUtf8(second.grid.rows[1][3]), "陈静");
  EXPECT_FALSE(second.grid.rows[1][3].empty());
  EXPECT_EQ(Find(st, "105").AssignedClass, 1);
}

}  // namespace
}  // namespace tessaly::adjust
