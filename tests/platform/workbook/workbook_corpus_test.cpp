// The workbook corpus of tests/data/workbooks: every file read or refused as
// its line of expected.tsv says, and the files that hold the same table in
// different forms read to the same cells.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/encoding.h"
#include "platform/workbook/biff.h"
#include "platform/workbook/workbook_reader.h"

namespace tessaly::workbook {
namespace {

std::string Corpus(const std::string& name) {
  return std::string(TESSALY_TEST_DATA) + "/workbooks/" + name;
}

std::size_t FilledCells(const Sheet& sheet) {
  std::size_t n = 0;
  for (const auto& row : sheet.rows) {
    for (const auto& cell : row) n += !cell.empty();
  }
  return n;
}

TEST(WorkbookCorpus, EveryFileGivesItsExpectedOutcome) {
  std::ifstream list(Corpus("expected.tsv"));
  ASSERT_TRUE(list);
  std::string line;
  int files = 0;
  while (std::getline(list, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string file, outcome, what, cells;
    std::getline(fields, file, '\t');
    std::getline(fields, outcome, '\t');
    std::getline(fields, what, '\t');
    std::getline(fields, cells, '\t');
    SCOPED_TRACE(file);
    ++files;
    const ReadResult r = ReadWorkbook(Corpus(file));
    if (outcome == "read") {
      ASSERT_TRUE(r.sheet) << enc::ToUtf8(r.error);
      EXPECT_EQ(r.sheet->rows.size(), std::stoul(what));
      EXPECT_EQ(FilledCells(*r.sheet), std::stoul(cells));
    } else {
      ASSERT_FALSE(r.sheet);
      // The reason comes first, on one line.
      const std::string error = enc::ToUtf8(r.error);
      EXPECT_EQ(error.rfind(what, 0), 0u) << error;
      EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
  }
  EXPECT_EQ(files, 15);
}

TEST(WorkbookCorpus, ScoreTablesReadWithTheirCellsWhateverTheirForm) {
  // The Excel 95 file and its copy whose stream is named BOOK; text named
  // .xls in UTF-8 with commas and in GBK with tabs; the page in GBK.
  const ReadResult excel95 = ReadWorkbook(Corpus("scores_excel95.xls"));
  const ReadResult book = ReadWorkbook(Corpus("stream_named_BOOK.xls"));
  ASSERT_TRUE(excel95.sheet && book.sheet);
  EXPECT_EQ(excel95.sheet->rows, book.sheet->rows);
  EXPECT_EQ(enc::ToUtf8(excel95.sheet->name), "成绩");
  EXPECT_EQ(enc::ToUtf8(excel95.sheet->Cell(1, 4)), "KEMU语文");
  EXPECT_EQ(excel95.sheet->Cell(2, 1), "2023001");

  const ReadResult csv = ReadWorkbook(Corpus("csv_named.xls"));
  const ReadResult tab = ReadWorkbook(Corpus("tab_gbk_named.xls"));
  const ReadResult html = ReadWorkbook(Corpus("html_gbk_named.xls"));
  ASSERT_TRUE(csv.sheet && tab.sheet && html.sheet);
  EXPECT_EQ(csv.sheet->rows, tab.sheet->rows);
  for (std::size_t r = 1; r <= csv.sheet->rows.size(); ++r) {
    for (std::size_t c = 1; c <= 6; ++c) EXPECT_EQ(html.sheet->Cell(r, c), csv.sheet->Cell(r, c));
  }
  EXPECT_EQ(enc::ToUtf8(html.sheet->Cell(7, 1)), "合 计 & 说明");  // entities decoded
  EXPECT_EQ(html.sheet->Cell(7, 4), "1");  // after a cell three columns wide
  EXPECT_EQ(html.sheet->rows.size(), 7u);  // the second table is not read

  // The score table with a chart: the chart's cached values are no cells.
  const ReadResult chart = ReadWorkbook(Corpus("scores_300_with_chart.xls"));
  ASSERT_TRUE(chart.sheet);
  EXPECT_EQ(enc::ToUtf8(chart.sheet->Cell(1, 2)), "姓名");
  EXPECT_EQ(chart.sheet->Cell(301, 1), "2023300");
  EXPECT_EQ(chart.sheet->rows[300].size(), 6u);
}

TEST(WorkbookCorpus, WriterQuirksAreReadButTheirDamagedFormsRefused) {
  // The file counts more shared strings than it holds, has no DIMENSION
  // record, a BLANK before each value and no filler after its last sector's
  // data: read as LibreOffice reads it.
  std::ifstream in(Corpus("writer_quirks.xls"), std::ios::binary);
  const std::string good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const ReadResult r = ReadXlsBytes(good);
  ASSERT_TRUE(r.sheet) << enc::ToUtf8(r.error);
  EXPECT_EQ(enc::ToUtf8(r.sheet->Cell(1, 4)), "KEMU语文");
  EXPECT_EQ(r.sheet->Cell(2, 1), "2023001");
  EXPECT_EQ(r.sheet->Cell(21, 1), "2023020");
  EXPECT_EQ(r.sheet->rows.size(), 21u);
  // Filled out to the 128 sectors its allocation table covers, then a few
  // bytes that no stream uses: still read.
  const std::string longer = good + std::string(129 * 512 - good.size(), '\0') + "trailing";
  EXPECT_TRUE(ReadXlsBytes(longer).sheet) << enc::ToUtf8(ReadXlsBytes(longer).error);
  auto refusal = [](const std::string& bytes) { return enc::ToUtf8(ReadXlsBytes(bytes).error); };
  // One byte short of the stream's data: its last sector does not hold it.
  EXPECT_NE(refusal(good.substr(0, good.size() - 1)).find("工作簿流的扇区链无效"),
            std::string::npos);
  // A cell naming a shared string past those the table holds.
  std::string bad = good;
  const std::size_t labelsst = bad.find(std::string("\xFD\x00\x0A\x00", 4));
  ASSERT_NE(labelsst, std::string::npos);
  bad[labelsst + 4 + 6] = '\x7F';
  EXPECT_NE(refusal(bad).find("单元格的共享字符串不存在"), std::string::npos);
  // The heading of column B moved onto column A: two values for one cell,
  // neither of them the right one for certain (a blank before a value is
  // no second value).
  bad = good;
  const std::size_t second = bad.find(std::string("\xFD\x00\x0A\x00", 4), labelsst + 1);
  ASSERT_NE(second, std::string::npos);
  bad[second + 4 + 2] = 0;
  EXPECT_NE(refusal(bad).find("同一个单元格有两条记录"), std::string::npos);
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string WorkbookStreamOf(const std::string& file) {
  CompoundFile cf(file);
  return cf.Stream(biff::WorkbookStreamName(cf).value_or("Workbook"));
}

TEST(WorkbookCorpus, AWorkbookEncryptedWithExcelsDefaultPasswordIsRead) {
  // Encrypted by RC4 with the password Excel gives a workbook whose
  // structure is protected: read without asking, as Excel and LibreOffice
  // open it.
  const std::string file = FileBytes(Corpus("default_password.xls"));
  const ReadResult r = ReadXlsBytes(file);
  ASSERT_TRUE(r.sheet) << enc::ToUtf8(r.error);
  EXPECT_EQ(enc::ToUtf8(r.sheet->name), "成绩");
  EXPECT_EQ(enc::ToUtf8(r.sheet->Cell(1, 6)), "KEMU英语");
  EXPECT_EQ(r.sheet->Cell(31, 1), "2023030");
  // The same with one byte of the sealed verifier changed: a password not
  // known here, refused as protected.
  std::string other = file;
  const std::size_t filepass = other.find(std::string("\x2F\x00\x36\x00\x01\x00", 6));
  ASSERT_NE(filepass, std::string::npos);
  other[filepass + 4 + 40] ^= 1;
  EXPECT_EQ(enc::ToUtf8(ReadXlsBytes(other).error).rfind("Excel文件设有打开密码", 0), 0u);
  EXPECT_FALSE(biff::PlainStream(WorkbookStreamOf(file), "velvetsweatshop"));
  // LibreOffice encrypts a workbook saved with a password the same way:
  // with its password it decrypts to the table's shared strings; without,
  // it stays refused.
  const std::string saved = WorkbookStreamOf(FileBytes(Corpus("scores_password.xls")));
  EXPECT_FALSE(biff::PlainStream(saved));
  const auto plain = biff::PlainStream(saved, "tessaly");
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->size(), saved.size());
  const std::string kemu("K\0E\0M\0U\0", 8);  // in UTF-16
  EXPECT_NE(plain->find(kemu), std::string::npos);
  EXPECT_EQ(saved.find(kemu), std::string::npos);
}

}  // namespace
}  // namespace tessaly::workbook

namespace tessaly::workbook {
namespace {

TEST(HtmlReader, ReadsTheFirstTableInTheDeclaredEncoding) {
  const std::string page =
      "<!-- <table><tr><td>comment</td></tr></table> -->\n"
      "<HTML><head><meta charset=\"big5\"><script>var t='<td>x</td>';</script></head>"
      "<TABLE><TR><TH>\xA7\x64</TH><td>a &lt;b&gt; &#20013;&#x6587;&unknown;</td></TR>"
      "<tr><td>  two\n  words </td><td colspan=2>wide</td><td>after<br>break</td></tr>"
      "</table><table><tr><td>no</td></tr></table>";
  ASSERT_TRUE(LooksLikeHtmlTable(page));
  const ReadResult r = ReadHtml(page);
  ASSERT_TRUE(r.sheet) << enc::ToUtf8(r.error);
  EXPECT_EQ(enc::ToUtf8(r.sheet->Cell(1, 1)), "吳");  // Big5 A764
  EXPECT_EQ(enc::ToUtf8(r.sheet->Cell(1, 2)), "a <b> 中文&unknown;");
  EXPECT_EQ(r.sheet->Cell(2, 1), "two words");
  EXPECT_EQ(r.sheet->Cell(2, 2), "wide");
  EXPECT_EQ(r.sheet->Cell(2, 4), "after break");
  EXPECT_EQ(r.sheet->rows.size(), 2u);
  EXPECT_FALSE(LooksLikeHtmlTable("name,score\n<table>"));
}

TEST(HtmlReader, CellsOfSeveralRowsAndColumnsKeepTheCellsAfterThemInTheirColumns) {
  // A two-row heading as school systems export it, a remark spanning two
  // students, and a block of two rows and two columns: the text stands in
  // the first cell of its block, as a spreadsheet shows merged cells.
  const std::string page =
      "<table><tr><th rowspan=2>ID</th><th rowspan=\"2\">Name</th><th colspan=2>Scores</th>"
      "<th rowspan=2>Note</th></tr>"
      "<tr><th>Chinese</th><th>Maths</th></tr>"
      "<tr><td>1</td><td>Ann</td><td>90</td><td>80</td><td rowspan='2'>moved</td></tr>"
      "<tr><td>2</td><td>Bob</td><td>85</td><td>70</td></tr>"
      "<tr><td>3</td><td rowspan=2 colspan=2>absent</td><td>77</td><td>x</td></tr>"
      "<tr><td>4</td><td>66</td><td>y</td></tr>"
      "<tr><td>5</td><td rowspan=0>zero</td><td>55</td></tr></table>";
  const ReadResult r = ReadHtml(page);
  ASSERT_TRUE(r.sheet) << enc::ToUtf8(r.error);
  const Sheet& s = *r.sheet;
  const std::vector<std::vector<std::string>> expected = {
      {"ID", "Name", "Scores", "", "Note"}, {"", "", "Chinese", "Maths", ""},
      {"1", "Ann", "90", "80", "moved"},    {"2", "Bob", "85", "70", ""},
      {"3", "absent", "", "77", "x"},       {"4", "", "", "66", "y"},
      {"5", "zero", "55", "", ""}};
  ASSERT_EQ(s.rows.size(), expected.size());
  for (std::size_t row = 0; row < expected.size(); ++row) {
    for (std::size_t col = 0; col < 5; ++col) {
      EXPECT_EQ(s.Cell(row + 1, col + 1), expected[row][col]) << row + 1 << "," << col + 1;
    }
  }
}

TEST(SheetLimits, CellTextBeyondTheBoundIsRefusedBeforeItIsCopied) {
  // One shared string named by many cells of a .xlsx, many text cells of a
  // page: the same bound on all the cells' text.
  std::string cells;
  for (int i = 1; i <= 3; ++i) cells += "<td>abcd</td>";
  ReadLimits limits;
  limits.max_cell_text_bytes = 10;
  const ReadResult r = ReadHtml("<table><tr>" + cells + "</tr></table>", limits);
  EXPECT_FALSE(r.sheet);
  EXPECT_EQ(enc::ToUtf8(r.error).rfind("工作表的单元格文字超过", 0), 0u);
  limits.max_cell_text_bytes = 12;
  EXPECT_TRUE(ReadHtml("<table><tr>" + cells + "</tr></table>", limits).sheet);
}

}  // namespace
}  // namespace tessaly::workbook
