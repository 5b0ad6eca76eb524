#include "rules/second_rules_page.h"

#include <gtest/gtest.h>

#include "page_fixtures.h"
#include "support/fake_user.h"

namespace tessaly::rules {
namespace {

using testing::FakeUser;
using testing::Gb;
using testing::U8;

struct BandFixture : ::testing::Test {
  model::ProgramState st =
      testing::SingleState(testing::NumberedTable("T", 1, 4, {"语文", "数学", "英语"}, {"住校"}));
  SecondRulesPage p;
  FakeUser user;
  BandPage& b = p.bands;

  void SetUp() override {
    st.ClassRangeRows = {Gb("按名次|1-100-|2|4,5,||"), Gb("按学号|101-250-|3|1,2,3,||")};
    EnterSecondRulesPage(p, st);
    b.range_selected = 0;
  }
  void OneKey(const std::string& a, const std::string& z, const std::string& step) {
    if (!b.condition.one_key) ToggleOneKey(b);
    b.condition.series_start = a;
    b.condition.series_end = z;
    b.condition.series_step = step;
  }
  std::vector<std::string> Rows() const {
    std::vector<std::string> out;
    for (const auto& r : st.BandConditionRows) out.push_back(U8(r));
    return out;
  }
};

TEST_F(BandFixture, EnteringFillsTheBoxesAndAnEmptyGridRow) {
  ASSERT_EQ(b.range_items.size(), 2u);
  EXPECT_EQ(U8(b.range_items[1]), "按学号|101-250-|");
  EXPECT_EQ(b.subject_items.size(), 3u);
  EXPECT_EQ(b.grid.RowCount(), 2u);
  EXPECT_EQ(U8(b.level_text), "3 级");
  EXPECT_TRUE(OneKeyInputsEnabled(b) && TypedInputsEnabled(b));
  ToggleOneKey(b);
  EXPECT_TRUE(OneKeyInputsEnabled(b));
  EXPECT_FALSE(TypedInputsEnabled(b));
}

TEST_F(BandFixture, AllSubjectsWithTypedBoundsGivesOneRowPerSubject) {
  b.subject_choice = SubjectChoice::kAllSubjects;
  b.condition.lower_value = "80";
  b.condition.upper_op = Gb("小于等于");
  b.condition.upper_value = "90";
  ASSERT_TRUE(AddBandConditions(b, st, user));
  EXPECT_EQ(Rows(), (std::vector<std::string>{"按名次|1-100-|$语文$大于 80且小于等于 90$3 级$",
                                              "按名次|1-100-|$数学$大于 80且小于等于 90$3 级$",
                                              "按名次|1-100-|$英语$大于 80且小于等于 90$3 级$"}));
  EXPECT_EQ(b.grid.RowCount(), 4u);
  EXPECT_EQ(U8(b.grid.Cell(2, 1)), "数学");
}

TEST_F(BandFixture, OneKeySeriesOnTheTotalAddedTwiceAppendsOnce) {
  b.subject_choice = SubjectChoice::kTotal;
  OneKey("100", "60", "15");
  ASSERT_TRUE(AddBandConditions(b, st, user));
  ASSERT_TRUE(AddBandConditions(b, st, user));
  ASSERT_EQ(st.BandConditionRows.size(), 3u);
  EXPECT_EQ(Rows()[2], "按名次|1-100-|$总分$大于 60 且小于等于 70$3 级$");
  EXPECT_TRUE(user.calls.empty());
}

TEST_F(BandFixture, FailedTestsAndAnEmptySingleChoiceAddNothing) {
  b.subject_choice = SubjectChoice::kTotal;
  OneKey("60", "100", "0");
  EXPECT_FALSE(AddBandConditions(b, st, user));
  EXPECT_EQ(user.calls.back(), "warning: 间隔分值必须大于0!");
  b.subject_choice = SubjectChoice::kSingle;
  OneKey("60", "100", "20");
  EXPECT_TRUE(AddBandConditions(b, st, user));
  EXPECT_TRUE(st.BandConditionRows.empty());
  EXPECT_EQ(user.calls.size(), 1u);
}

TEST_F(BandFixture, LevelBoxTextIsKeptAndTheMenuWritesTheShortText) {
  b.subject_choice = SubjectChoice::kTotal;
  b.level_text = Gb("1 级(最低)");
  OneKey("60", "100", "50");
  ASSERT_TRUE(AddBandConditions(b, st, user));
  EXPECT_EQ(Rows()[0], "按名次|1-100-|$总分$大于等于 60 且小于 100$1 级(最低)$");
  SelectBandCell(b, 1, 3);
  EXPECT_TRUE(b.level_menu_open);
  SetBandLevel(b, st, 1);
  EXPECT_EQ(Rows()[0], "按名次|1-100-|$总分$大于等于 60 且小于 100$1 级$");
  SelectBandCell(b, 5, 3);  // beyond the list: the item does nothing
  SetBandLevel(b, st, 9);
  EXPECT_EQ(st.BandConditionRows.size(), 1u);
}

TEST_F(BandFixture, BlockDeleteRemovesTheSelectedRows) {
  b.subject_choice = SubjectChoice::kTotal;
  OneKey("0", "50", "10");
  ASSERT_TRUE(AddBandConditions(b, st, user));
  ASSERT_EQ(st.BandConditionRows.size(), 5u);
  SelectBandRows(b, 0, 1);
  EXPECT_FALSE(DeleteBandConditions(b, st, user));
  EXPECT_EQ(user.calls.back(), "warning: 您还没有选择要删除的数据行！");
  SelectBandRows(b, 2, 4);
  ASSERT_TRUE(DeleteBandConditions(b, st, user));
  EXPECT_EQ(Rows(), (std::vector<std::string>{"按名次|1-100-|$总分$大于等于 0 且小于 10$3 级$",
                                              "按名次|1-100-|$总分$大于等于 40 且小于 50$3 级$"}));
  SelectBandRows(b, 2, 9);  // more rows than the list holds
  ASSERT_TRUE(DeleteBandConditions(b, st, user));
  EXPECT_EQ(st.BandConditionRows.size(), 1u);
}

TEST(BalanceItems, FirstVisitAppendsDefaultsInGridOrder) {
  model::ProgramState st =
      testing::SingleState(testing::NumberedTable("T", 1, 2, {"语文", "数学"}, {"住校"}));
  SecondRulesPage p;
  EnterSecondRulesPage(p, st);
  std::vector<std::string> rows;
  for (const auto& r : st.BalanceItemRows) rows.push_back(U8(r));
  EXPECT_EQ(rows, (std::vector<std::string>{"性别|4 级|", "住校|4 级|", "语文|2 级|", "数学|2 级|",
                                            "总分|2 级|"}));
  EXPECT_EQ(p.items.grid.RowCount(), 6u);
  EXPECT_EQ(U8(p.items.grid.Cell(2, 0)), "住校");

  SelectItemCell(p.items, 4, 1);
  EXPECT_TRUE(p.items.level_menu_open);
  SetItemLevel(p.items, st, 9);
  EXPECT_EQ(U8(st.BalanceItemRows[3]), "数学|9 级|");
  SecondRulesPage again;
  EnterSecondRulesPage(again, st);
  EXPECT_EQ(U8(again.items.grid.Cell(4, 1)), "9 级");
  EXPECT_EQ(st.BalanceItemRows.size(), 5u);

  st.ImportedSets[0].Headings.SubjectHeadings.push_back(Gb("物理"));
  EnterSecondRulesPage(again, st);
  ASSERT_EQ(st.BalanceItemRows.size(), 6u);
  EXPECT_EQ(U8(st.BalanceItemRows[5]), "物理|2 级|");
}

TEST(BalanceItems, WithoutTablesOnlyGenderAndTotal) {
  model::ProgramState st;
  SecondRulesPage p;
  EnterSecondRulesPage(p, st);
  ASSERT_EQ(st.BalanceItemRows.size(), 2u);
  EXPECT_EQ(U8(st.BalanceItemRows[0]), "性别|4 级|");
  EXPECT_EQ(U8(st.BalanceItemRows[1]), "总分|2 级|");
  EXPECT_EQ(p.items.grid.RowCount(), 3u);
}

}  // namespace
}  // namespace tessaly::rules
