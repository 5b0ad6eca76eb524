#include "rules/first_rules_page.h"

#include <gtest/gtest.h>

#include "page_fixtures.h"
#include "support/fake_user.h"

namespace tessaly::rules {
namespace {

using testing::FakeUser;
using testing::Gb;
using testing::U8;

model::ProgramState ThreeTables() {
  return testing::CombineState({testing::NumberedTable("期中", 1, 5),
                                testing::NumberedTable("期末", 101, 5),
                                testing::NumberedTable("月考", 201, 5)});
}

// Types a weight into row `row` as the grid would receive it.
void TypeWeight(FirstRulesPage& p, int row, const std::string& text, FakeUser& user) {
  SelectWeightCell(p.weights, row, 1);
  WeightKeyUp(p.weights, text, user);
}

TEST(WeightsPage, CombineModeShowsWeightsAndRoles) {
  model::ProgramState st = ThreeTables();
  st.ImportedSets[1].WeightPercent = 50;
  st.ImportedSets[2].IsMainTable = true;
  FirstRulesPage p;
  EnterFirstRulesPage(p, st);
  ASSERT_EQ(p.weights.grid.RowCount(), 4u);
  EXPECT_EQ(U8(p.weights.grid.Cell(1, 0)), "期中");
  EXPECT_EQ(p.weights.grid.Cell(1, 1), "50 %");
  EXPECT_EQ(p.weights.grid.Cell(2, 1), " %");
  EXPECT_EQ(U8(p.weights.grid.Cell(1, 2)), "参考表");
  EXPECT_EQ(U8(p.weights.grid.Cell(2, 2)), "主表");
}

TEST(WeightsPage, FiftyThirtyTwentyWithSecondAsMainIsStoredSilently) {
  model::ProgramState st = ThreeTables();
  FirstRulesPage p;
  FakeUser user;
  EnterFirstRulesPage(p, st);
  TypeWeight(p, 1, "50", user);
  TypeWeight(p, 2, "30%", user);
  TypeWeight(p, 3, "20", user);
  SelectWeightCell(p.weights, 2, 2);
  EXPECT_TRUE(p.weights.role_menu_open);
  ChooseMainTable(p.weights, p.ranges, st);
  LeaveFirstRulesPage(p, st, user);
  EXPECT_TRUE(user.calls.empty());
  EXPECT_EQ(st.ImportedSets[1].WeightPercent, 50);
  EXPECT_EQ(st.ImportedSets[2].WeightPercent, 30);
  EXPECT_EQ(st.ImportedSets[3].WeightPercent, 20);
  EXPECT_FALSE(st.ImportedSets[1].IsMainTable);
  EXPECT_TRUE(st.ImportedSets[2].IsMainTable);
  EXPECT_FALSE(st.ImportedSets[3].IsMainTable);
}

TEST(WeightsPage, EmptiedCellCountsMinusOneAndWarnsAboutTheSum) {
  model::ProgramState st =
      testing::CombineState({testing::NumberedTable("A", 1, 2), testing::NumberedTable("B", 1, 2)});
  st.ImportedSets[1].IsMainTable = true;
  FirstRulesPage p;
  FakeUser user;
  EnterFirstRulesPage(p, st);
  TypeWeight(p, 1, "60", user);
  TypeWeight(p, 2, "", user);
  LeaveFirstRulesPage(p, st, user);
  EXPECT_EQ(st.ImportedSets[1].WeightPercent, 60);
  EXPECT_EQ(st.ImportedSets[2].WeightPercent, 0);
  EXPECT_EQ(user.Messages(), std::vector<std::string>{"warning: 各份成绩比例之和应该为：100%!"});
}

TEST(WeightsPage, AboveHundredIsEmptiedAtOnceAndHundredKept) {
  model::ProgramState st = ThreeTables();
  FirstRulesPage p;
  FakeUser user;
  EnterFirstRulesPage(p, st);
  TypeWeight(p, 1, "150", user);
  EXPECT_EQ(p.weights.grid.Cell(1, 1), "");
  ASSERT_EQ(user.calls.size(), 1u);
  EXPECT_EQ(user.calls[0],
            "warning: 该值无效！该单元格数值应该介于1-100之间（表示该份成绩折合时，\r"
            "在所有成绩中所占的百分比）！同时，该列数值之和应等于100。");
  TypeWeight(p, 1, "100", user);
  EXPECT_EQ(p.weights.grid.Cell(1, 1), "100");
  EXPECT_EQ(user.calls.size(), 1u);
}

TEST(WeightsPage, ReferenceOnTheMainRowLeavesNoMainTableAndBothWarningsInOrder) {
  model::ProgramState st = ThreeTables();
  st.ImportedSets[1].IsMainTable = true;
  FirstRulesPage p;
  FakeUser user;
  EnterFirstRulesPage(p, st);
  SelectWeightCell(p.weights, 1, 2);
  ChooseReferenceTable(p.weights);
  LeaveFirstRulesPage(p, st, user);
  EXPECT_EQ(user.Messages(), (std::vector<std::string>{"warning: 您还没有选择哪份成绩表为主表!",
                                                       "warning: 各份成绩比例之和应该为：100%!"}));
  for (int j = 1; j <= 3; ++j) EXPECT_FALSE(st.ImportedSets[j].IsMainTable);
}

TEST(WeightsPage, SingleTableModeShowsHundredAndTakesNoInput) {
  model::ProgramState st = testing::SingleState(testing::NumberedTable("全年级", 1, 3));
  st.ImportedSets[0].WeightPercent = 100;
  FirstRulesPage p;
  FakeUser user;
  EnterFirstRulesPage(p, st);
  EXPECT_EQ(p.weights.grid.RowCount(), 2u);
  EXPECT_EQ(p.weights.grid.Cell(1, 1), "100%");
  EXPECT_EQ(U8(p.weights.grid.Cell(1, 2)), "主表");
  SelectWeightCell(p.weights, 1, 1);
  EXPECT_FALSE(p.weights.editing);
  LeaveFirstRulesPage(p, st, user);
  EXPECT_EQ(st.ImportedSets[0].WeightPercent, 100);
  EXPECT_TRUE(user.calls.empty());
}

TEST(WeightsPage, SoundBoxesRoundTripThroughTheLists) {
  model::ProgramState st = testing::SingleState(testing::NumberedTable("T", 1, 3));
  FirstRulesPage p;
  FakeUser user;
  EnterFirstRulesPage(p, st);
  p.weights.initial_ticked[3] = true;  // h-f
  p.weights.final_ticked[2] = true;    // en-eng
  LeaveFirstRulesPage(p, st, user);
  EXPECT_EQ(st.InitialSoundPairs, model::RuleList{"h-f"});
  EXPECT_EQ(st.FinalSoundPairs, model::RuleList{"en-eng"});
  FirstRulesPage again;
  EnterFirstRulesPage(again, st);
  EXPECT_EQ(again.weights.initial_ticked, (std::array<bool, 5>{false, false, false, true, false}));
  EXPECT_EQ(again.weights.final_ticked, (std::array<bool, 5>{false, false, true, false, false}));
}

TEST(WeightsPage, NewMainTableRefillsNumberBoxes) {
  model::ProgramState st = ThreeTables();
  st.ImportedSets[1].IsMainTable = true;
  FirstRulesPage p;
  FakeUser user;
  EnterFirstRulesPage(p, st);
  ChooseRangeType(p.ranges, RangeType::kByNumber, st, user);
  EXPECT_EQ(p.ranges.start.items.front(), "1");
  SelectWeightCell(p.weights, 3, 2);
  ChooseMainTable(p.weights, p.ranges, st);
  EXPECT_EQ(p.ranges.start.items.front(), "201");
  EXPECT_EQ(p.ranges.end.items.size(), 5u);
  EXPECT_EQ(U8(p.weights.grid.Cell(1, 2)), "参考表");
}

}  // namespace
}  // namespace tessaly::rules
