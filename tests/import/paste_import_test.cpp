#include <gtest/gtest.h>

#include "import/import_commands.h"
#include "import/table_list.h"
#include "import_test_util.h"
#include "model/number_format.h"

namespace tessaly::testing {
namespace {

using import::ImportOutcome;

const char* const kGenderError = " ，该同学性别填写有误!导入失败！请修改后重新复制";

TEST(PasteImport, ReadsEveryFieldOfAnAcceptedTable) {
  Desk desk;
  ASSERT_EQ(desk.Paste({" 学　号 \t姓 名\t性别\tkemu语文\tKeMu数学\tjunHeng 班级\t备注\t\t预设班级",
                        "1001\t张三\t男\t85.5分\t缺考\t一班\t住校\t\t3班",
                        "1002\t李四四\t女\t90\t92\t二班\t\t\t",
                        "\t\t男\t50\t50\t\t\t\t",  // no name: skipped
                        "1003\t王五\t女\t100\t77.5\t一班\t走读\tx\t第12班"},
                       "期中"),
            ImportOutcome::kImported);
  EXPECT_TRUE(desk.user.Messages().empty());
  const model::Student_F& t = desk.state.ImportedSets.at(0);
  ASSERT_EQ(desk.state.ImportedSets.size(), 1u);
  EXPECT_TRUE(t.IsMainTable);
  EXPECT_EQ(t.WeightPercent, 100);
  EXPECT_EQ(U8(t.TableName), "期中");
  EXPECT_EQ(t.StudentCount, 3);
  EXPECT_EQ(U8(t.Headings.NumberHeading), "学号");
  EXPECT_EQ(U8(t.Headings.PresetClassHeading), "预设班级");
  ASSERT_EQ(t.Headings.SubjectHeadings.size(), 2u);
  EXPECT_EQ(U8(t.Headings.SubjectHeadings[0]), "语文");
  EXPECT_EQ(U8(t.Headings.SubjectHeadings[1]), "数学");
  ASSERT_EQ(t.Headings.BalanceHeadings.size(), 1u);
  EXPECT_EQ(U8(t.Headings.BalanceHeadings[0]), "班级");
  ASSERT_EQ(t.Headings.ExtraHeadings.size(), 1u);  // the empty heading has no role
  EXPECT_EQ(U8(t.Headings.ExtraHeadings[0]), "备注");

  const model::student& a = t.Students[0];
  EXPECT_EQ(a.Number, "1001");
  EXPECT_EQ(U8(a.Name), "张三");
  EXPECT_EQ(U8(a.Gender), "男");
  EXPECT_EQ(a.Scores, (std::vector<double>{85.5, 0}));
  EXPECT_EQ(a.Total, 85.5);
  EXPECT_EQ(a.PresetClass, 3);
  EXPECT_EQ(U8(a.BalanceValues.at(0)), "一班");
  EXPECT_EQ(U8(a.ExtraValues.at(0)), "住校");
  EXPECT_EQ(a.AssignedClass, -1);
  EXPECT_EQ(t.Students[1].PresetClass, -1);
  EXPECT_EQ(t.Students[2].PresetClass, 12);
  EXPECT_EQ(t.Students[2].Total, 177.5);
  // Ranks by total: 177.5, 182, 85.5.
  EXPECT_EQ(t.Students[0].Rank, 3);
  EXPECT_EQ(t.Students[1].Rank, 1);
  EXPECT_EQ(t.Students[2].Rank, 2);

  ASSERT_EQ(desk.page.TableList.size(), 1u);
  EXPECT_EQ(U8(desk.page.TableList[0]), "期中");
  EXPECT_EQ(desk.page.ScoreView.RowCount(), 4u);
  EXPECT_EQ(desk.page.ScoreView.Cell(1, 1), "1001");
  EXPECT_EQ(desk.state.NextSetSlot, 0);
  ASSERT_FALSE(desk.user.progress.empty());
  EXPECT_EQ(desk.user.progress.front(), 0);
  EXPECT_EQ(desk.user.progress.back(), 100);
}

TEST(PasteImport, ListsEveryFaultInLineOrderAndChangesNothing) {
  Desk desk;
  ASSERT_EQ(desk.Paste({"学号\t姓名\t性别", "1\t甲\t男", "2\t乙\t女"}), ImportOutcome::kImported);
  desk.state.ClassRangeRows.push_back("x|");
  const model::ProgramState before = desk.state;
  const model::ImportPage page_before = desk.page;
  desk.user.confirm_answers = {true};

  EXPECT_EQ(desk.Paste({"学号\t姓名\t性别\tKEMU语文", "7\t赵一\t男\t1", "a7\t钱二\t男\t1",
                        "7\t孙三\t女\t1",    // duplicate of 7
                        "A7\t李四\tnan\t1",  // duplicate of a7 (letter case), bad gender
                        "\t周五\t女\t1",     // empty number
                        "8\t吴六\t\t1"}),    // bad gender
            ImportOutcome::kRejected);
  EXPECT_EQ(desk.user.last_import_errors,
            (std::vector<std::string>{
                "孙三 该同学学号:7 重复，导入失败！请修改后重新导入!",
                std::string("李四") + kGenderError,
                "李四 该同学学号:A7 重复，导入失败！请修改后重新导入!",
                "周五 该同学学号为空，导入失败！请添加后重新导入!",
                std::string("吴六") + kGenderError,
            }));
  EXPECT_EQ(desk.user.progress.back(), 100);
  // The earlier table, the table list and the rule lists survive a rejected
  // replacement.
  EXPECT_EQ(desk.state, before);
  EXPECT_EQ(desk.page, page_before);
}

TEST(PasteImport, ReadsNamedRowsPastAMissingNumber) {
  // A row with a name and no number leaves fewer complete rows than named
  // ones; the rows after it are still checked.
  Desk desk;
  EXPECT_EQ(desk.Paste({"学号\t姓名\t性别", "\t甲\t男", "1\t乙\t女", "2\t丙\tx"}),
            ImportOutcome::kRejected);
  EXPECT_EQ(desk.user.last_import_errors,
            (std::vector<std::string>{"甲 该同学学号为空，导入失败！请添加后重新导入!",
                                      std::string("丙") + kGenderError}));
  EXPECT_TRUE(desk.state.ImportedSets.empty());
}

TEST(PasteImport, RefusesWithoutStartedDivisionAndIgnoresSingleLines) {
  model::ProgramState state;
  model::ImportPage page;
  FakeUser user;
  EXPECT_EQ(import::PasteImport(state, page, user, Pasted({"学号\t姓名\t性别", "1\t甲\t男"}), "",
                                FixedTime),
            ImportOutcome::kStopped);
  EXPECT_EQ(user.Messages(),
            (std::vector<std::string>{"warning: 请点击<新建班级数据>按钮后，再进行该操作！"}));

  Desk desk;
  EXPECT_EQ(desk.Paste({"学号\t姓名\t性别"}), ImportOutcome::kStopped);
  EXPECT_EQ(import::PasteImport(desk.state, desk.page, desk.user, "", "", FixedTime),
            ImportOutcome::kStopped);
  EXPECT_TRUE(desk.user.calls.empty());
  EXPECT_TRUE(desk.state.ImportedSets.empty());
}

TEST(PasteImport, MissingRequiredColumnOrNoStudentIsAnError) {
  Desk desk;
  EXPECT_EQ(desk.Paste({"学号\t名字\t性别", "1\t甲\t男"}), ImportOutcome::kRejected);
  EXPECT_EQ(desk.user.Messages(),
            (std::vector<std::string>{
                "error: 你复制的内容应包含学号、姓名、性别，及其标题栏，没有装入成功！"}));
  EXPECT_TRUE(desk.state.ImportedSets.empty());
  EXPECT_EQ(desk.user.progress.back(), 100);

  // Headings but no named row: in combine mode the slot would stay empty
  // under a listed name.
  Desk combined(2);
  EXPECT_EQ(combined.Paste({"学号\t姓名\t性别", "1\t\t男"}, "空"), ImportOutcome::kRejected);
  EXPECT_EQ(combined.user.Messages(),
            (std::vector<std::string>{"error: 表中没有任何学生（姓名列全为空），没有装入成功！"}));
  EXPECT_TRUE(combined.page.TableList.empty());
  EXPECT_TRUE(combined.state.ImportedSets.empty());
}

TEST(PasteImport, LaterHeadingTakesTheRoleAndLineBreaksOfAnyKindSplitRows) {
  Desk desk;
  std::string text = enc::FromUtf8("学号\t姓名\t性别\t姓名\r1\tA\t男\t甲\n2\tB\t女\t乙\r\n");
  ASSERT_EQ(import::PasteImport(desk.state, desk.page, desk.user, text, "", FixedTime),
            ImportOutcome::kImported);
  const auto& s = desk.state.ImportedSets[0].Students;
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(U8(s[0].Name), "甲");
  EXPECT_EQ(U8(s[1].Name), "乙");
}

TEST(PasteImport, CutsLongFieldsAtCharacterBoundaries) {
  Desk desk;
  const std::string fifteen = "一二三四五六七八九十一二三四五";
  ASSERT_EQ(desk.Paste({"学号\t姓名\t性别", "1234567890123456789012\t" + fifteen + "\t男",
                        "2\t" + fifteen + "六\t女", "3\ta" + fifteen + "\t女"}),
            ImportOutcome::kImported);
  const auto& s = desk.state.ImportedSets[0].Students;
  EXPECT_EQ(s[0].Number, "123456789012345678");
  EXPECT_EQ(U8(s[0].Name), fifteen);
  EXPECT_EQ(U8(s[1].Name), fifteen);
  // 1 + 30 bytes: the last character does not fit whole and is dropped.
  EXPECT_EQ(U8(s[2].Name), "a一二三四五六七八九十一二三四");
}

TEST(PasteImport, ABrokenCharacterAtTheEndOfACellKeepsTheNextCell) {
  Desk desk;
  // The lead byte before the tab would take the "|" that stands for the tab
  // as its trail byte and swallow the gender cell.
  const std::string text = "学号\t姓名\t性别\r\n"_gb + "1\t" + "张"_gb + "\xB0\t" + "男"_gb +
                           "\r\n2\t\xB0" + "\t" + "女"_gb + "\r\n";
  ASSERT_EQ(import::PasteImport(desk.state, desk.page, desk.user, text, "", FixedTime),
            ImportOutcome::kImported);
  const auto& s = desk.state.ImportedSets[0].Students;
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(U8(s[0].Name), "张?");
  EXPECT_EQ(U8(s[0].Gender), "男");
  EXPECT_EQ(s[1].Name, "?");
}

TEST(PasteImport, LongNumbersThatAgreeInTheirStoredBytesAreRepeats) {
  // The error line quotes the number as the sheet gives it, not as stored.
  Desk desk;
  EXPECT_EQ(desk.Paste({"学号\t姓名\t性别", "1234567890123456789A\t甲\t男",
                        "1234567890123456789B\t乙\t女", "1234567890123456789B\t丙\t女"}),
            ImportOutcome::kRejected);
  EXPECT_EQ(desk.user.last_import_errors,
            (std::vector<std::string>{
                "乙 该同学学号:1234567890123456789B 重复，导入失败！请修改后重新导入!",
                "丙 该同学学号:1234567890123456789B 重复，导入失败！请修改后重新导入!"}));
}

TEST(PasteImport, SingleTableModeReplacesOnlyAfterConfirmation) {
  Desk desk;
  ASSERT_EQ(desk.Paste({"学号\t姓名\t性别", "1\t甲\t男"}, "一"), ImportOutcome::kImported);
  desk.state.ClassRangeRows = {"按名次|1-2-|1|1,||"};
  desk.state.BalanceItemRows = {"x|"};
  desk.state.SameNameRows = {"s"};
  const model::ProgramState before = desk.state;

  desk.user.confirm_answers = {false};
  EXPECT_EQ(desk.Paste({"学号\t姓名\t性别", "2\t乙\t女"}, "二"), ImportOutcome::kStopped);
  EXPECT_EQ(desk.state, before);
  ASSERT_EQ(desk.user.Messages().size(), 1u);
  EXPECT_EQ(desk.user.Messages()[0],
            "confirm: 清除当前分班数据重新分班吗？\n1、点击YES，清除当前分班数据，重新导入\n"
            "2、点击NO，取消当前操作");

  desk.user.confirm_answers = {true};
  EXPECT_EQ(desk.Paste({"学号\t姓名\t性别", "2\t乙\t女"}, "一"), ImportOutcome::kImported);
  ASSERT_EQ(desk.state.ImportedSets.size(), 1u);
  EXPECT_EQ(desk.state.ImportedSets[0].Students.at(0).Number, "2");
  // The list was emptied first, so the old name is free again.
  EXPECT_EQ(U8(desk.state.ImportedSets[0].TableName), "一");
  EXPECT_EQ(desk.page.TableList.size(), 1u);
  EXPECT_TRUE(desk.state.BalanceItemRows.empty());
  EXPECT_EQ(desk.state.ClassRangeRows, before.ClassRangeRows);
  EXPECT_EQ(desk.state.SameNameRows, before.SameNameRows);
}

TEST(PasteImport, NamesTablesFromTheBoxTheSlotAndTheTime) {
  Desk desk(3);
  ASSERT_EQ(desk.Paste({"学号\t姓名\t性别", "1\t甲\t男"}), ImportOutcome::kImported);
  ASSERT_EQ(desk.Paste({"学号\t姓名\t性别", "1\t甲\t男"}, "Mid"), ImportOutcome::kImported);
  ASSERT_EQ(desk.Paste({"学号\t姓名\t性别", "1\t甲\t男"}, "mID"), ImportOutcome::kImported);
  ASSERT_EQ(desk.page.TableList.size(), 3u);
  EXPECT_EQ(U8(desk.page.TableList[0]), "分班数据1-14:05:33");
  EXPECT_EQ(desk.page.TableList[1], "Mid");
  EXPECT_EQ(desk.page.TableList[2], "mID3-14:05:33");
  EXPECT_EQ(desk.state.ImportedSets[3].TableName, "mID3-14:05:33");
}

TEST(PasteImport, CombineModeFillsSlotsAndRefusesWhenFull) {
  Desk desk(2);
  ASSERT_EQ(desk.Paste({"学号\t姓名\t性别", "1\t甲\t男", "2\t乙\t女"}, "一"),
            ImportOutcome::kImported);
  EXPECT_EQ(desk.state.ImportedSets.size(), 3u);
  EXPECT_TRUE(desk.state.ImportedSets[0].Students.empty());
  EXPECT_EQ(desk.state.NextSetSlot, 2);
  // Combined tables carry no weight and no main role until the weights are
  // set on the rules page.
  for (const model::Student_F& t : desk.state.ImportedSets) {
    EXPECT_EQ(t.WeightPercent, 0);
    EXPECT_FALSE(t.IsMainTable);
  }
  ASSERT_EQ(desk.Paste({"学号\t姓名\t性别", "2\t乙\t女"}, "二"), ImportOutcome::kImported);
  EXPECT_EQ(desk.state.NextSetSlot, 3);

  const model::ProgramState before = desk.state;
  EXPECT_EQ(desk.Paste({"学号\t姓名\t性别", "3\t丙\t女"}, "三"), ImportOutcome::kStopped);
  EXPECT_EQ(desk.user.Messages(),
            (std::vector<std::string>{"warning: 您已导入完成:2 份分班数据!不能再导入。"}));
  EXPECT_EQ(desk.state, before);
}

TEST(PasteImport, CombineModeReportsEveryStudentOfAnotherTableWithTheNumber) {
  Desk desk(3);
  ASSERT_EQ(desk.Paste({"学号\t姓名\t性别", "1\t甲\t男", "2\t乙\t女"}, "期中"),
            ImportOutcome::kImported);
  ASSERT_EQ(desk.Paste({"学号\t姓名\t性别", "1\t甲\t男", "2\t乙\t女"}, "期末"),
            ImportOutcome::kImported);
  // Number 2 names 乙 in both tables; 1 stays 甲 (fine). Number "a" has no
  // counterpart.
  EXPECT_EQ(desk.Paste({"学号\t姓名\t性别", "1\t甲\t男", "2\t丁\t女", "a\t乙\t女"}, "月考"),
            ImportOutcome::kRejected);
  const std::string conflict =
      "。目前导入的这张表中，该学号的学生姓名是：丁。同一个学号应该对应同一个学生！";
  EXPECT_EQ(desk.user.last_import_errors,
            (std::vector<std::string>{
                "错误！这张表：期中 中，学号为：2 的学生姓名是：乙" + conflict,
                "错误！这张表：期末 中，学号为：2 的学生姓名是：乙" + conflict,
            }));
  EXPECT_EQ(desk.state.NextSetSlot, 3);
  EXPECT_TRUE(desk.state.ImportedSets[3].Students.empty());
  EXPECT_TRUE(desk.state.ImportedSets[3].Headings.SubjectHeadings.empty());
}

TEST(PasteImport, AClearedSlotIsFilledNextAndListedLast) {
  Desk desk(3);
  for (const char* name : {"一", "二", "三"}) {
    ASSERT_EQ(desk.Paste({"学号\t姓名\t性别", "1\t甲\t男"}, name), ImportOutcome::kImported);
  }
  auto selected = import::ClearTable(desk.state, desk.page, desk.user, 1);
  EXPECT_EQ(selected, 1u);  // the same position: 三
  EXPECT_EQ(desk.state.NextSetSlot, 2);
  EXPECT_TRUE(desk.state.ImportedSets[2].TableName.empty());
  EXPECT_EQ(desk.state.ImportedSets[2].WeightPercent, 0);
  ASSERT_EQ(desk.Paste({"学号\t姓名\t性别", "1\t甲\t男", "2\t乙\t女"}, "四"),
            ImportOutcome::kImported);
  EXPECT_EQ(U8(desk.state.ImportedSets[2].TableName), "四");
  EXPECT_EQ(desk.state.ImportedSets[2].StudentCount, 2);
  ASSERT_EQ(desk.page.TableList.size(), 3u);
  EXPECT_EQ(U8(desk.page.TableList[2]), "四");
  EXPECT_EQ(desk.state.NextSetSlot, 4);
}

TEST(PasteImport, ProgressRisesThroughTheRowsAndStaysInRange) {
  Desk desk;
  std::vector<std::string> rows = {"学号\t姓名\t性别"};
  for (int i = 0; i < 40; ++i) rows.push_back("\t\t");  // nameless rows first
  for (int i = 0; i < 10; ++i) rows.push_back(std::to_string(i) + "\t甲\t男");
  ASSERT_EQ(desk.Paste(rows), ImportOutcome::kImported);
  const auto& p = desk.user.progress;
  for (std::size_t i = 1; i < p.size(); ++i) {
    EXPECT_LE(p[i - 1], p[i]);
    EXPECT_LE(p[i], 100);
  }
  EXPECT_EQ(desk.user.calls.front(), "progress: 导入进度");
}

}  // namespace
}  // namespace tessaly::testing
