#include "import/table_list.h"

#include <gtest/gtest.h>

#include "import_test_util.h"

namespace tessaly::testing {
namespace {

using import::ImportOutcome;
using import::NewDivisionDialog;

TEST(NewDivision, EmptiesTablesAndRuleListsButKeepsSameNameRows) {
  Desk desk;
  ASSERT_EQ(desk.Paste({"学号\t姓名\t性别", "1\t甲\t男"}), ImportOutcome::kImported);
  desk.state.RangeSets.resize(2);
  desk.state.ClassRangeRows = {"r"};
  desk.state.InitialSoundPairs = {"z-zh"};
  desk.state.SameNameRows = {"s"};

  const model::ProgramState before = desk.state;
  desk.user.confirm_answers = {false};
  EXPECT_FALSE(import::StartNewDivision(desk.state, desk.page, desk.user));
  EXPECT_EQ(desk.state, before);

  desk.user.confirm_answers = {true};
  EXPECT_TRUE(import::StartNewDivision(desk.state, desk.page, desk.user));
  EXPECT_TRUE(desk.state.ImportedSets.empty());
  EXPECT_TRUE(desk.state.RangeSets.empty());
  EXPECT_TRUE(desk.state.ClassRangeRows.empty());
  EXPECT_TRUE(desk.state.InitialSoundPairs.empty());
  EXPECT_EQ(desk.state.SameNameRows, before.SameNameRows);
  EXPECT_TRUE(desk.page.TableList.empty());
  EXPECT_EQ(desk.page.ScoreView.RowCount(), 0u);
  EXPECT_TRUE(desk.state.DivisionStarted);
  EXPECT_EQ(desk.state.NextSetSlot, 0);
}

TEST(NewDivision, NoConfirmationWithoutTables) {
  model::ProgramState state;
  model::ImportPage page;
  FakeUser user;
  EXPECT_TRUE(import::StartNewDivision(state, page, user));
  EXPECT_TRUE(user.calls.empty());
  EXPECT_TRUE(state.DivisionStarted);
}

TEST(NewDivisionDialog, BoxesExcludeEachOtherAndOneMustBeChecked) {
  model::ProgramState state;
  state.CombineMode = true;
  state.ExpectedSetCount = 5;
  FakeUser user;
  NewDivisionDialog dialog;
  EXPECT_FALSE(dialog.RequestClose(user));
  EXPECT_FALSE(dialog.Accept(state, user));
  EXPECT_EQ(user.Messages(), (std::vector<std::string>{"warning: 请勾选导入成绩的份数！",
                                                       "warning: 请勾选导入成绩的份数！"}));
  EXPECT_EQ(state.ExpectedSetCount, 5);

  dialog.SetCombine(true);
  dialog.SetSingle(true);
  EXPECT_FALSE(dialog.combine());
  dialog.SetCount(7);
  EXPECT_TRUE(dialog.Accept(state, user));
  EXPECT_FALSE(state.CombineMode);
  EXPECT_EQ(state.ExpectedSetCount, 1);  // whatever the count shows

  dialog.SetCombine(true);
  EXPECT_FALSE(dialog.single());
  EXPECT_TRUE(dialog.Accept(state, user));
  EXPECT_TRUE(state.CombineMode);
  EXPECT_EQ(state.ExpectedSetCount, 7);

  dialog.SetCombine(false);
  EXPECT_FALSE(dialog.RequestClose(user));
  dialog.SetCount(1);
  EXPECT_EQ(dialog.count(), 2);
  dialog.SetCount(99);
  EXPECT_EQ(dialog.count(), 20);
}

TEST(TableList, ChoosingAnEntryShowsItsTable) {
  Desk desk(2);
  ASSERT_EQ(desk.Paste({"学号\t姓名\t性别", "1\t甲\t男"}, "一"), ImportOutcome::kImported);
  ASSERT_EQ(desk.Paste({"学号\t姓名\t性别", "2\t乙\t女", "3\t丙\t女"}, "二"),
            ImportOutcome::kImported);
  import::ChooseTable(desk.state, desk.page, 0);
  EXPECT_EQ(desk.page.ScoreView.RowCount(), 2u);
  EXPECT_EQ(desk.page.ScoreView.Cell(1, 1), "1");
  import::ChooseTable(desk.state, desk.page, 1);
  EXPECT_EQ(desk.page.ScoreView.RowCount(), 3u);
}

TEST(TableList, ClearingMovesTheSelectionAndShowsItsTable) {
  Desk desk(2);
  ASSERT_EQ(desk.Paste({"学号\t姓名\t性别", "1\t甲\t男"}, "一"), ImportOutcome::kImported);
  ASSERT_EQ(desk.Paste({"学号\t姓名\t性别", "2\t乙\t女", "3\t丙\t女"}, "二"),
            ImportOutcome::kImported);
  desk.state.ImportedSets[2].IsMainTable = true;

  EXPECT_EQ(import::ClearTable(desk.state, desk.page, desk.user, std::nullopt), std::nullopt);
  EXPECT_EQ(desk.user.Messages(),
            (std::vector<std::string>{"warning: 您还没有选择要清除的数据表!"}));

  // Clearing the last entry selects the remaining one and shows its table.
  EXPECT_EQ(import::ClearTable(desk.state, desk.page, desk.user, 1), 0u);
  EXPECT_EQ(desk.page.ScoreView.Cell(1, 1), "1");
  EXPECT_TRUE(desk.state.ImportedSets[2].IsMainTable);  // kept
  EXPECT_EQ(desk.state.ImportedSets[2].StudentCount, 0);
  EXPECT_EQ(desk.state.NextSetSlot, 2);
  // Clearing the only entry clears the view.
  EXPECT_EQ(import::ClearTable(desk.state, desk.page, desk.user, 0), std::nullopt);
  EXPECT_EQ(desk.page.ScoreView.RowCount(), 0u);
  EXPECT_EQ(desk.state.NextSetSlot, 1);
  EXPECT_TRUE(desk.page.TableList.empty());
}

TEST(TableList, ClearingInSingleTableModeKeepsSlotZero) {
  Desk desk;
  ASSERT_EQ(desk.Paste({"学号\t姓名\t性别", "1\t甲\t男"}, "一"), ImportOutcome::kImported);
  EXPECT_EQ(import::ClearTable(desk.state, desk.page, desk.user, 0), std::nullopt);
  EXPECT_TRUE(desk.page.TableList.empty());
  EXPECT_EQ(desk.state.ImportedSets.at(0).StudentCount, 1);
  EXPECT_EQ(desk.state.NextSetSlot, 0);
}

}  // namespace
}  // namespace tessaly::testing
