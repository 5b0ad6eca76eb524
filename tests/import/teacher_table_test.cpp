// A teacher's own score table as it is: the heading row below a title, the
// column roles proposed for headings without KEMU, the teacher's choices,
// the sheet choice, and the check of the teacher's own total.

#include <gtest/gtest.h>

#include <map>

#include "import/column_roles.h"
#include "import/import_setup.h"
#include "import_test_util.h"
#include "model/settings_port.h"

namespace tessaly::testing {
namespace {

using import::ImportOutcome;
using import::ImportSetup;
using import::Role;

std::string Data(const std::string& name) {
  return std::string(TESSALY_TEST_DATA) + "/import/" + name;
}

ImportOutcome ImportFile(Desk& desk, const std::string& path, const ImportSetup& setup = {}) {
  return import::WorkbookImportFile(desk.state, desk.page, desk.user, path, "", FixedTime, setup);
}

ImportOutcome PasteWith(Desk& desk, const std::vector<std::string>& rows,
                        const ImportSetup& setup) {
  return import::PasteImport(desk.state, desk.page, desk.user, Pasted(rows), "", FixedTime, setup);
}

std::vector<std::string> U8s(const std::vector<std::string>& texts) {
  std::vector<std::string> out;
  for (const auto& t : texts) out.push_back(U8(t));
  return out;
}

ImportSetup Balance(const std::vector<std::string>& utf8_names) {
  ImportSetup setup;
  setup.balances.emplace();
  for (const auto& n : utf8_names) setup.balances->push_back(enc::FromUtf8(n));
  return setup;
}

class MapSettings : public model::SettingsPort {
 public:
  std::map<std::pair<std::string, std::string>, std::string> values;
  std::optional<std::string> Read(const std::string& section, const std::string& key) override {
    auto it = values.find({section, key});
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  bool Write(const std::string& section, const std::string& key,
             const std::string& value) override {
    values[{section, key}] = value;
    return true;
  }
};

const std::vector<std::string> kTitled = {
    "2024级高一上学期期末考试成绩表",
    "",
    "考号\t学 号\t姓名\t性别\t语文\t数学(150)\t英 语\t选考\t总分\t名次\t住校\t备注",
    "K1\t1001\t张三\t男\t90\t120\t100\t80\t390\t2\t住校\t",
    "K2\t1002\t李四\t女\t88\t130\t缺考\t70\t288\t3\t走读\t班长",
    "K3\t1003\t王五\t男\t95\t140\t110\t60\t405\t1\t住校\t",
    "K4\t1004\t赵六\t女\t70\t90\t80\t50\t290\t4\t走读\t",
};

TEST(TeacherTable, LibreOfficeWorkbooksOfOneListImportAlike) {
  // The KEMU/JUNHENG version is read by its headings; the others are the
  // same list in the teacher's words: a title row, plain headings, the data
  // on a second sheet behind an active sheet of notes.
  Desk kemu;
  ASSERT_EQ(ImportFile(kemu, Data("teacher_kemu.xlsx")), ImportOutcome::kImported);
  const model::Student_F& want = kemu.state.ImportedSets[0];
  EXPECT_EQ(U8s(want.Headings.SubjectHeadings),
            (std::vector<std::string>{"语文", "数学", "英语", "物理", "化学"}));
  EXPECT_EQ(U8s(want.Headings.BalanceHeadings), (std::vector<std::string>{"住校"}));
  ASSERT_EQ(want.Students.size(), 12u);
  EXPECT_EQ(want.Students[5].Scores[1], 0);  // 缺考
  EXPECT_EQ(want.Students[0].Total, 545.5);

  for (const char* name :
       {"teacher_kemu.xls", "teacher_title.xlsx", "teacher_title.xls", "teacher_plain.xlsx",
        "teacher_plain.xls", "teacher_second.xlsx", "teacher_second.xls"}) {
    SCOPED_TRACE(name);
    Desk desk;
    import::ImportSummary summary;
    ImportSetup setup = Balance({"住校"});
    setup.summary = &summary;
    ASSERT_EQ(ImportFile(desk, Data(name), setup), ImportOutcome::kImported);
    const model::Student_F& got = desk.state.ImportedSets[0];
    EXPECT_EQ(got.Headings, want.Headings);
    EXPECT_EQ(got.Students, want.Students);
    EXPECT_TRUE(desk.user.Messages().empty());
    if (std::string(name).rfind("teacher_title", 0) == 0) {
      EXPECT_EQ(U8(summary.skipped_rows), "标题行是第3行，第1至2行（表头、说明等）没有导入");
    }
    if (std::string(name).rfind("teacher_second", 0) == 0) {
      EXPECT_EQ(U8(summary.sheet_name), "期末成绩");
    }
  }
}

TEST(TeacherTable, OwnTotalOffForOneStudentNamesHim) {
  for (const char* name : {"teacher_offtotal.xlsx", "teacher_offtotal.xls"}) {
    SCOPED_TRACE(name);
    Desk desk;
    ASSERT_EQ(ImportFile(desk, Data(name)), ImportOutcome::kImported);
    EXPECT_EQ(
        desk.user.Messages(),
        (std::vector<std::string>{"warning: “总分”列与识别出的科目成绩之和不一致，学号：2024005。"
                                  "表中可能还有没有识别为科目的列；表格已照常导入。"}));
    EXPECT_EQ(desk.state.ImportedSets[0].Students.size(), 12u);
  }
}

TEST(TeacherTable, SheetWithoutHeadingRowIsRefusedNamingTheRowsSearched) {
  for (const char* name : {"teacher_noheading.xlsx", "teacher_noheading.xls"}) {
    SCOPED_TRACE(name);
    Desk desk;
    EXPECT_EQ(ImportFile(desk, Data(name)), ImportOutcome::kRejected);
    EXPECT_EQ(desk.user.Messages(),
              (std::vector<std::string>{
                  "error: 学号、姓名、性别列必须填写！列标题名称也必须分别为：学号、姓名、性别"}));
    EXPECT_EQ(desk.user.last_import_errors,
              (std::vector<std::string>{
                  "（已查找第1至13行，工作表“Sheet1”，没有一行同时含有学号、姓名、性别）"}));
    EXPECT_TRUE(desk.state.ImportedSets.empty());
    EXPECT_TRUE(desk.page.TableList.empty());
  }
  // The search stops at row 30: headings in row 31 are not found.
  std::vector<std::string> rows(30, "说明");
  rows.push_back("学号\t姓名\t性别");
  rows.push_back("1\t甲\t男");
  Desk desk;
  EXPECT_EQ(desk.Paste(rows), ImportOutcome::kRejected);
  EXPECT_EQ(desk.user.last_import_errors,
            (std::vector<std::string>{"（已查找第1至30行，没有一行同时含有学号、姓名、性别）"}));
}

TEST(TeacherTable, AsIsReadsTheHeadingsAsWritten) {
  Desk desk;
  ImportSetup setup;
  setup.as_is = true;
  ASSERT_EQ(ImportFile(desk, Data("teacher_plain.xlsx"), setup), ImportOutcome::kImported);
  const model::Student_F& t = desk.state.ImportedSets[0];
  EXPECT_TRUE(t.Headings.SubjectHeadings.empty());
  EXPECT_TRUE(t.Headings.BalanceHeadings.empty());
  EXPECT_EQ(U8(t.Headings.ExtraHeadings[2]), "数学(150)");
  for (const auto& s : t.Students) EXPECT_EQ(s.Total, 0);
  // A title row is not skipped: the headings are looked for in row 1 only.
  Desk titled;
  EXPECT_EQ(ImportFile(titled, Data("teacher_title.xlsx"), setup), ImportOutcome::kRejected);
}

TEST(TeacherTable, PastedTableBelowATitleGetsProposedRoles) {
  Desk desk;
  import::ImportSummary summary;
  ImportSetup setup;
  setup.summary = &summary;
  ASSERT_EQ(PasteWith(desk, kTitled, setup), ImportOutcome::kImported);
  const model::Student_F& t = desk.state.ImportedSets[0];
  EXPECT_EQ(U8s(t.Headings.SubjectHeadings),
            (std::vector<std::string>{"语文", "数学", "英语", "选考"}));
  // Without the teacher's word no column becomes a balance column; 住校 is
  // offered, 备注 (one value) is not.
  EXPECT_TRUE(t.Headings.BalanceHeadings.empty());
  EXPECT_EQ(U8s(summary.balance_candidates), (std::vector<std::string>{"住校"}));
  EXPECT_EQ(U8s(t.Headings.ExtraHeadings),
            (std::vector<std::string>{"考号", "总分", "名次", "住校", "备注"}));
  EXPECT_EQ(t.Students[1].Total, 288);
  EXPECT_EQ(U8(summary.skipped_rows), "标题行是第3行，第1至2行（表头、说明等）没有导入");
  EXPECT_TRUE(desk.user.Messages().empty());  // the totals agree

  // A KEMU table below a title is read by its headings.
  Desk kemu;
  ASSERT_EQ(kemu.Paste({"成绩表", "学号\t姓名\t性别\tKEMU语文\t数学", "1\t甲\t男\t80\t90"}),
            ImportOutcome::kImported);
  EXPECT_EQ(kemu.state.ImportedSets[0].Headings.SubjectHeadings.size(), 1u);
  EXPECT_EQ(kemu.state.ImportedSets[0].Students[0].Total, 80);
}

TEST(TeacherTable, NamedSubjectsAndBalanceColumnsAreExactlyThese) {
  Desk desk;
  ImportSetup setup = Balance({"住校"});
  setup.subjects = std::vector<std::string>{"数学"_gb, "英语"_gb};
  ASSERT_EQ(PasteWith(desk, kTitled, setup), ImportOutcome::kImported);
  const model::Student_F& t = desk.state.ImportedSets[0];
  EXPECT_EQ(U8s(t.Headings.SubjectHeadings), (std::vector<std::string>{"数学", "英语"}));
  EXPECT_EQ(U8s(t.Headings.BalanceHeadings), (std::vector<std::string>{"住校"}));
  EXPECT_EQ(U8s(t.Headings.ExtraHeadings),
            (std::vector<std::string>{"考号", "语文", "选考", "总分", "名次", "备注"}));
  EXPECT_EQ(t.Students[0].Total, 220);

  // A name that is not a column, or one of the three fixed columns, refuses
  // the import and changes nothing.
  for (const char* bad : {"化学", "学号"}) {
    Desk other;
    ImportSetup wrong;
    wrong.subjects = std::vector<std::string>{enc::FromUtf8(bad)};
    EXPECT_EQ(PasteWith(other, kTitled, wrong), ImportOutcome::kStopped);
    EXPECT_EQ(other.user.Messages(),
              (std::vector<std::string>{std::string("error: 表中没有可作科目的“") + bad +
                                        "”列，没有导入。"}));
    EXPECT_TRUE(other.state.ImportedSets.empty());
  }
  Desk other;
  EXPECT_EQ(PasteWith(other, kTitled, Balance({"特长"})), ImportOutcome::kStopped);
  EXPECT_EQ(other.user.Messages().back(), "error: 表中没有可作平衡列的“特长”列，没有导入。");
}

TEST(TeacherTable, SheetChosenByNameOrNumber) {
  for (const char* sheet : {"期末成绩", "2"}) {
    Desk desk;
    ImportSetup setup;
    setup.sheet = enc::FromUtf8(sheet);
    EXPECT_EQ(ImportFile(desk, Data("teacher_second.xlsx"), setup), ImportOutcome::kImported);
  }
  Desk desk;
  ImportSetup setup;
  setup.sheet = "3";
  EXPECT_EQ(ImportFile(desk, Data("teacher_second.xls"), setup), ImportOutcome::kStopped);
  EXPECT_EQ(desk.user.Messages(),
            (std::vector<std::string>{"error: 没有工作表“3”。本文件的工作表：说明、期末成绩"}));
  // The notes sheet, chosen, has no heading row.
  setup.sheet = "1";
  EXPECT_EQ(ImportFile(desk, Data("teacher_second.xls"), setup), ImportOutcome::kRejected);
  // A heading row given that holds no headings is refused the same way.
  Desk fixed;
  ImportSetup row;
  row.heading_row = 2;
  EXPECT_EQ(ImportFile(fixed, Data("teacher_title.xlsx"), row), ImportOutcome::kRejected);
  EXPECT_EQ(fixed.user.last_import_errors,
            (std::vector<std::string>{
                "（已查找第2行，工作表“成绩”，没有一行同时含有学号、姓名、性别）"}));
  row.heading_row = 3;
  Desk right;
  EXPECT_EQ(ImportFile(right, Data("teacher_title.xlsx"), row), ImportOutcome::kImported);
}

TEST(TeacherTable, SettingsWindowConfirmsChangesOrCancels) {
  Desk desk;
  ImportSetup setup;
  int asked = 0;
  setup.confirm = [&asked](import::TableSource&,
                           import::TableLayout) -> std::optional<import::TableLayout> {
    ++asked;
    return std::nullopt;
  };
  EXPECT_EQ(PasteWith(desk, kTitled, setup), ImportOutcome::kStopped);
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(desk.state.ImportedSets.empty());
  EXPECT_TRUE(desk.user.calls.empty());

  // The window is not asked for a KEMU table.
  EXPECT_EQ(PasteWith(desk, {"学号\t姓名\t性别\tKEMU语文", "1\t甲\t男\t80"}, setup),
            ImportOutcome::kImported);
  EXPECT_EQ(asked, 1);

  // Roles changed in the window are the ones imported; they are kept for the
  // next table with the same headings.
  MapSettings settings;
  setup.confirm = [&settings](import::TableSource&,
                              import::TableLayout layout) -> std::optional<import::TableLayout> {
    import::PrefillRoles(layout, settings);
    EXPECT_EQ(layout.roles[10], Role::kBalance);  // 住校, offered
    layout.roles[7] = Role::kOther;               // 选考
    layout.roles[11] = Role::kPresetClass;        // 备注
    import::RememberRoles(layout, settings);
    return layout;
  };
  Desk other;
  ASSERT_EQ(PasteWith(other, kTitled, setup), ImportOutcome::kImported);
  const model::Student_F& t = other.state.ImportedSets[0];
  EXPECT_EQ(U8s(t.Headings.SubjectHeadings), (std::vector<std::string>{"语文", "数学", "英语"}));
  EXPECT_EQ(U8s(t.Headings.BalanceHeadings), (std::vector<std::string>{"住校"}));
  EXPECT_EQ(U8(t.Headings.PresetClassHeading), "预设班级");
  // 选考 is no subject now, so the teacher's total is off for everyone.
  EXPECT_EQ(other.user.Messages().size(), 1u);

  import::TableSource again(import::SplitLines(Pasted(kTitled)));
  import::TableLayout layout = again.AutoLayout();
  import::PrefillRoles(layout, settings);
  EXPECT_EQ(layout.roles[7], Role::kOther);
  EXPECT_EQ(layout.roles[11], Role::kPresetClass);
  // A remembered line that does not fit the headings is not used.
  settings.values.begin()->second = "SS";
  layout = again.AutoLayout();
  import::PrefillRoles(layout, settings);
  EXPECT_EQ(layout.roles[7], Role::kSubject);
}

TEST(ColumnRoles, KnownAndNonSubjectHeadings) {
  for (const char* h :
       {"语文", "数学(150)", "英语（满分150）", "道德与法治", "物理成绩", "信息技术", "日语"}) {
    EXPECT_TRUE(import::IsKnownSubject(enc::FromUtf8(h))) << h;
  }
  for (const char* h : {"总分", "年级名次", "班级排名", "考号", "座号", "原班级", "班级", "序号",
                        "总分(750)", "平均分"}) {
    EXPECT_TRUE(import::IsNonSubject(enc::FromUtf8(h))) << h;
    EXPECT_FALSE(import::IsKnownSubject(enc::FromUtf8(h))) << h;
  }
  EXPECT_EQ(U8(import::ColumnName("数学(150)"_gb, Role::kSubject)), "数学");
  EXPECT_EQ(U8(import::ColumnName("数学(150)"_gb, Role::kOther)), "数学(150)");
  EXPECT_EQ(U8(import::ColumnName("JUNHENG住校"_gb, Role::kBalance)), "住校");
  // In code page 936 the bytes of 号 occur across the two characters of 俸偶;
  // the search keeps to character boundaries.
  EXPECT_NE("俸偶"_gb.find("号"_gb), std::string::npos);
  EXPECT_FALSE(import::IsNonSubject("俸偶"_gb));
}

TEST(ColumnRoles, ProposalFromCells) {
  import::TableRows rows;
  rows.headings = {"学号"_gb, "姓名"_gb, "性别"_gb, "加试"_gb, "座号"_gb,
                   "特长"_gb, "籍贯"_gb, ""_gb,     "空列"_gb, "姓名"_gb};
  for (int i = 0; i < 6; ++i) {
    rows.students.push_back({std::to_string(i), "", "男"_gb, std::to_string(60 + i),
                             std::to_string(i + 1), i % 2 ? "美术"_gb : "音乐"_gb,
                             "地" + std::to_string(i), "", "", "甲"_gb});
  }
  rows.students[2][3] = "缺考"_gb;
  rows.students.push_back({"9", "", "", "x", "", "", "", "", "", ""});  // nameless row
  const import::ColumnRoles fixed = import::AssignColumnRoles(rows.headings);
  const import::RoleProposal p = import::ProposeRoles(rows, fixed);
  EXPECT_EQ(p.roles, (std::vector<Role>{Role::kNumber, Role::kIgnored, Role::kGender,
                                        Role::kSubject, Role::kOther, Role::kOther, Role::kOther,
                                        Role::kIgnored, Role::kOther, Role::kName}));
  EXPECT_EQ(p.balance_candidates, (std::vector<bool>{false, false, false, false, false, true, false,
                                                     false, false, false}));
  EXPECT_EQ(p.total_column, 0);
}

}  // namespace
}  // namespace tessaly::testing
