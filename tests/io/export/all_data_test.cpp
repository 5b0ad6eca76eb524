// Copying result tables: one table (whole or selected cells) and all result
// tables as one block of table text.

#include "io/export/all_data.h"

#include <gtest/gtest.h>

#include "engine/evaluation.h"
#include "engine/names/same_names.h"
#include "engine/roster.h"
#include "io/export/export_fixture.h"
#include "support/fake_user.h"

namespace tessaly::io::exports {
namespace {

using testing::ExportState;
using testing::Gb;

const char* const kCopied = "information: 已复制成功！请打开Excel，选择粘贴即可。";

TEST(CollectAllData, TheFourTablesFollowEachOtherInTheirOrder) {
  model::ProgramState state = ExportState();
  const model::ProgramState before = state;
  testing::FakeUser user;
  AllDataTables tables;
  const std::string text = CollectAllData(state, user, std::nullopt, &tables);

  EXPECT_EQ(tables.roster, engine::ClassRoster(before, std::nullopt));
  EXPECT_EQ(tables.averages, engine::ShowAverages(before));
  EXPECT_EQ(tables.same_names, engine::ShowSameNames(before));
  EXPECT_EQ(text, TableText(tables.roster) + TableText(tables.averages) +
                      TableText(tables.same_names) + TableText(tables.statistics));
  // No blank line between the tables: the averages' heading row follows the
  // roster's last student.
  const std::string last_student = TableText(model::Grid{{tables.roster.rows.back()}});
  const std::string averages_heading = TableText(model::Grid{{tables.averages.rows.front()}});
  EXPECT_NE(text.find(last_student + averages_heading), std::string::npos);
  EXPECT_EQ(user.progress, (std::vector<int>{0, 10, 20, 30, 50, 70, 80, 90, 100}));
  EXPECT_TRUE(user.Messages().empty());
}

TEST(CollectAllData, TheRosterShowsTheChosenClassOrEveryStudent) {
  model::ProgramState state = ExportState();
  testing::FakeUser user;
  AllDataTables all, one;
  CollectAllData(state, user, std::nullopt, &all);
  EXPECT_EQ(all.roster.RowCount(), 9u);  // heading + eight students
  CollectAllData(state, user, Gb("2 班"), &one);
  ASSERT_EQ(one.roster.RowCount(), 3u);
  EXPECT_EQ(one.roster, engine::ClassRoster(state, 2));
  EXPECT_EQ(one.roster.rows[1][2], Gb("李娜"));
  EXPECT_EQ(one.roster.rows[2][2], Gb("张伟"));
}

TEST(CopyTable, TheWholeTableOrTheSelectionGoesToTheClipboard) {
  model::Grid grid;
  grid.rows = {{"序号", "姓名"}, {"1", "张伟"}, {"2"}};
  model::MemoryClipboard clipboard("old");
  testing::FakeUser user;
  CopyTable(grid, true, CellRange{1, 1, 1, 1}, clipboard, user);
  EXPECT_EQ(clipboard.GetText(), "序号\t姓名\t\r\n1\t张伟\t\r\n2\t\t\r\n");
  CopyTable(grid, false, CellRange{1, 1, 1, 1}, clipboard, user);
  EXPECT_EQ(clipboard.GetText(), "张伟\t\r\n");
  EXPECT_EQ(user.Messages(), (std::vector<std::string>{kCopied, kCopied}));
}

TEST(CopyAllData, TheClipboardHoldsTheAllDataText) {
  model::ProgramState state = ExportState();
  model::ProgramState copy = state;
  testing::FakeUser user, quiet;
  model::MemoryClipboard clipboard;
  bsSkinButton15Click(state, user, clipboard);
  EXPECT_EQ(clipboard.GetText(), CollectAllData(copy, quiet));
  EXPECT_EQ(user.Messages(), std::vector<std::string>{kCopied});
}

}  // namespace
}  // namespace tessaly::io::exports
