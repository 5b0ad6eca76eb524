#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "import/import_commands.h"
#include "import/table_reader.h"
#include "import/table_rows.h"
#include "import_test_util.h"
#include "io/division_file.h"
#include "platform/workbook/workbook_reader.h"

namespace tessaly::testing {
namespace {

using import::ImportOutcome;

std::string Data(const std::string& name) {
  return std::string(TESSALY_TEST_DATA) + "/import/" + name;
}

ImportOutcome ImportFile(Desk& desk, const std::string& path, const std::string& name = "") {
  return import::WorkbookImportFile(desk.state, desk.page, desk.user, path, enc::FromUtf8(name),
                                    FixedTime);
}

// A file in a fresh temporary folder.
std::string TempFile(const std::string& name, const std::string& bytes) {
  auto dir =
      std::filesystem::temp_directory_path() /
      ("tessaly-import-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
       ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::create_directories(dir);
  std::string path = (dir / name).string();
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

TEST(WorkbookImport, FixturesSavedByASpreadsheetImportExactly) {
  for (const char* file : {"scores.xlsx", "scores.xls"}) {
    SCOPED_TRACE(file);
    Desk desk;
    ASSERT_EQ(ImportFile(desk, Data(file)), ImportOutcome::kImported);
    // KEMU合计 holds 语文 + 数学 and is counted as a subject: the teacher is
    // told, and the table is imported as it is.
    ASSERT_EQ(desk.user.Messages().size(), 1u);
    EXPECT_EQ(desk.user.Messages()[0].rfind("warning: “KEMU合计”一列是其他科目的总分", 0), 0u)
        << desk.user.Messages()[0];
    const model::Student_F& t = desk.state.ImportedSets.at(0);
    EXPECT_EQ(U8(t.TableName), std::string("0:") + file + "14:05:33");
    const model::BiaoTi& h = t.Headings;
    EXPECT_EQ(U8(h.NumberHeading), "学号");
    EXPECT_EQ(U8(h.NameHeading), "姓名");
    EXPECT_EQ(U8(h.GenderHeading), "性别");
    EXPECT_EQ(U8(h.PresetClassHeading), "预设班级");
    ASSERT_EQ(h.SubjectHeadings.size(), 3u);  // 英语 lies past the 4th empty heading
    EXPECT_EQ(U8(h.SubjectHeadings[0]), "语文");
    EXPECT_EQ(U8(h.SubjectHeadings[1]), "数学");
    EXPECT_EQ(U8(h.SubjectHeadings[2]), "合计");
    ASSERT_EQ(h.BalanceHeadings.size(), 1u);
    EXPECT_EQ(U8(h.BalanceHeadings[0]), "班级");
    ASSERT_EQ(h.ExtraHeadings.size(), 2u);
    EXPECT_EQ(U8(h.ExtraHeadings[0]), "备注");
    EXPECT_EQ(U8(h.ExtraHeadings[1]), "出生日期");

    // Rows 4 to 6 are blank, row 8 is the 4th nameless row: 1004 in row 9
    // is never read.
    ASSERT_EQ(t.StudentCount, 3);
    ASSERT_EQ(t.Students.size(), 3u);
    const model::student& a = t.Students[0];
    EXPECT_EQ(a.Number, "202300000000000000");  // 22 digits cut to 18
    EXPECT_EQ(U8(a.Name), "欧阳一二三四五六七八九十百千万");
    EXPECT_EQ(U8(a.Gender), "男");
    EXPECT_EQ(a.PresetClass, 3);
    EXPECT_EQ(a.Scores, (std::vector<double>{85.5, 0, 85.5}));  // 缺考 reads as 0
    EXPECT_EQ(a.Total, 171);
    EXPECT_EQ(a.Rank, 3);
    EXPECT_EQ(U8(a.BalanceValues.at(0)), "一班");
    EXPECT_EQ(U8(a.ExtraValues.at(0)), "住校");
    EXPECT_EQ(a.ExtraValues.at(1), "2010-05-04");  // a date cell as a date
    EXPECT_EQ(a.AssignedClass, -1);

    const model::student& b = t.Students[1];
    EXPECT_EQ(b.Number, "1002");
    EXPECT_EQ(U8(b.Name), "李四");
    EXPECT_EQ(U8(b.Gender), "女");
    EXPECT_EQ(b.PresetClass, -1);
    EXPECT_EQ(b.Scores, (std::vector<double>{90, 92, 182}));
    EXPECT_EQ(b.Rank, 1);
    EXPECT_EQ(U8(b.BalanceValues.at(0)), "二班");
    EXPECT_EQ(b.ExtraValues, (std::vector<std::string>{"", "2009-12-31"}));

    const model::student& c = t.Students[2];
    EXPECT_EQ(c.Number, "1003");
    EXPECT_EQ(U8(c.Name), "王五");  // spaces removed
    EXPECT_EQ(c.PresetClass, 5);
    EXPECT_EQ(c.Scores, (std::vector<double>{77, 88.25, 165.25}));
    EXPECT_EQ(c.Total, 330.5);
    EXPECT_EQ(c.Rank, 2);
    EXPECT_EQ(U8(c.ExtraValues.at(0)), "走读");
    EXPECT_EQ(c.ExtraValues.at(1), "");

    EXPECT_EQ(desk.page.ScoreView.RowCount(), 4u);
  }
}

TEST(WorkbookImport, AGbkCsvWithABrokenNameGivesAFileThatOpensAgain) {
  Desk desk;
  ASSERT_EQ(ImportFile(desk, std::string(TESSALY_TEST_DATA) + "/damaged/lone_lead_byte_name.csv"),
            ImportOutcome::kImported);
  const auto& s = desk.state.ImportedSets[0].Students;
  ASSERT_EQ(s.size(), 10u);
  EXPECT_EQ(U8(s[1].Name), "张明?");
  EXPECT_EQ(U8(s[1].Gender), "女");
  io::DivisionRead read = io::ReadDivisionText(io::WriteDivisionText(desk.state), {});
  ASSERT_TRUE(read.ok) << U8(read.error);
  EXPECT_EQ(read.state.ImportedSets[0].Students, s);
}

TEST(WorkbookImport, BadWorkbookListsItsFaultsInRowOrder) {
  for (const char* file : {"bad.xlsx", "bad.xls"}) {
    SCOPED_TRACE(file);
    Desk desk;
    EXPECT_EQ(ImportFile(desk, Data(file)), ImportOutcome::kRejected);
    EXPECT_EQ(desk.user.last_import_errors,
              (std::vector<std::string>{
                  "乙 该同学学号:1 重复，导入失败！请修改后重新导入!",
                  "丙 ，该同学性别填写有误!导入失败！请修改后重新导入",
                  "丁 该同学学号为空，导入失败！请添加后重新导入!",
              }));
    EXPECT_TRUE(desk.state.ImportedSets.empty());
    EXPECT_TRUE(desk.page.TableList.empty());
  }
}

TEST(WorkbookImport, SameWorkbookTwiceInCombineModeGetsSlotNumberedNames) {
  Desk desk(2);
  ASSERT_EQ(ImportFile(desk, Data("scores.xlsx")), ImportOutcome::kImported);
  ASSERT_EQ(ImportFile(desk, Data("scores.xlsx")), ImportOutcome::kImported);
  EXPECT_EQ(desk.page.TableList,
            (std::vector<std::string>{"1:scores.xlsx14:05:33", "2:scores.xlsx14:05:33"}));
  // A name already listed falls back to the same form.
  Desk other(2);
  ASSERT_EQ(ImportFile(other, Data("scores.xls"), "期中"), ImportOutcome::kImported);
  ASSERT_EQ(ImportFile(other, Data("scores.xls"), "期中"), ImportOutcome::kImported);
  EXPECT_EQ(U8(other.page.TableList[0]), "期中");
  EXPECT_EQ(other.page.TableList[1], "2:scores.xls14:05:33");
}

TEST(WorkbookImport, FileProblemsChangeNothing) {
#ifdef _WIN32
  GTEST_SKIP() << "names a Chinese file by a narrow std::filesystem path, which MinGW's library "
                  "does not read as UTF-8 (the program converts by platform::PathOf)";
#endif
  Desk desk;
  ASSERT_EQ(ImportFile(desk, Data("scores.xlsx")), ImportOutcome::kImported);
  const model::ProgramState before = desk.state;
  desk.user.calls.clear();

  // A file that does not exist: nothing happens.
  EXPECT_EQ(ImportFile(desk, Data("none.xlsx")), ImportOutcome::kStopped);
  EXPECT_TRUE(desk.user.calls.empty());

  // A damaged file: the replacement is confirmed first, as for any file;
  // then an error naming the file, and the earlier table stays.
  std::string broken = TempFile("坏.xlsx", "PK\x03\x04 not really a zip");
  desk.user.confirm_answers = {true};
  EXPECT_EQ(ImportFile(desk, broken), ImportOutcome::kStopped);
  ASSERT_EQ(desk.user.Messages().size(), 2u);
  EXPECT_EQ(desk.user.Messages()[0].rfind("confirm: ", 0), 0u);
  // The reason on the first line, the file on the next.
  EXPECT_EQ(desk.user.Messages()[1].rfind("error: 不是有效的Excel文件\n文件：", 0), 0u)
      << desk.user.Messages()[1];
  EXPECT_NE(desk.user.Messages()[1].find("坏.xlsx"), std::string::npos);
  EXPECT_EQ(desk.state, before);

  // With every table of a combined division in, the import is refused before
  // the file is opened, whatever the file holds.
  Desk full(2);
  ASSERT_EQ(full.Paste({"学号\t姓名\t性别", "1\t甲\t男"}), ImportOutcome::kImported);
  ASSERT_EQ(full.Paste({"学号\t姓名\t性别", "1\t甲\t男"}), ImportOutcome::kImported);
  full.user.calls.clear();
  EXPECT_EQ(ImportFile(full, broken), ImportOutcome::kStopped);
  EXPECT_EQ(full.user.Messages(),
            (std::vector<std::string>{"warning: 您已导入完成:2 份分班数据!不能再导入。"}));

  // A sheet without the three required columns.
  desk.user.calls.clear();
  desk.user.confirm_answers = {true};
  std::string csv = TempFile("t.csv", "学号,名字,性别\n1,甲,男\n");
  EXPECT_EQ(ImportFile(desk, csv), ImportOutcome::kRejected);
  EXPECT_EQ(desk.user.Messages().back(),
            "error: 学号、姓名、性别列必须填写！列标题名称也必须分别为：学号、姓名、性别");
  EXPECT_EQ(desk.state, before);
}

TEST(WorkbookImport, ChoosesTheFileAndRefusesBeforeANewDivision) {
  model::ProgramState state;
  model::ImportPage page;
  FakeUser user;
  EXPECT_EQ(import::WorkbookImport(state, page, user, "", FixedTime), ImportOutcome::kStopped);
  EXPECT_EQ(user.calls,
            (std::vector<std::string>{"warning: 请点击<新建班级数据>按钮后，再进行导入操作！"}));

  Desk desk;
  EXPECT_EQ(import::WorkbookImport(desk.state, desk.page, desk.user, "", FixedTime),
            ImportOutcome::kStopped);  // cancelled
  desk.user.file_answers = {Data("scores.xls")};
  EXPECT_EQ(import::WorkbookImport(desk.state, desk.page, desk.user, "", FixedTime),
            ImportOutcome::kImported);
  EXPECT_EQ(desk.user.calls.front(), "open file: Open file");
}

TEST(SheetScan, HeadingsEndAtTheFourthEmptyCellAndEveryRowIsRead) {
  workbook::Sheet sheet;
  sheet.rows.push_back({"学号", "", "", "", "姓名", "",
                        "KEMU"
                        "x",
                        "", "性别"});
  for (auto& c : sheet.rows[0]) c = enc::FromUtf8(c);
  // The 4th empty heading cell (column 6, then column 8) ends the scan, so
  // 性别 in column 9 is not read; with three empty cells it is.
  EXPECT_FALSE(import::AssignColumnRoles(import::SheetHeadings(sheet)).HasRequiredColumns());
  sheet.rows[0][5] = "y";
  EXPECT_FALSE(import::AssignColumnRoles(import::SheetHeadings(sheet)).HasRequiredColumns());
  sheet.rows[0][7] = "z";
  import::ColumnRoles roles = import::AssignColumnRoles(import::SheetHeadings(sheet));
  EXPECT_TRUE(roles.HasRequiredColumns());
  EXPECT_EQ(roles.gender, 9);

  // A grade larger than an old spreadsheet's sheet keeps all its students:
  // rows past 25535 are read as well.
  sheet.rows.resize(30001);
  for (std::size_t r = 1; r < sheet.rows.size(); ++r) {
    sheet.rows[r] = {std::to_string(r + 1), "", "", "", "n", "", "", "", "x"};
  }
  import::TableRows rows = import::RowsFromSheet(sheet, roles.name);
  ASSERT_EQ(rows.students.size(), 30000u);
  EXPECT_EQ(rows.students.back()[0], "30001");
}

TEST(SheetScan, TabsAndLineBreaksInsideCellsBecomeSpaces) {
  workbook::Sheet sheet;
  sheet.rows = {{"学号"_gb, "姓\n名"_gb, "性别"_gb, "备注"_gb},
                {"1", "张\r\n三"_gb, "男"_gb, "a\tb"}};
  import::ColumnRoles roles = import::AssignColumnRoles(import::SheetHeadings(sheet));
  ASSERT_TRUE(roles.HasRequiredColumns());
  import::TableRows rows = import::RowsFromSheet(sheet, roles.name);
  ASSERT_EQ(rows.students.size(), 1u);
  EXPECT_EQ(rows.students[0][1], "张三"_gb);
  EXPECT_EQ(rows.students[0][3], "ab");
}

TEST(SheetScan, ABarInACellIsReadAsTheFullWidthBarTheFileStores) {
  Desk desk;
  // 29 bytes and a "|": stored as "｜" it would pass the name's 30 bytes.
  const std::string name = std::string(29, 'x') + "|";
  const std::string csv = "学号,姓名,性别\r\n1|2,"_gb + name + ",男\r\n"_gb;
  ASSERT_EQ(ImportFile(desk, TempFile("bar.csv", csv)), ImportOutcome::kImported);
  const auto& s = desk.state.ImportedSets[0].Students;
  EXPECT_EQ(s[0].Number, "1｜2"_gb);
  EXPECT_EQ(s[0].Name, std::string(29, 'x'));
  io::DivisionRead read = io::ReadDivisionText(io::WriteDivisionText(desk.state), {});
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(read.state.ImportedSets[0].Students, s);
}

TEST(SheetScan, ReadingEndsAtTheFourthNamelessRowCountedOverTheWholeSheet) {
  workbook::Sheet sheet;
  sheet.rows = {{"姓名"}, {"a"}, {}, {"b"}, {}, {}, {"c"}, {"", "x"}, {"d"}};
  import::TableRows rows = import::RowsFromSheet(sheet, 1);
  ASSERT_EQ(rows.students.size(), 7u);  // rows 2..8; row 8 is the 4th nameless row
  EXPECT_EQ(rows.students[5][0], "c");
}

}  // namespace
}  // namespace tessaly::testing
