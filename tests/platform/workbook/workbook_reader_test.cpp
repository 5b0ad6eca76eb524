#include "platform/workbook/workbook_reader.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <fstream>
#include <iterator>
#include <map>

#include "model/number_format.h"
#include "platform/encoding.h"

namespace tessaly::workbook {
namespace {

std::string Data(const std::string& name) {
  return std::string(TESSALY_TEST_DATA) + "/import/" + name;
}

std::string U8(const std::string& cp936) {
  return enc::ToUtf8(cp936);
}

// A zip archive in memory from part names and contents.
std::string Zip(const std::map<std::string, std::string>& parts) {
  zip_error_t err;
  zip_error_init(&err);
  zip_source_t* src = zip_source_buffer_create(nullptr, 0, 0, &err);
  zip_source_keep(src);
  zip_t* z = zip_open_from_source(src, ZIP_TRUNCATE, &err);
  for (const auto& [name, data] : parts) {
    zip_source_t* part = zip_source_buffer(z, data.data(), data.size(), 0);
    zip_file_add(z, name.c_str(), part, ZIP_FL_OVERWRITE);
  }
  zip_close(z);
  zip_source_open(src);
  zip_source_seek(src, 0, SEEK_END);
  zip_int64_t size = zip_source_tell(src);
  zip_source_seek(src, 0, SEEK_SET);
  std::string out(static_cast<std::size_t>(size), '\0');
  zip_source_read(src, out.data(), static_cast<zip_uint64_t>(size));
  zip_source_close(src);
  zip_source_free(src);
  zip_error_fini(&err);
  return out;
}

const char* const kWorkbook =
    R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"
  xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">
  <bookViews><workbookView activeTab="1"/></bookViews>
  <sheets><sheet name="A" sheetId="1" r:id="rId1"/><sheet name="B" sheetId="2" r:id="rId7"/></sheets>
</workbook>)";
const char* const kRels =
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
  <Relationship Id="rId1" Type="http://x/worksheet" Target="worksheets/sheet1.xml"/>
  <Relationship Id="rId7" Type="http://x/worksheet" Target="/xl/worksheets/other.xml"/>
  <Relationship Id="rId9" Type="http://x/sharedStrings" Target="strings.xml"/>
</Relationships>)";

std::string SheetXml(const std::string& rows) {
  return R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)" +
         rows + "</sheetData></worksheet>";
}

TEST(XlsxReader, ReadsEveryKindOfCellOfTheActiveSheet) {
  std::string book = Zip({
      {"xl/workbook.xml", kWorkbook},
      {"xl/_rels/workbook.xml.rels", kRels},
      {"xl/strings.xml",
       R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
          <si><t>学号</t></si>
          <si><r><t>姓</t></r><r><rPr><b/></rPr><t>名</t></r><rPh><t>xingming</t></rPh></si>
          </sst>)"},
      {"xl/worksheets/sheet1.xml", SheetXml(R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)")},
      {"xl/worksheets/other.xml",
       SheetXml(R"(<row r="1"><c r="A1" t="s"><v>1</v></c><c r="C1" t="s"><v>0</v></c>
          <c r="D1" t="s"><v>99</v></c></row>
        <row r="3"><c r="A3"><v>87.5</v></c><c r="B3" t="n"><v>90</v></c>
          <c r="C3"><f>A3*2</f><v>175</v></c><c r="D3" t="str"><f>"a"&amp;"b"</f><v>ab</v></c>
          <c r="E3" t="b"><v>1</v></c><c r="F3" t="inlineStr"><is><t>缺考</t></is></c>
          <c r="G3" t="e"><v>#DIV/0!</v></c><c r="H3"><v>0.1</v></c><c r="I3"><f>1/0</f></c>
          <c><v>2023010101</v></c></row>)")},
  });
  ReadResult r = ReadXlsx(book);
  ASSERT_TRUE(r.sheet) << U8(r.error);
  const Sheet& s = *r.sheet;
  EXPECT_EQ(s.name, "B");
  EXPECT_EQ(U8(s.Cell(1, 1)), "姓名");  // runs joined, phonetic text left out
  EXPECT_EQ(U8(s.Cell(1, 3)), "学号");
  EXPECT_EQ(s.Cell(1, 4), "");  // index past the shared strings
  EXPECT_EQ(s.Cell(2, 1), "");
  EXPECT_EQ(s.Cell(3, 1), "87.5");
  EXPECT_EQ(s.Cell(3, 2), "90");
  EXPECT_EQ(s.Cell(3, 3), "175");
  EXPECT_EQ(s.Cell(3, 4), "ab");
  EXPECT_EQ(s.Cell(3, 5), "TRUE");
  EXPECT_EQ(U8(s.Cell(3, 6)), "缺考");
  EXPECT_EQ(s.Cell(3, 7), "#DIV/0!");
  EXPECT_EQ(s.Cell(3, 8), "0.1");
  EXPECT_EQ(s.Cell(3, 9), "");             // a formula without a saved value
  EXPECT_EQ(s.Cell(3, 10), "2023010101");  // no reference: the next column
}

TEST(XlsxReader, ListsTheSheetsAndReadsTheOneChosen) {
  auto book = Zip({
      {"xl/workbook.xml", kWorkbook},
      {"xl/_rels/workbook.xml.rels", kRels},
      {"xl/worksheets/sheet1.xml", SheetXml(R"(<row r="1"><c r="A1"><v>1</v></c></row>)")},
      {"xl/worksheets/other.xml", SheetXml(R"(<row r="1"><c r="A1"><v>2</v></c></row>)")},
  });
  ReadResult saved = ReadXlsx(book);
  ASSERT_TRUE(saved.sheet) << U8(saved.error);
  EXPECT_EQ(saved.sheet_names, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(saved.active_sheet, 1u);
  EXPECT_EQ(saved.read_sheet, 1u);
  EXPECT_EQ(saved.sheet->Cell(1, 1), "2");

  ReadLimits first;
  first.sheet = 0;
  ReadResult chosen = ReadXlsx(book, first);
  ASSERT_TRUE(chosen.sheet) << U8(chosen.error);
  EXPECT_EQ(chosen.sheet->name, "A");
  EXPECT_EQ(chosen.sheet->Cell(1, 1), "1");
  EXPECT_EQ(chosen.active_sheet, 1u);
  EXPECT_EQ(chosen.read_sheet, 0u);

  ReadLimits past;
  past.sheet = 2;
  ReadResult refused = ReadXlsx(book, past);
  EXPECT_FALSE(refused.sheet);
  EXPECT_EQ(U8(refused.error), "工作簿只有 2 个工作表，没有第 3 个");
  EXPECT_EQ(refused.sheet_names.size(), 2u);  // the list still comes back
}

TEST(XlsxReader, PartsStoredWithWindowsSeparatorsAreFound) {
  ReadResult r = ReadXlsx(Zip({
      {"xl\\workbook.xml", kWorkbook},
      {"xl\\_rels\\workbook.xml.rels", kRels},
      {"xl\\worksheets\\other.xml", SheetXml(R"(<row r="1"><c r="A1"><v>2</v></c></row>)")},
  }));
  ASSERT_TRUE(r.sheet) << U8(r.error);
  EXPECT_EQ(r.sheet->name, "B");
  EXPECT_EQ(r.sheet->Cell(1, 1), "2");
}

TEST(XlsxReader, DecodesEscapedCharactersOfStringItems) {
  // A spreadsheet writes characters that XML cannot carry as _xHHHH_, and a
  // literal "_x" that would read as such an escape as _x005F_x.
  std::string book = Zip({
      {"xl/workbook.xml", R"(<workbook><sheets><sheet name="S" r:id="rId1"/></sheets></workbook>)"},
      {"xl/sharedStrings.xml",
       R"(<sst><si><t>张三_x000D_</t></si><si><r><t>_x005F_x0041_</t></r></si>
          <si><t>_x00e9__x41_</t></si><si><t>_xD83D__xDE00_</t></si></sst>)"},
      {"xl/worksheets/sheet1.xml",
       SheetXml(R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c>
          <c r="C1" t="s"><v>2</v></c><c r="D1" t="s"><v>3</v></c>
          <c r="E1" t="inlineStr"><is><t>a_x0009_b</t></is></c>
          <c r="F1" t="str"><f>A1</f><v>x_x000A_y</v></c></row>)")},
  });
  ReadResult r = ReadXlsx(book);
  ASSERT_TRUE(r.sheet) << U8(r.error);
  const Sheet& s = *r.sheet;
  EXPECT_EQ(U8(s.Cell(1, 1)), "张三\r");
  EXPECT_EQ(s.Cell(1, 2), "_x0041_");
  EXPECT_EQ(U8(s.Cell(1, 3)), "é_x41_");  // only four hex digits make an escape
  EXPECT_EQ(U8(s.Cell(1, 4)), "\U0001F600");
  EXPECT_EQ(s.Cell(1, 5), "a\tb");
  EXPECT_EQ(s.Cell(1, 6), "x\ny");
}

TEST(XlsxReader, ANumberCellHoldingTextGivesValidText) {
  ReadResult r = ReadXlsx(Zip({
      {"xl/workbook.xml", R"(<workbook><sheets><sheet name="S" r:id="rId1"/></sheets></workbook>)"},
      {"xl/worksheets/sheet1.xml", SheetXml(R"(<row r="1"><c r="A1"><v>张三</v></c></row>)")},
  }));
  ASSERT_TRUE(r.sheet) << U8(r.error);
  EXPECT_EQ(r.sheet->Cell(1, 1), "张三"_gb);
}

TEST(XlsxReader, APartWithTooManyTagsIsReportedAsTooLarge) {
  std::string book = Zip({
      {"xl/workbook.xml", R"(<workbook><sheets><sheet name="S" r:id="rId1"/></sheets></workbook>)"},
      {"xl/worksheets/sheet1.xml", SheetXml(R"(<row r="1"><c r="A1"><v>1</v></c></row>)")},
  });
  ReadLimits limits;
  limits.max_xml_tags = 5;
  ReadResult r = ReadXlsx(book, limits);
  EXPECT_FALSE(r.sheet);
  EXPECT_NE(U8(r.error).find("工作表过大（超过 5 个标签）"), std::string::npos) << U8(r.error);
  EXPECT_NE(U8(ReadXlsx(Zip({{"xl/workbook.xml", "<workbook"}})).error).find("工作簿无法解析"),
            std::string::npos);
}

TEST(XlsxReader, KeepsOnlyCellsWithinTheLimits) {
  std::string book = Zip({
      {"xl/workbook.xml", R"(<workbook><sheets><sheet name="S" r:id="rId1"/></sheets></workbook>)"},
      {"xl/worksheets/sheet1.xml",
       SheetXml(R"(<row r="2"><c r="B2"><v>1</v></c><c r="C2"><v>2</v></c></row>
                   <row r="1048576"><c r="XFD1048576"><v>3</v></c><c r="A1048576"/></row>)")},
  });
  ReadLimits limits;
  limits.max_rows = 5;
  limits.max_columns = 2;
  ReadResult r = ReadXlsx(book, limits);
  ASSERT_TRUE(r.sheet) << U8(r.error);
  EXPECT_EQ(r.sheet->rows.size(), 2u);
  EXPECT_EQ(r.sheet->Cell(2, 2), "1");
  EXPECT_EQ(r.sheet->Cell(2, 3), "");
  // A filled cell in a row past the limit: refused, not cut.
  limits.max_columns = 20000;
  ReadResult refused = ReadXlsx(book, limits);
  EXPECT_FALSE(refused.sheet);
  EXPECT_NE(U8(refused.error).find("超过 5 行"), std::string::npos);
}

TEST(XlsxReader, RefusesArchivesThatUnpackBeyondTheBound) {
  std::string rows;
  for (int i = 1; i <= 20000; ++i) {
    rows += "<row r=\"" + std::to_string(i) + "\"><c r=\"A" + std::to_string(i) +
            "\"><v>1</v></c></row>";
  }
  std::string book = Zip({
      {"xl/workbook.xml", R"(<workbook><sheets><sheet name="S" r:id="rId1"/></sheets></workbook>)"},
      {"xl/worksheets/sheet1.xml", SheetXml(rows)},
  });
  ReadLimits limits;
  limits.max_unpacked_bytes = 100000;
  EXPECT_LT(book.size(), 100000u);
  ReadResult r = ReadXlsx(book, limits);
  EXPECT_FALSE(r.sheet);
  EXPECT_FALSE(r.error.empty());
  EXPECT_TRUE(ReadXlsx(book).sheet);
  // Within the byte bound, but with more tags than the tree may hold.
  limits = ReadLimits{};
  limits.max_xml_tags = 50000;
  EXPECT_FALSE(ReadXlsx(book, limits).sheet);
}

TEST(XlsxReader, ReportsDamagedFiles) {
  EXPECT_FALSE(ReadXlsx("PK\x03\x04garbage").sheet);
  EXPECT_FALSE(ReadXlsx(Zip({{"a.txt", "x"}})).sheet);
  EXPECT_FALSE(ReadXlsx(Zip({{"xl/workbook.xml", "<workbook><sheets>"}})).sheet);
  ReadResult no_sheet = ReadXlsx(
      Zip({{"xl/workbook.xml", R"(<workbook><sheets><sheet name="S"/></sheets></workbook>)"}}));
  EXPECT_FALSE(no_sheet.sheet);
  EXPECT_FALSE(no_sheet.error.empty());
}

TEST(CsvReader, ReadsQuotedCellsInAnyEncoding) {
  ReadResult r =
      ReadCsv("\xEF\xBB\xBF学号,姓名,\"备,注\"\r\n1,\"张\"\"三\",\"两\n行\"\n\n2,李四\n");
  ASSERT_TRUE(r.sheet);
  const Sheet& s = *r.sheet;
  EXPECT_EQ(U8(s.Cell(1, 1)), "学号");
  EXPECT_EQ(U8(s.Cell(1, 3)), "备,注");
  EXPECT_EQ(U8(s.Cell(2, 2)), "张\"三");
  EXPECT_EQ(U8(s.Cell(2, 3)), "两\n行");
  EXPECT_EQ(s.Cell(3, 1), "");
  EXPECT_EQ(U8(s.Cell(4, 2)), "李四");

  // GB18030 bytes, tab separated: the comma stays inside the cell.
  ReadResult gb = ReadCsv(enc::FromUtf8("学号\t姓名\r\n1,5\t王五\r\n"));
  ASSERT_TRUE(gb.sheet);
  EXPECT_EQ(gb.sheet->Cell(2, 1), "1,5");
  EXPECT_EQ(U8(gb.sheet->Cell(2, 2)), "王五");
}

TEST(WorkbookFixtures, XlsxSavedByASpreadsheetReadsFromItsActiveSheet) {
  for (const char* file : {"scores.xlsx", "scores.xls"}) {
    SCOPED_TRACE(file);
    ReadResult r = ReadWorkbook(Data(file));
    ASSERT_TRUE(r.sheet) << U8(r.error);
    const Sheet& s = *r.sheet;
    EXPECT_EQ(U8(s.name), "成绩");
    EXPECT_EQ(U8(s.Cell(1, 1)), "学 号");
    EXPECT_EQ(U8(s.Cell(1, 2)), "姓\u3000名");
    EXPECT_EQ(U8(s.Cell(1, 5)), "KeMu语文");
    EXPECT_EQ(s.Cell(2, 1), "2023000000000000000123");
    EXPECT_EQ(s.Cell(2, 5), "85.5");
    EXPECT_EQ(s.Cell(2, 7), "85.5");  // formula cell by its value
    EXPECT_EQ(U8(s.Cell(2, 12)), "住校");
    EXPECT_EQ(s.Cell(3, 1), "1002");
    EXPECT_EQ(s.Cell(7, 6), "88.25");
    EXPECT_EQ(s.Cell(7, 7), "165.25");
  }
}

TEST(WorkbookFixtures, EveryFormatListsItsSheetsAndReadsAChosenOne) {
  for (const char* file : {"scores.xlsx", "scores.xls"}) {
    SCOPED_TRACE(file);
    ReadResult saved = ReadWorkbook(Data(file));
    ASSERT_TRUE(saved.sheet) << U8(saved.error);
    ASSERT_EQ(saved.sheet_names.size(), 2u);
    EXPECT_EQ(U8(saved.sheet_names[saved.active_sheet]), "成绩");
    EXPECT_EQ(saved.read_sheet, saved.active_sheet);
    for (std::size_t i = 0; i < 2; ++i) {
      ReadLimits choice;
      choice.sheet = i;
      ReadResult r = ReadWorkbook(Data(file), choice);
      ASSERT_TRUE(r.sheet) << U8(r.error);
      EXPECT_EQ(r.sheet->name, saved.sheet_names[i]);
      EXPECT_EQ(r.read_sheet, i);
    }
    ReadLimits past;
    past.sheet = 2;
    EXPECT_FALSE(ReadWorkbook(Data(file), past).sheet);
  }
  ReadResult csv = ReadCsv("a,b\n");
  EXPECT_EQ(csv.sheet_names.size(), 1u);
  ReadLimits second;
  second.sheet = 1;
  EXPECT_FALSE(ReadCsv("a,b\n", second).sheet);
}

TEST(WorkbookFixtures, UnreadableFilesGiveAReason) {
  EXPECT_FALSE(ReadWorkbook(Data("no-such-file.xlsx")).sheet);
  ReadResult r = ReadWorkbook(std::string(TESSALY_TEST_DATA) + "/import");
  EXPECT_FALSE(r.sheet);
  EXPECT_FALSE(r.error.empty());
}

TEST(CsvReader, ASheetWithMoreRowsThanTheLimitIsRefusedNotCut) {
  ReadLimits limits;
  limits.max_rows = 3;
  EXPECT_TRUE(ReadCsv("a\nb\nc\n\n\n", limits).sheet);  // empty rows past the limit
  ReadResult r = ReadCsv("a\nb\nc\nd\n", limits);
  EXPECT_FALSE(r.sheet);
  EXPECT_NE(enc::ToUtf8(r.error).find("超过 3 行"), std::string::npos);
  std::string big;
  for (int i = 0; i < 30000; ++i) big += std::to_string(i) + ",x\n";
  ReadResult all = ReadCsv(big);
  ASSERT_TRUE(all.sheet);
  EXPECT_EQ(all.sheet->rows.size(), 30000u);
}

std::string Damaged(const std::string& name) {
  return std::string(TESSALY_TEST_DATA) + "/damaged/" + name;
}

TEST(XlsReader, DamagedFilesAreRefusedBeforeTheCellLibraryReadsThem) {
  // A shared string longer than its record made the cell library read past
  // its buffer; a sector chain leaving the file made it lose memory.
  // A sheet said to begin inside another record made it lose memory too, and
  // strings past the count of the shared-string table made it convert text
  // from before a buffer, as did a directory entry whose name is longer
  // than its field, a number format longer than its record, and a sheet
  // whose DIMENSION record was replaced by a record of type 0, and cells of
  // a format the workbook does not have. A cell written twice made it lose
  // the date text it had made for the first record, and so did cell records
  // too short for their fields (an RK and a FORMULA of no bytes; a cell
  // record of the first file version of no bytes, which made it lose the
  // whole cell table), whose fields it read from the records after them.
  // A sheet whose BOF record is never closed by its EOF (another sheet
  // begins inside it) made it lose memory too, and so did a listed sheet
  // nested inside another as if it were an embedded chart.
  for (const char* file :
       {"freexl_heap_overflow_read.xls", "freexl_leak_on_bad_file.xls",
        "freexl_leak_sheet_inside_record.xls", "freexl_iconv_underflow_sst_count.xls",
        "freexl_leak_repeated_cell.xls", "freexl_leak_short_cell_record.xls",
        "freexl_leak_short_first_version_cell.xls", "freexl_leak_unclosed_sheet.xls",
        "freexl_leak_sheet_inside_sheet.xls"}) {
    ReadResult r = ReadWorkbook(Damaged(file));
    EXPECT_FALSE(r.sheet) << file;
    EXPECT_NE(enc::ToUtf8(r.error).find("不是有效的Excel文件"), std::string::npos) << file;
  }
  std::ifstream in(Data("scores.xls"), std::ios::binary);
  const std::string good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_FALSE(XlsProblem(good));
  // One byte changed at a time: the string's length, a link of the sector
  // table, a link of the mini sector table, the count of table sectors.
  auto with = [&](std::size_t at, char value) {
    std::string bytes = good;
    bytes[at] = value;
    return bytes;
  };
  for (auto [at, value] : std::vector<std::pair<std::size_t, char>>{
           {3647, '\x0B'}, {541, '\x20'}, {1646, '\x02'}, {0x2C, '\x02'}, {0x1E, '\x0A'}}) {
    EXPECT_TRUE(XlsProblem(with(at, value))) << at;
  }
  EXPECT_TRUE(XlsProblem(good.substr(0, good.size() - 512)));
  EXPECT_TRUE(XlsProblem(""));
}

}  // namespace
}  // namespace tessaly::workbook

namespace tessaly::workbook {
namespace {

TEST(XlsxReader, NumberCellsReadInTheGeneralNumberForm) {
  const std::vector<std::string> stored = {"90",
                                           "87.5",
                                           "2023010101",
                                           "999999999999999",
                                           "1234567890123456",
                                           "123456789012345.6",
                                           "87.50",
                                           "007",
                                           "1E3",
                                           "0.1",
                                           "0.30000000000000004",
                                           "1.5E-7",
                                           "-2",
                                           "0.00001",
                                           "100.0"};
  std::string rows;
  for (std::size_t i = 0; i < stored.size(); ++i) {
    rows += "<row r=\"" + std::to_string(i + 1) + "\"><c r=\"A" + std::to_string(i + 1) + "\"><v>" +
            stored[i] + "</v></c></row>";
  }
  ReadResult r = ReadXlsx(Zip({
      {"xl/workbook.xml", R"(<workbook><sheets><sheet name="S" r:id="rId1"/></sheets></workbook>)"},
      {"xl/worksheets/sheet1.xml", SheetXml(rows)},
  }));
  ASSERT_TRUE(r.sheet);
  for (std::size_t i = 0; i < stored.size(); ++i) {
    EXPECT_EQ(r.sheet->Cell(i + 1, 1), model::FormatNumber(*model::ParseDecimal(stored[i])))
        << stored[i];
  }
  EXPECT_EQ(r.sheet->Cell(5, 1), "1.23456789012346E15");
  EXPECT_EQ(r.sheet->Cell(7, 1), "87.5");
}

TEST(XlsxReader, DateStyledNumbersReadAsDatesAndTimes) {
  const char* const styles = R"(<styleSheet>
    <numFmts><numFmt numFmtId="164" formatCode="yyyy/m/d\ h:mm"/>
      <numFmt numFmtId="165" formatCode="[Red]0.00;&quot;day&quot;0"/>
      <numFmt numFmtId="166" formatCode="[h]:mm"/></numFmts>
    <cellStyleXfs><xf numFmtId="14"/></cellStyleXfs>
    <cellXfs><xf numFmtId="0"/><xf numFmtId="14"/><xf numFmtId="164"/><xf numFmtId="165"/>
      <xf numFmtId="20"/><xf numFmtId="166"/></cellXfs></styleSheet>)";
  auto read = [&](const char* workbook_pr) {
    return ReadXlsx(Zip({
        {"xl/workbook.xml", std::string("<workbook>") + workbook_pr +
                                R"(<sheets><sheet name="S" r:id="rId1"/></sheets></workbook>)"},
        {"xl/styles.xml", styles},
        {"xl/worksheets/sheet1.xml",
         SheetXml(R"(<row r="1"><c r="A1" s="1"><v>40302</v></c><c r="B1" s="2"><v>40302.5</v></c>
           <c r="C1" s="3"><v>40302</v></c><c r="D1" s="4"><v>0.75</v></c>
           <c r="E1" s="0"><v>40302</v></c><c r="F1" s="1"><v>1</v></c>
           <c r="G1" s="5"><v>1.5</v></c><c r="H1" s="1"><v>-3</v></c></row>)")},
    }));
  };
  ReadResult r = read("");
  ASSERT_TRUE(r.sheet) << U8(r.error);
  const Sheet& s = *r.sheet;
  EXPECT_EQ(s.Cell(1, 1), "2010-05-04");
  EXPECT_EQ(s.Cell(1, 2), "2010-05-04 12:00:00");
  EXPECT_EQ(s.Cell(1, 3), "40302");  // a number format with quoted text
  EXPECT_EQ(s.Cell(1, 4), "18:00:00");
  EXPECT_EQ(s.Cell(1, 5), "40302");
  EXPECT_EQ(s.Cell(1, 6), "1900-01-01");
  EXPECT_EQ(s.Cell(1, 7), "12:00:00");
  EXPECT_EQ(s.Cell(1, 8), "-3");  // no date before 1900
  ReadResult r1904 = read(R"(<workbookPr date1904="1"/>)");
  ASSERT_TRUE(r1904.sheet);
  EXPECT_EQ(r1904.sheet->Cell(1, 1), "2014-05-05");
}

TEST(XlsReader, LoopingSectorChainsEnd) {
  // A compound document with 64 KiB sectors whose header names sector 0 as
  // every allocation-table sector and whose table sends sector 0 to itself:
  // reading it must end without following the loop.
  std::string file(2 * 65536, '\0');
  file.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
  file[0x1E] = 16;                                      // sector shift
  file[0x20] = 6;                                       // mini sector shift
  file[0x39] = 0x10;                                    // mini stream cutoff 4096
  for (int i = 0; i < 4; ++i) file[0x44 + i] = '\xFF';  // no more DIFAT sectors
  EXPECT_EQ(XlsActiveSheet(file), 0u);
  EXPECT_TRUE(XlsFormulaCells(file, 0).empty());
}

TEST(XlsReader, AFileShorterThanItsSectorsIsRefused) {
  // 4096-byte sectors in a file of fewer bytes: no sector after the header
  // at all, which once made the check of the allocation table read past a
  // table of no entries (found by fuzzing).
  std::string file(3952, '\0');
  file.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
  file[0x1C] = '\xFE';
  file[0x1D] = '\xFF';  // byte order mark
  file[0x1E] = 12;      // sector shift: 4096 bytes
  file[0x20] = 6;       // mini sector shift
  file[0x2C] = 1;       // one allocation-table sector
  file[0x39] = 0x10;    // mini stream cutoff 4096
  const auto problem = XlsProblem(file);
  ASSERT_TRUE(problem);
  EXPECT_NE(enc::ToUtf8(*problem).find("文件太短"), std::string::npos);
  ReadResult r = ReadWorkbook(Damaged("compound_sector_larger_than_file.xls"));
  EXPECT_FALSE(r.sheet);
  EXPECT_NE(enc::ToUtf8(r.error).find("不是有效的Excel文件"), std::string::npos);
}

}  // namespace
}  // namespace tessaly::workbook
