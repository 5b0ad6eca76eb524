// The part "分班约束（同班 / 不同班）" of the second rules page.

#include "rules/group_page.h"

#include <gtest/gtest.h>

#include "rules/page_fixtures.h"
#include "support/fake_user.h"

namespace tessaly::rules {
namespace {

using model::GroupKind;
using testing::FakeUser;

std::string Gb(const std::string& utf8) {
  return enc::FromUtf8(utf8);
}

model::ProgramState Students() {
  return testing::SingleState(testing::NumberedTable("表1", 101, 10));  // 101..110, S0..S9
}

TEST(GroupPage, AddsPastedGroupsAndShowsThemWithNames) {
  model::ProgramState st = Students();
  GroupPage page;
  FakeUser user;
  RefreshGroupGrid(page, st);
  ASSERT_EQ(page.grid.RowCount(), 1u);
  EXPECT_EQ(enc::ToUtf8(page.grid.Cell(0, kGroupStudentsColumn)), "学生");

  // A column copied from a spreadsheet.
  ASSERT_TRUE(AddGroup(page, st, user, GroupKind::kApart, "101\r\n102\r\n103\r\n", Gb("双胞胎")));
  // Several a line, the note on two lines.
  ASSERT_TRUE(AddGroup(page, st, user, GroupKind::kTogether, Gb("104，105 106"), "a\nb"));
  EXPECT_EQ(st.GroupRows,
            (model::RuleList{Gb("不同班|101,102,103,|双胞胎|"), Gb("同班|104,105,106,|a b|")}));
  ASSERT_EQ(page.grid.RowCount(), 3u);
  EXPECT_EQ(enc::ToUtf8(page.grid.Cell(1, kGroupKindColumn)), "不同班");
  EXPECT_EQ(enc::ToUtf8(page.grid.Cell(1, kGroupStudentsColumn)), "101 S0、102 S1、103 S2");
  EXPECT_EQ(enc::ToUtf8(page.grid.Cell(1, kGroupNoteColumn)), "双胞胎");
  EXPECT_TRUE(user.calls.empty());
}

TEST(GroupPage, RefusesUnknownNumbersTooFewAndRepeats) {
  model::ProgramState st = Students();
  GroupPage page;
  FakeUser user;
  ASSERT_TRUE(AddGroup(page, st, user, GroupKind::kApart, "101 102", ""));
  const model::ProgramState before = st;

  EXPECT_FALSE(AddGroup(page, st, user, GroupKind::kApart, "101 999 103 998", ""));
  EXPECT_FALSE(AddGroup(page, st, user, GroupKind::kTogether, "101 101", ""));
  // The same students in another order: the same group.
  EXPECT_FALSE(AddGroup(page, st, user, GroupKind::kApart, "102\n101", Gb("又一次")));
  EXPECT_EQ(st, before);
  EXPECT_EQ(user.Messages(),
            (std::vector<std::string>{"warning: 下列学号在数据表中没有找到，约束没有添加：999、998",
                                      "warning: 一个分班约束至少要有两名学生，约束没有添加。",
                                      "warning: 这个分班约束已经有了，没有重复添加。"}));
  // The other kind over the same students is another group.
  EXPECT_TRUE(AddGroup(page, st, user, GroupKind::kTogether, "102\n101", ""));
}

TEST(GroupPage, DeletesAndEditsNotes) {
  model::ProgramState st = Students();
  GroupPage page;
  FakeUser user;
  ASSERT_TRUE(AddGroup(page, st, user, GroupKind::kApart, "101 102", ""));
  ASSERT_TRUE(AddGroup(page, st, user, GroupKind::kTogether, "103 104", ""));
  EXPECT_TRUE(EditGroupNote(page, st, 2, Gb("兄弟")));
  EXPECT_EQ(st.GroupRows[1], Gb("同班|103,104,|兄弟|"));
  EXPECT_EQ(enc::ToUtf8(page.grid.Cell(2, kGroupNoteColumn)), "兄弟");
  EXPECT_FALSE(EditGroupNote(page, st, 3, "x"));
  EXPECT_FALSE(DeleteGroup(page, st, 0));
  EXPECT_TRUE(DeleteGroup(page, st, 1));
  EXPECT_EQ(st.GroupRows, model::RuleList{Gb("同班|103,104,|兄弟|")});
  EXPECT_EQ(page.grid.RowCount(), 2u);
}

}  // namespace
}  // namespace tessaly::rules
