// The workbook export read back with the program's own .xlsx reader: the
// first sheet holds the cells of the all-data text, numbers as numbers; one
// printable roster sheet per class; a chart per range; the file is replaced
// only by a complete workbook.

#include "io/export/workbook_export.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "engine/roster.h"
#include "io/export/all_data.h"
#include "io/export/cell_value.h"
#include "io/export/export_fixture.h"
#include "io/table_text.h"
#include "model/number_format.h"
#include "support/fake_user.h"

namespace tessaly::io::exports {
namespace {

using testing::ExportState;
using testing::Gb;
using testing::ReadSheet;
using testing::TempFolder;
using testing::ZipPart;

// The reader gives a number cell's value in the general form; the cell shows
// `text` when that value is text's number and its format shows text.
void ExpectCellShows(const std::string& read, const std::string& text, std::size_t row,
                     std::size_t col) {
  SCOPED_TRACE("row " + std::to_string(row) + " column " + std::to_string(col) + ": " + text);
  const CellValue v = ClassifyCell(text);
  if (v.kind != CellKind::kNumber) {
    EXPECT_EQ(read, text);
    return;
  }
  const std::optional<double> value = model::ParseDecimal(read);
  ASSERT_TRUE(value.has_value()) << read;
  EXPECT_EQ(*value, v.number);
  EXPECT_EQ(ShownText(v.number, v.format), text);
}

void ExpectSheetHolds(const workbook::Sheet& sheet,
                      const std::vector<std::vector<std::string>>& rows) {
  std::size_t last = 0;  // rows past the last non-empty one are not stored
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (const auto& cell : rows[r]) last = cell.empty() ? last : r + 1;
  }
  ASSERT_EQ(sheet.rows.size(), last);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      ExpectCellShows(sheet.Cell(r + 1, c + 1), rows[r][c], r + 1, c + 1);
    }
    EXPECT_EQ(sheet.Cell(r + 1, rows[r].size() + 1), "");
  }
}

// A user who names the file to save and keeps the dialog's filter.
struct SavingUser : testing::FakeUser {
  std::string filter;
  std::optional<std::string> ChooseSaveFile(const std::string& title,
                                            const std::string& f) override {
    filter = f;
    return FakeUser::ChooseSaveFile(title, f);
  }
};

TEST(WorkbookExport, TheFirstSheetHoldsTheAllDataTextCellByCell) {
#ifdef _WIN32
  GTEST_SKIP() << "names a Chinese file by a narrow std::filesystem path, which MinGW's library "
                  "does not read as UTF-8 (the program converts by platform::PathOf)";
#endif
  TempFolder dir;
  model::ProgramState state = ExportState();
  model::ProgramState copy = state;
  testing::FakeUser quiet;
  const std::string text = CollectAllData(copy, quiet);

  SavingUser user;
  user.file_answers.push_back(dir.File("分班.xlsx"));
  model::MemoryClipboard clipboard("old");
  ASSERT_TRUE(bsSkinButton19Click(state, user, clipboard));
  EXPECT_EQ(user.filter, Gb("Excel文件(*.xlsx)|*.xlsx"));
  EXPECT_TRUE(user.Messages().empty());
  // The clipboard keeps the all-data text; the state is refreshed as the
  // copy refreshes it (the statistics re-rank).
  EXPECT_EQ(clipboard.GetText(), text);
  EXPECT_EQ(state, copy);

  const workbook::Sheet first = ReadSheet(dir.File("分班.xlsx"), 0);
  EXPECT_EQ(first.name, Gb("全部数据"));
  ExpectSheetHolds(first, PastedCells(text));
  // The cells the tests rely on: a student number with leading zeros stays
  // text; averages and signed gaps are numbers.
  bool leading_zero = false, signed_gap = false;
  std::size_t numbers = 0;
  for (const auto& row : PastedCells(text)) {
    for (const auto& cell : row) {
      leading_zero |= cell == "00105";
      signed_gap |= cell.starts_with("+") && ClassifyCell(cell).kind == CellKind::kNumber;
      numbers += ClassifyCell(cell).kind == CellKind::kNumber;
    }
  }
  EXPECT_TRUE(leading_zero);
  EXPECT_TRUE(signed_gap);
  // Number cells carry a value (<v>), text cells their text inline.
  const std::string xml = ZipPart(dir.File("分班.xlsx"), "xl/worksheets/sheet1.xml").value_or("");
  std::size_t values = 0;
  for (std::size_t at = xml.find("<v>"); at != std::string::npos; at = xml.find("<v>", at + 1)) {
    ++values;
  }
  EXPECT_EQ(values, numbers);
  const std::string styles = ZipPart(dir.File("分班.xlsx"), "xl/styles.xml").value_or("");
  EXPECT_NE(styles.find("formatCode=\"0.000\""), std::string::npos);
  EXPECT_NE(styles.find("formatCode=\"+0.000;-0.000;0.000\""), std::string::npos);
}

TEST(WorkbookExport, EveryClassHasARosterSheetLaidOutForPrinting) {
  TempFolder dir;
  // With a class chosen on the roster page the class sheets are the same.
  model::ProgramState chosen = ExportState();
  testing::FakeUser user;
  const std::string chosen_path = dir.File("chosen.xlsx");
  ASSERT_EQ(ExportWorkbook(chosen, user, chosen_path, Gb("2 班")), std::nullopt);
  // The first sheet starts with class 2's roster, then the averages.
  const workbook::Sheet first = ReadSheet(chosen_path, 0);
  EXPECT_EQ(first.Cell(2, 3), Gb("李娜"));
  EXPECT_EQ(first.Cell(4, 1), Gb("年级或班级(平均分)"));
  model::ProgramState state = ExportState();
  const model::ProgramState before = state;
  const std::string path = dir.File("a.xlsx");
  ASSERT_EQ(ExportWorkbook(state, user, path, std::nullopt), std::nullopt);

  for (std::int32_t k = 1; k <= 4; ++k) {
    SCOPED_TRACE(k);
    const workbook::Sheet sheet = ReadSheet(path, static_cast<std::size_t>(k));
    EXPECT_EQ(sheet.name, std::to_string(k) + Gb(" 班"));
    // The roster with the ranks of the roster block (before the re-rank).
    ExpectSheetHolds(sheet, engine::ClassRoster(before, k).rows);
    ExpectSheetHolds(ReadSheet(chosen_path, static_cast<std::size_t>(k)),
                     engine::ClassRoster(before, k).rows);
    const std::string xml =
        ZipPart(path, "xl/worksheets/sheet" + std::to_string(k + 1) + ".xml").value_or("");
    EXPECT_NE(xml.find("ySplit=\"1\""), std::string::npos);       // frozen heading row
    EXPECT_NE(xml.find("fitToHeight=\"0\""), std::string::npos);  // fitted to the width
    EXPECT_NE(xml.find("<pageSetUpPr fitToPage"), std::string::npos);
  }
  // The heading row repeats on every printed page of every class sheet.
  const std::string book = ZipPart(path, "xl/workbook.xml").value_or("");
  std::size_t titles = 0;
  for (std::size_t at = book.find("_xlnm.Print_Titles"); at != std::string::npos;
       at = book.find("_xlnm.Print_Titles", at + 1)) {
    ++titles;
  }
  EXPECT_EQ(titles, 4u);
  EXPECT_EQ(ReadSheet(path, 5).name, Gb("平均分图"));
}

TEST(WorkbookExport, TheChartSheetHasAColumnChartPerRangeOfItsClassAverages) {
  TempFolder dir;
  model::ProgramState state = ExportState();
  testing::FakeUser user;
  const std::string path = dir.File("c.xlsx");
  ASSERT_EQ(ExportWorkbook(state, user, path, std::nullopt), std::nullopt);
  EXPECT_TRUE(ZipPart(path, "xl/charts/chart1.xml").has_value());
  EXPECT_TRUE(ZipPart(path, "xl/charts/chart2.xml").has_value());
  EXPECT_FALSE(ZipPart(path, "xl/charts/chart3.xml").has_value());
  EXPECT_NE(ZipPart(path, "xl/charts/chart1.xml")->find("<c:barDir val=\"col\"/>"),
            std::string::npos);

  // Range 1: class 1 holds 张伟 (185.5) and 王芳 (168), class 2 李娜 (178)
  // and 张伟 (174); the range averages 176.375.
  const workbook::Sheet charts = ReadSheet(path, 5);
  EXPECT_EQ(charts.Cell(1, 1), Gb("按名次:1-4- 班级平均总分"));
  EXPECT_EQ(charts.Cell(3, 1), Gb("1 班"));
  EXPECT_EQ(charts.Cell(3, 2), "176.75");
  EXPECT_EQ(charts.Cell(4, 1), Gb("2 班"));
  EXPECT_EQ(charts.Cell(4, 2), "176");
  EXPECT_EQ(charts.Cell(3, 3), "176.375");
  EXPECT_EQ(charts.Cell(4, 3), "176.375");
}

TEST(WorkbookExport, WithoutAFileNameNothingIsWritten) {
  for (std::optional<std::string> answer :
       {std::optional<std::string>{}, std::optional{std::string()}}) {
    model::ProgramState state = ExportState();
    const model::ProgramState before = state;
    testing::FakeUser user;
    user.file_answers.push_back(answer);
    model::MemoryClipboard clipboard("old");
    EXPECT_FALSE(bsSkinButton19Click(state, user, clipboard));
    EXPECT_EQ(user.Messages(),
              std::vector<std::string>{"warning: 您的文件名没输入，保存数据为Excel未能成功！"});
    EXPECT_EQ(clipboard.GetText(), "old");
    EXPECT_EQ(state, before);
  }
}

TEST(WorkbookExport, AFailedSaveNamesTheFileAndChangesNothing) {
  TempFolder dir;
  // A folder that does not exist, and a target that is a folder.
  for (const std::string& path :
       {dir.File("missing/a.xlsx"),
        (std::filesystem::create_directory(dir.path / "taken.xlsx"), dir.File("taken.xlsx"))}) {
    SCOPED_TRACE(path);
    model::ProgramState state = ExportState();
    const model::ProgramState before = state;
    testing::FakeUser user;
    user.file_answers.push_back(path);
    model::MemoryClipboard clipboard("old");
    EXPECT_FALSE(bsSkinButton19Click(state, user, clipboard));
    ASSERT_EQ(user.Messages().size(), 1u);
    EXPECT_TRUE(user.Messages()[0].starts_with("error: 保存数据为Excel未能成功：无法写入文件“" +
                                               path + "”"))
        << user.Messages()[0];
    EXPECT_EQ(clipboard.GetText(), "old");
    EXPECT_EQ(state, before);
  }
  // No temporary file is left beside the targets.
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path)) {
    left.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(left, std::vector<std::string>{"taken.xlsx"});
  EXPECT_TRUE(std::filesystem::is_directory(dir.path / "taken.xlsx"));
}

TEST(WorkbookExport, ANewWorkbookReplacesAnEarlierFileKeepingItsPermissions) {
#ifdef _WIN32
  GTEST_SKIP() << "file modes (chmod) are POSIX";
#endif
  TempFolder dir;
  const std::string path = dir.File("old.xlsx");
  { std::ofstream(path) << "earlier"; }
  ::chmod(path.c_str(), 0640);
  model::ProgramState state = ExportState();
  testing::FakeUser user;
  ASSERT_EQ(ExportWorkbook(state, user, path, std::nullopt), std::nullopt);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(ReadSheet(path, 0).Cell(1, 1), Gb("序号"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path),
                          std::filesystem::directory_iterator{}),
            1);
}

}  // namespace
}  // namespace tessaly::io::exports
