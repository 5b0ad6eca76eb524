#include "rules/range_page.h"

#include <gtest/gtest.h>

#include "page_fixtures.h"
#include "rules/first_rules_page.h"
#include "support/fake_user.h"

namespace tessaly::rules {
namespace {

using testing::FakeUser;
using testing::Gb;
using testing::U8;

struct RangeFixture : ::testing::Test {
  model::ProgramState st = testing::SingleState(testing::NumberedTable("T", 101, 300));
  FirstRulesPage p;
  FakeUser user;
  RangePage& r = p.ranges;

  void SetUp() override { EnterFirstRulesPage(p, st); }
  bool Add(RangeType type, const std::string& from, const std::string& to, const std::string& count,
           const std::string& ids, const std::string& remark = "") {
    ChooseRangeType(r, type, st, user);
    SetRangeBoxText(r.start, from);
    SetRangeBoxText(r.end, to);
    r.class_count = count;
    r.class_ids = ids;
    r.remark = Gb(remark);
    return AddRange(r, user);
  }
  std::string LastWarning() const { return user.calls.empty() ? "" : user.calls.back(); }
};

TEST_F(RangeFixture, RankRangeFillsTheGridAndPreparesTheNextRange) {
  ASSERT_TRUE(Add(RangeType::kByRank, "1", "100", "2", "4,5,"));
  EXPECT_EQ(U8(r.grid.Cell(1, 0)), "按名次");
  EXPECT_EQ(r.grid.Cell(1, 1), "1-100-");
  EXPECT_EQ(r.grid.Cell(1, 2), "2");
  EXPECT_EQ(r.grid.Cell(1, 3), "4,5,");
  EXPECT_EQ(r.start.text, "101");
  EXPECT_EQ(r.end.text, "");
  EXPECT_EQ(r.class_count, "");
  EXPECT_EQ(r.class_ids, "");
  EXPECT_TRUE(user.calls.empty());
  FakeUser leave_user;
  LeaveFirstRulesPage(p, st, leave_user);
  EXPECT_EQ(U8(st.ClassRangeRows.at(0)), "按名次|1-100-|2|4,5,||");
}

TEST_F(RangeFixture, RankOverlapIsRefusedAndTheNextRankAccepted) {
  ASSERT_TRUE(Add(RangeType::kByRank, "1", "100", "2", "4,5,"));
  EXPECT_FALSE(Add(RangeType::kByRank, "100", "200", "1", "6"));
  EXPECT_EQ(LastWarning(), "warning: 名次不能与前面输入的名次区间重叠！");
  EXPECT_FALSE(Add(RangeType::kByRank, "1", "100", "1", "7"));
  EXPECT_EQ(LastWarning(), "warning: 名次不能与前面输入的名次区间重叠！");
  EXPECT_TRUE(Add(RangeType::kByRank, "101", "200", "1", "8"));
  EXPECT_EQ(r.grid.Cell(2, 1), "101-200-");
}

TEST_F(RangeFixture, CommaIsAppendedToTheIdsBoxEvenWhenALaterTestFails) {
  EXPECT_TRUE(Add(RangeType::kByRank, "1", "50", "3", "1,2,3"));
  EXPECT_EQ(r.grid.Cell(1, 3), "1,2,3,");
  EXPECT_FALSE(Add(RangeType::kByRank, "51", "90", "3", "4,5"));
  EXPECT_EQ(r.class_ids, "4,5,");
  EXPECT_EQ(LastWarning(),
            "warning: 分班个数应该与班级编号的个数一致！不同班级用英文状态下的\",\"隔开");
}

TEST_F(RangeFixture, IdWarningsInTheirOrder) {
  EXPECT_FALSE(Add(RangeType::kByRank, "1", "50", "3", "1,2,1,"));
  EXPECT_EQ(LastWarning(), "warning: 错误!班级编号:1 重复.");
  EXPECT_FALSE(Add(RangeType::kByRank, "1", "50", "3", "1,,3,"));
  EXPECT_EQ(LastWarning(), "warning: 错误，第 2 个班级编号为空！请重新输入");
  EXPECT_EQ(r.focus, Focus::kClassIds);
  ASSERT_TRUE(Add(RangeType::kByRank, "1", "50", "2", "1,2,"));
  EXPECT_FALSE(Add(RangeType::kByRank, "51", "90", "2", "3,2,"));
  EXPECT_EQ(LastWarning(), "warning: 班级编号： 2 ，在学号为：1-50- 的区间内已存在！");
  EXPECT_EQ(r.grid.RowCount(), 2u);
}

TEST_F(RangeFixture, FirstFailingTestWins) {
  EXPECT_FALSE(AddRange(r, user));
  EXPECT_EQ(LastWarning(), "warning: 您还没有选择按学号还是按名次！");
  EXPECT_FALSE(Add(RangeType::kByRank, "1", "", "2", "1,2"));
  EXPECT_EQ(LastWarning(), "warning: 除备注框以外，其它输入框的内容不能为空！");
  EXPECT_EQ(r.class_ids, "1,2");  // the comma comes only after the empty-box test
  EXPECT_FALSE(Add(RangeType::kByRank, "50", "50", "1", "1"));
  EXPECT_EQ(LastWarning(), "warning: 学号或名次顺序不正确（学号或名次小的应该在前面）");
}

TEST_F(RangeFixture, NumberRangesUseTheMainTableNumbers) {
  ChooseRangeType(r, RangeType::kByNumber, st, user);
  ASSERT_EQ(r.start.items.size(), 300u);
  EXPECT_EQ(r.start.items.front(), "101");
  EXPECT_FALSE(Add(RangeType::kByNumber, "101", "999", "1", "1"));
  EXPECT_EQ(LastWarning(), "warning: 学号输入有误!");
  ASSERT_TRUE(Add(RangeType::kByNumber, "101", "250", "3", "1,2,3", "实验班"));
  EXPECT_EQ(r.start.text, "251");  // the entry after the end
  EXPECT_EQ(r.start.selected, 150);
  EXPECT_FALSE(Add(RangeType::kByNumber, "200", "300", "1", "4"));
  EXPECT_EQ(LastWarning(), "warning: 学号不能与前面输入的学号区间重叠！");
  FakeUser leave_user;
  LeaveFirstRulesPage(p, st, leave_user);
  EXPECT_EQ(U8(st.ClassRangeRows.at(0)), "按学号|101-250-|3|1,2,3,|实验班|");
}

TEST_F(RangeFixture, RangeBoxFocusChecks) {
  ChooseRangeType(r, RangeType::kByNumber, st, user);
  r.start.text = "7777";
  RangeBoxLeft(r, r.start, user);
  EXPECT_EQ(LastWarning(), "warning: 学号输入有误！该学号:7777 在导入的学生信息有没有找到!");
  EXPECT_EQ(r.start.text, "");
  ChooseRangeType(r, RangeType::kByRank, st, user);
  EXPECT_TRUE(r.start.items.empty());
  EXPECT_FALSE(RangeBoxKeepsKey(r, 'a'));
  EXPECT_TRUE(RangeBoxKeepsKey(r, '7'));

  model::ProgramState none;
  FirstRulesPage q;
  FakeUser u2;
  EnterFirstRulesPage(q, none);
  ChooseRangeType(q.ranges, RangeType::kByNumber, none, u2);
  EXPECT_EQ(u2.Messages(), std::vector<std::string>{"warning: 请设置哪份成绩为主表!"});
  RangeBoxEntered(q.ranges, q.ranges.start, none, u2);
  EXPECT_EQ(u2.calls.back(), "warning: 您还没有导入学生信息!");
  model::ProgramState unmarked = testing::CombineState({testing::NumberedTable("A", 1, 2)});
  RangeBoxEntered(q.ranges, q.ranges.start, unmarked, u2);
  EXPECT_EQ(u2.calls.back(), "warning: 请设置一份数据表为主表!");
  EXPECT_EQ(q.ranges.focus, Focus::kWeightsGrid);
}

TEST_F(RangeFixture, DeleteMovesRowsUpAndGuardsTheHeading) {
  ASSERT_TRUE(Add(RangeType::kByRank, "1", "10", "1", "1"));
  ASSERT_TRUE(Add(RangeType::kByRank, "11", "20", "1", "2"));
  ASSERT_TRUE(Add(RangeType::kByRank, "21", "30", "1", "3"));
  r.current_row = 0;
  EXPECT_FALSE(DeleteRange(r, user));
  EXPECT_EQ(LastWarning(), "warning: 不能删除标题行！");
  r.current_row = -1;
  EXPECT_FALSE(DeleteRange(r, user));
  EXPECT_EQ(LastWarning(), "warning: 请选择要删除的列后，再点击此按钮！");
  r.current_row = 1;
  EXPECT_TRUE(DeleteRange(r, user));
  EXPECT_EQ(r.grid.RowCount(), 3u);
  EXPECT_EQ(r.grid.Cell(1, 1), "11-20-");
  EXPECT_EQ(r.grid.Cell(2, 1), "21-30-");
  // The ids of the deleted range can be used again.
  EXPECT_TRUE(Add(RangeType::kByRank, "31", "40", "1", "1"));
}

TEST_F(RangeFixture, EnteringRebuildsTheGridFromTheList) {
  st.ClassRangeRows = {Gb("按名次|1-100-|2|4,5,||"), Gb("按学号|101-250-|3|1,2,3,|实验班|")};
  EnterFirstRulesPage(p, st);
  ASSERT_EQ(r.grid.RowCount(), 3u);
  EXPECT_EQ(U8(r.grid.Cell(2, 4)), "实验班");
  FakeUser leave_user;
  LeaveFirstRulesPage(p, st, leave_user);
  EXPECT_EQ(U8(st.ClassRangeRows.at(1)), "按学号|101-250-|3|1,2,3,|实验班|");
}

}  // namespace
}  // namespace tessaly::rules
