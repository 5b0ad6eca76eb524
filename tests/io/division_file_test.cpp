#include "io/division_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "io/division_check.h"
#include "io/division_test_states.h"
#include "io/safe_save.h"
#include "platform/encoding.h"

namespace tessaly::io {
namespace {

namespace fs = std::filesystem;
using model::ProgramState;
using model::Student_F;

std::string Encoded(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) out += EncodeLine(l) + "\r\n";
  return out;
}

// The file as a writer without the check section (another program, or an
// earlier version) writes it.
std::string Unchecked(const ProgramState& state) {
  std::string text = WriteDivisionText(state);
  std::size_t at = 0;
  for (int i = 0; i < 3; ++i) at = text.find("\r\n", at) + 2;
  return text.substr(at);
}

ProgramState Reopen(const ProgramState& state) {
  DivisionRead read = ReadDivisionText(WriteDivisionText(state), ProgramState{});
  EXPECT_TRUE(read.ok) << enc::ToUtf8(read.error);
  return read.state;
}

TEST(LineEncoding, PlainBytesSpaceAndEscapes) {
  EXPECT_EQ(EncodeLine("FBsheetinf_begin"), "FBsheetinf%5Fbegin");
  EXPECT_EQ(EncodeLine("1|3|"), "1%7C3%7C");
  EXPECT_EQ(EncodeLine("学号|"_gb), "%D1%A7%BA%C5%7C");
  EXPECT_EQ(EncodeLine("a b-_.*~\r"), "a+b%2D%5F%2E%2A%7E%0D");
  EXPECT_EQ(EncodeLine(""), "");
}

TEST(LineEncoding, DecodeReversesAndKeepsUndecodableLines) {
  EXPECT_EQ(DecodeLine("FBsheetinf%5Fbegin"), "FBsheetinf_begin");
  EXPECT_EQ(DecodeLine("%d1%a7%BA%C5%7c"), "学号|"_gb);
  EXPECT_EQ(DecodeLine("a+b"), "a b");
  EXPECT_EQ(DecodeLine("raw|text"), "raw|text");
  // A "%" without two hex digits leaves the whole line as stored.
  EXPECT_EQ(DecodeLine("a+b%7C50%"), "a+b%7C50%");
  EXPECT_EQ(DecodeLine("%4"), "%4");
  EXPECT_EQ(DecodeLine("%G1+x"), "%G1+x");
  for (int c = 0; c < 256; ++c) {
    std::string one(1, static_cast<char>(c));
    EXPECT_EQ(DecodeLine(EncodeLine(one)), one) << c;
  }
}

TEST(DivisionWriter, SingleTableLayoutByteForByte) {
  ProgramState state = testdata::SmallSingleTable();
  const std::vector<std::string> lines = {
      "YuanShiInf0_begin",
      "FBsheetinf_begin",
      "2|高一 期中|100|1|"_gb,
      "FBsheetinf_end",
      "FBbiaoti_begin",
      "学号|姓名|性别|预设班级|总分|新分班级|"_gb,
      "语文|数学|"_gb,
      "住校|"_gb,
      "备注|"_gb,
      "FBbiaoti_end",
      "FBstudent_begin",
      "1001|张 三|男|-1|175.5|1|-1|"_gb,
      "88|87.5|",
      "走读|"_gb,
      "|",
      "1002|李四|女|3|100|2|-1|"_gb,
      "40|60|",
      "住校|"_gb,
      "班长|"_gb,
      "FBstudent_end",
      "YuanShiInf0_end",
      "RenShuQuanZhi_begin",
      "性别|4 级|"_gb,
      "RenShuQuanZhi_end",
      "Mohu_shengmu_begin",
      "z-zh",
      "Mohu_shengmu_end",
      "FengBanLeixin_begin",
      "按名次|1-2-|2|1,2,||"_gb,
      "FengBanLeixin_end",
      "ShuJu_begin",
      "0|1|",
      "ShuJu_end",
  };
  const std::string text = WriteDivisionText(state);
  EXPECT_EQ(text, CheckSectionFor(Encoded(lines)) + Encoded(lines));
  EXPECT_EQ(text.substr(0, 17), "JiaoYan%5Fbegin\r\n");
  EXPECT_EQ(Unchecked(state), Encoded(lines));
  EXPECT_NE(text.find("\r\n1001%7C%D5%C5+%C8%FD%7C"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 13), "ShuJu%5Fend\r\n");
}

TEST(DivisionRoundTrip, SingleTableKeepsEverything) {
  ProgramState saved = testdata::SmallSingleTable();
  saved.ShowPresetClass = false;  // not part of the file: the current value stays
  saved.SameNameRows = {"stale"};
  ProgramState current;
  current.ShowPresetClass = false;
  current.SameNameRows = {"stale"};
  DivisionRead read = ReadDivisionText(WriteDivisionText(saved), current);
  ASSERT_TRUE(read.ok) << enc::ToUtf8(read.error);
  saved.SameNameRows.clear();
  EXPECT_EQ(read.state, saved);
  EXPECT_EQ(read.state.ImportedSets[0].Students[0].Name, "张 三"_gb);
  EXPECT_EQ(read.state.ImportedSets[0].Students[0].Scores[1], 87.5);
  EXPECT_FALSE(read.state.CombineMode);
  EXPECT_EQ(read.state.ExpectedSetCount, 1);
}

TEST(DivisionRoundTrip, CombinedDivisionKeepsTablesRangeSetsAndClasses) {
  ProgramState saved = testdata::CombinedDivided();
  ProgramState back = Reopen(saved);
  EXPECT_EQ(back, saved);
  ASSERT_EQ(back.ImportedSets.size(), 4u);
  EXPECT_EQ(back.ImportedSets[0].TableName, "期末(折合)"_gb);
  ASSERT_EQ(back.RangeSets.size(), 2u);
  // The classes of the division and the decimal score survive.
  EXPECT_EQ(back.RangeSets[0].Students[0].AssignedClass, 1);
  EXPECT_EQ(back.RangeSets[0].Students[1].Scores[0], 87.5);
  EXPECT_EQ(back.RangeSets[1].Students[0].AssignedClass, 3);
  EXPECT_EQ(back.NextSetSlot, 4);
}

TEST(DivisionRoundTrip, RangeSetSectionsComeAfterTablesAndIncludeEmptySets) {
  ProgramState saved = testdata::CombinedDivided();
  saved.RangeSets.insert(saved.RangeSets.begin() + 1, model::Student_F{});
  saved.ClassRangeRows.push_back("按名次|4-9-|1|4,||"_gb);
  const std::string text = WriteDivisionText(saved);
  auto at = [&](const char* marker) { return text.find(EncodeLine(marker) + "\r\n"); };
  EXPECT_LT(at("YuanShiInf3_end"), at("YuanShiInf_tiqu0_begin"));
  EXPECT_LT(at("YuanShiInf_tiqu0_end"), at("YuanShiInf_tiqu1_begin"));
  EXPECT_LT(at("YuanShiInf_tiqu1_end"), at("YuanShiInf_tiqu2_begin"));
  EXPECT_LT(at("YuanShiInf_tiqu2_end"), at("RenShuQuanZhi_begin"));
  ProgramState back = Reopen(saved);
  ASSERT_EQ(back.RangeSets.size(), 3u);
  EXPECT_TRUE(back.RangeSets[1].Students.empty());
  EXPECT_EQ(back.RangeSets[2].Students[0].AssignedClass, 3);
}

TEST(DivisionRoundTrip, EmptyRuleListsHaveNoSectionAndReadBackEmpty) {
  ProgramState saved = testdata::SmallSingleTable();
  saved.BalanceItemRows.clear();
  saved.InitialSoundPairs.clear();
  const std::string text = WriteDivisionText(saved);
  EXPECT_EQ(text.find("RenShuQuanZhi"), std::string::npos);
  EXPECT_EQ(text.find("Mohu"), std::string::npos);
  ProgramState current = testdata::CombinedDivided();  // lists full before opening
  DivisionRead read = ReadDivisionText(text, current);
  ASSERT_TRUE(read.ok);
  EXPECT_TRUE(read.state.BalanceItemRows.empty());
  EXPECT_TRUE(read.state.FinalSoundPairs.empty());
  EXPECT_TRUE(read.state.CountConditionRows.empty());
  EXPECT_TRUE(read.state.RangeSets.empty());
  EXPECT_EQ(read.state.ClassRangeRows, saved.ClassRangeRows);
}

TEST(DivisionWriter, BarsInsideFieldsAreStoredAsFullWidthBars) {
  // A "|" typed into a table name would shift every field of the sheet line
  // and the file could not be opened again.
  ProgramState saved = testdata::SmallSingleTable();
  saved.ImportedSets[0].TableName = "期中|A卷"_gb;
  saved.ImportedSets[0].Students[1].ExtraValues[0] = "a|b"_gb;
  ProgramState back = Reopen(saved);
  EXPECT_EQ(back.ImportedSets[0].TableName, "期中｜A卷"_gb);
  EXPECT_EQ(back.ImportedSets[0].WeightPercent, 100);
  EXPECT_EQ(back.ImportedSets[0].Students[1].ExtraValues, std::vector<std::string>{"a｜b"_gb});
  // A "|" that is the second byte of a double-byte character stays as it is.
  saved = testdata::SmallSingleTable();
  saved.ImportedSets[0].Students[0].Name = "\x81|\xB0\xA1";
  EXPECT_EQ(Reopen(saved).ImportedSets[0].Students[0].Name, "\x81|\xB0\xA1");
}

TEST(DivisionRoundTrip, TextsEndingInALoneLeadByteKeepEveryField) {
  ProgramState state = testdata::SmallSingleTable();
  model::student& s = state.ImportedSets[0].Students[0];
  s.Number = "12345678901234567\xB0";
  s.Name = "\xD5\xC5\xB0";
  s.ExtraValues = {"\xB0"};
  state.ImportedSets[0].TableName = "T\xB0";
  state.ClassRangeRows = {"\xB0|1-2-|2|1,2,||"};
  DivisionRead read = ReadDivisionText(WriteDivisionText(state), ProgramState{});
  ASSERT_TRUE(read.ok) << enc::ToUtf8(read.error);
  const model::student& r = read.state.ImportedSets[0].Students[0];
  EXPECT_EQ(r.Number, "12345678901234567?");
  EXPECT_EQ(r.Name, "\xD5\xC5?");
  EXPECT_EQ(r.Gender, s.Gender);
  EXPECT_EQ(r.ExtraValues, std::vector<std::string>{"?"});
  EXPECT_EQ(read.state.ImportedSets[0].TableName, "T?");
  // "\xB0|" is one character of a row stored verbatim.
  EXPECT_EQ(read.state.ClassRangeRows, state.ClassRangeRows);
}

TEST(DivisionRoundTrip, AFileWhoseNumberIsCutInsideACharacterIsWrittenReadably) {
  std::ifstream in(std::string(TESSALY_TEST_DATA) + "/damaged/roundtrip_number_cut_lead_byte.fb",
                   std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  DivisionRead first = ReadDivisionText(bytes, ProgramState{});
  ASSERT_TRUE(first.ok) << enc::ToUtf8(first.error);
  EXPECT_EQ(first.state.ImportedSets[0].Students[0].Number, "12345678901234567?");
  DivisionRead second = ReadDivisionText(WriteDivisionText(first.state), ProgramState{});
  ASSERT_TRUE(second.ok) << enc::ToUtf8(second.error);
  EXPECT_EQ(second.state, first.state);
}

TEST(DivisionWriter, SheetLineCountsTheStudentsWritten) {
  ProgramState saved = testdata::SmallSingleTable();
  saved.ImportedSets[0].StudentCount = 5;  // out of step with its two rows
  ProgramState back = Reopen(saved);
  EXPECT_EQ(back.ImportedSets[0].StudentCount, 2);
  EXPECT_EQ(back.ImportedSets[0].Students, saved.ImportedSets[0].Students);
}

TEST(DivisionWriter, NumbersThatCannotBeReadBackAreNotSaved) {
  const fs::path path = fs::temp_directory_path() / ("tessaly_nan_" + std::to_string(::getpid()));
  { std::ofstream(path) << "old"; }
  ProgramState state = testdata::CombinedDivided();
  state.RangeSets[1].Students[0].Scores[0] = std::nan("");
  auto error = SaveDivisionFile(state, path.string());
  ASSERT_TRUE(error);
  EXPECT_NE(enc::ToUtf8(*error).find("学生“2002”的成绩不是有效的数字"), std::string::npos)
      << enc::ToUtf8(*error);
  state.RangeSets[1].Students[0].Scores[0] = 1;
  state.ImportedSets[2].Students[0].Total = 1.7976931348623157e308;
  EXPECT_TRUE(SaveDivisionFile(state, path.string()));
  {
    std::ifstream in(path);  // closed before the removal, which Windows refuses otherwise
    std::string content;
    std::getline(in, content);
    EXPECT_EQ(content, "old");
  }
  fs::remove(path);
}

TEST(DivisionReader, MarkersIgnoreLatinCaseAndTheFirstOneCounts) {
  const std::string text = Encoded({"yuanshiinf0_BEGIN",
                                    "fbSheetInf_begin",
                                    "1|T|100|1|",
                                    "fbsheetinf_end",
                                    "FBBIAOTI_BEGIN",
                                    "x",
                                    "a|",
                                    "",
                                    "",
                                    "fbbiaoti_end",
                                    "fbstudent_begin",
                                    "7|N|M|-1|5|1|2|",
                                    "5|",
                                    "",
                                    "",
                                    "FBSTUDENT_END",
                                    "YUANSHIINF0_END",
                                    "fengbanleixin_begin",
                                    "first|",
                                    "FENGBANLEIXIN_END",
                                    "FengBanLeixin_begin",
                                    "second|",
                                    "FengBanLeixin_end",
                                    "shuju_Begin",
                                    "0|1|",
                                    "shuju_end"});
  DivisionRead read = ReadDivisionText(text, ProgramState{});
  ASSERT_TRUE(read.ok) << enc::ToUtf8(read.error);
  ASSERT_EQ(read.state.ImportedSets.size(), 1u);
  EXPECT_EQ(read.state.ImportedSets[0].Students[0].AssignedClass, 2);
  EXPECT_EQ(read.state.ClassRangeRows, model::RuleList{"first|"});
  EXPECT_TRUE(read.state.DivisionStarted);
}

TEST(DivisionReader, AcceptsLfOnlyAndAMissingFinalLineBreak) {
  std::string text = WriteDivisionText(testdata::SmallSingleTable());
  std::string lf;
  for (char c : text) {
    if (c != '\r') lf += c;
  }
  lf.pop_back();
  DivisionRead read = ReadDivisionText(lf, ProgramState{});
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(read.state, testdata::SmallSingleTable());
}

TEST(DivisionReader, EveryNumberedSectionIsRestoredDespiteGaps) {
  // Combined division saved before its first division, with slot 2 cleared:
  // sections 1 and 3 only.
  ProgramState saved = testdata::CombinedDivided();
  saved.RangeSets.clear();
  saved.ImportedSets[0] = model::Student_F{};
  saved.ImportedSets[0].WeightPercent = 0;
  saved.ImportedSets[2] = saved.ImportedSets[0];
  saved.NextSetSlot = 2;
  ProgramState back = Reopen(saved);
  EXPECT_EQ(back, saved);
  ASSERT_EQ(back.ImportedSets.size(), 4u);
  EXPECT_TRUE(back.ImportedSets[0].Students.empty());
  EXPECT_EQ(back.ImportedSets[1].TableName, "期中"_gb);
  EXPECT_TRUE(back.ImportedSets[2].Students.empty());
  EXPECT_EQ(back.ImportedSets[3].TableName, "月考"_gb);
  EXPECT_EQ(back.NextSetSlot, 2);
}

TEST(DivisionReader, SlotsCoverTheHighestSectionAndTheMode) {
  ProgramState saved = testdata::SmallSingleTable();
  saved.CombineMode = true;
  saved.ExpectedSetCount = 5;
  EXPECT_EQ(Reopen(saved).ImportedSets.size(), 6u);
  saved.ExpectedSetCount = 0;
  saved.CombineMode = false;
  EXPECT_EQ(Reopen(saved).ImportedSets.size(), 1u);
  // Range sets: at least one per class range row.
  ProgramState divided = testdata::CombinedDivided();
  divided.ClassRangeRows.push_back("按名次|4-9-|1|4,||"_gb);
  EXPECT_EQ(Reopen(divided).RangeSets.size(), 3u);
}

TEST(DivisionReader, IntegerTextsInRangeSetsReadAsBefore) {
  ProgramState saved = testdata::CombinedDivided();
  saved.RangeSets[1].Students[0].Scores = {70};
  EXPECT_EQ(Reopen(saved).RangeSets[1].Students[0].Scores[0], 70.0);
}

TEST(DivisionReader, FileWithOnlyARuleListEmptiesTheRest) {
  ProgramState current = testdata::CombinedDivided();
  DivisionRead read =
      ReadDivisionText(Encoded({"FengBanLeixin_begin", "x|", "FengBanLeixin_end"}), current);
  ASSERT_TRUE(read.ok);
  EXPECT_TRUE(read.state.ImportedSets.empty());
  EXPECT_TRUE(read.state.RangeSets.empty());
  EXPECT_EQ(read.state.ClassRangeRows, model::RuleList{"x|"});
  EXPECT_TRUE(read.state.BandConditionRows.empty());
  EXPECT_FALSE(read.state.DivisionStarted);
  // The mode keeps its value without a mode section.
  EXPECT_TRUE(read.state.CombineMode);
  EXPECT_EQ(read.state.ExpectedSetCount, 3);
}

TEST(DivisionReader, BytesThatAreNoDivisionFileAreRefused) {
  const ProgramState current = testdata::CombinedDivided();
  const std::string saved = WriteDivisionText(testdata::SmallSingleTable());
  const std::vector<std::string> cases = {
      "",
      "hello\r\nworld\r\n",
      std::string("PK\x03\x04\x14\x00", 6) + "xl/workbook.xml",
      "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1",
      "\x7F"
      "ELF\x02\x01\x01",
      "学号,姓名,性别\r\n1,张三,男\r\n"_gb,
      saved.substr(0, 40) + '\0' + saved.substr(40),  // a stored file with a NUL
  };
  for (const std::string& bytes : cases) {
    DivisionRead read = ReadDivisionText(bytes, current);
    EXPECT_FALSE(read.ok) << bytes.size();
    EXPECT_TRUE(read.not_division_file) << bytes.size();
    EXPECT_FALSE(read.error.empty());
    EXPECT_EQ(read.state, current);
  }
}

TEST(DivisionReader, ACheckedFileCutOrChangedIsRefused) {
  const ProgramState current = testdata::SmallSingleTable();
  const std::string full = WriteDivisionText(testdata::CombinedDivided());
  // Cut right after the range rows: the rule lists and the mode are gone, yet
  // every section left is complete.
  const std::string ranges_end = EncodeLine("FengBanLeixin_end") + "\r\n";
  const std::string cut = full.substr(0, full.find(ranges_end) + ranges_end.size());
  std::string changed = full;
  changed[changed.find("2001%7C") + 3] = '2';  // one digit of a student number
  std::string no_end = full;
  no_end.erase(no_end.find("JiaoYan%5Fend"), 13);
  struct Case {
    std::string text;
    const char* message;
  };
  for (const Case& c : {Case{cut, "而实有"}, Case{changed, "校验和不符"},
                        Case{full.substr(0, 20), "校验节不完整"}, Case{no_end, "校验节不完整"}}) {
    DivisionRead read = ReadDivisionText(c.text, current);
    EXPECT_FALSE(read.ok) << c.message;
    EXPECT_FALSE(read.not_division_file);
    EXPECT_EQ(read.state, current);
    EXPECT_NE(enc::ToUtf8(read.error).find(c.message), std::string::npos)
        << enc::ToUtf8(read.error);
  }
  // Other line breaks and lower-case escapes keep the check.
  std::string lf;
  for (char ch : full) {
    if (ch != '\r') lf += ch;
  }
  for (std::size_t at = 0; (at = lf.find("%7C", at)) != std::string::npos;) lf[at + 2] = 'c';
  EXPECT_TRUE(ReadDivisionText(lf, current).ok);
}

// A file the writer produced, with one decoded line replaced.
// An empty `to` removes the line; `kEmptyLine` puts an empty line in its place.
const std::string kEmptyLine = "\x01";
std::string WithLine(const std::string& from, const std::string& to) {
  std::string text = Unchecked(testdata::CombinedDivided());
  std::string needle = EncodeLine(from) + "\r\n";
  auto at = text.find(needle);
  EXPECT_NE(at, std::string::npos) << from;
  if (to == kEmptyLine) return text.replace(at, needle.size(), "\r\n");
  return text.replace(at, needle.size(), to.empty() ? "" : EncodeLine(to) + "\r\n");
}

TEST(DivisionReader, DamagedFilesAreReportedAndChangeNothing) {
  const ProgramState current = testdata::SmallSingleTable();
  const std::string full = Unchecked(testdata::CombinedDivided());
  struct Case {
    const char* what;
    std::string text;
    const char* message;  // part of the UTF-8 message
  };
  const std::vector<Case> cases = {
      {"total not a number",
       WithLine("2001|王五|男|-1|90.25|1|-1|"_gb, "2001|王五|男|-1|9x|1|-1|"_gb),
       "总分“9x”不是有效的数字"},
      {"score not a number", WithLine("70|", "7 0|"), "成绩“7 0”不是有效的数字"},
      {"rank not an integer",
       WithLine("2002|赵六|女|2|70|2|-1|"_gb, "2002|赵六|女|2|70|2.5|-1|"_gb),
       "名次“2.5”不是有效的整数"},
      {"missing fields", WithLine("2002|赵六|女|2|70|2|-1|"_gb, "2002|赵六|女|"_gb),
       "预设班级“”不是有效的整数"},
      {"infinite score", WithLine("70|", "1e999|"), "不是有效的数字"},
      {"score too large to write back", WithLine("70|", "1.7976931348623157e308|"), "超出数值范围"},
      {"nan", WithLine("70|", "nan|"), "不是有效的数字"},
      {"cut short", full.substr(0, full.size() / 2), "文件不完整"},
      {"missing end marker", WithLine("YuanShiInf2_end", ""), "YuanShiInf2_end"},
      {"student lines not a multiple of four", WithLine("70|", ""), "每名学生应有 4 行"},
      {"count differs", WithLine("3|期中|40|0|"_gb, "4|期中|40|0|"_gb), "记载"},
      {"fewer scores than subjects", WithLine("70|", kEmptyLine), "有 0 项成绩"},
      {"mode line missing", WithLine("1|3|", ""), "缺少导入方式"},
      {"section number too large", full + Encoded({"YuanShiInf5000_begin", "YuanShiInf5000_end"}),
       "过大"},
      {"student section missing", WithLine("FBstudent_begin", "x"), "FBstudent_begin"},
  };
  for (const Case& c : cases) {
    DivisionRead read = ReadDivisionText(c.text, current);
    EXPECT_FALSE(read.ok) << c.what;
    EXPECT_EQ(read.state, current) << c.what;
    EXPECT_NE(enc::ToUtf8(read.error).find(c.message), std::string::npos)
        << c.what << ": " << enc::ToUtf8(read.error);
  }
}

class DivisionFileOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("tessaly_fb_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }
  static std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  fs::path dir_;
};

TEST_F(DivisionFileOnDisk, SaveReplacesTheFileAndLeavesNoTemporaryFile) {
  const std::string path = (dir_ / "a.fb").string();
  { std::ofstream(path) << "old"; }
  ASSERT_FALSE(SaveDivisionFile(testdata::SmallSingleTable(), path));
  EXPECT_EQ(Slurp(path), WriteDivisionText(testdata::SmallSingleTable()));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
  DivisionRead read = LoadDivisionFile(path, ProgramState{});
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(read.state, testdata::SmallSingleTable());
}

TEST_F(DivisionFileOnDisk, LongNamesSave) {
  // The longest names a file system takes: a temporary name made of the
  // target's name and a suffix would be too long.
  for (std::size_t length : {249u, 255u}) {
    const std::string name = std::string(length - 3, 'n') + ".fb";
    const std::string path = (dir_ / name).string();
    ASSERT_FALSE(SaveDivisionFile(testdata::SmallSingleTable(), path)) << length;
    ASSERT_FALSE(SaveDivisionFile(testdata::SmallSingleTable(), path)) << length;  // replaces
    EXPECT_EQ(Slurp(path), WriteDivisionText(testdata::SmallSingleTable()));
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

// Links, owners, process signals and /proc: POSIX file systems (the Windows
// saves: safe_save_test_windows.cpp).
#ifndef _WIN32
TEST_F(DivisionFileOnDisk, SavingThroughALinkReplacesTheFileItPointsTo) {
  fs::create_directories(dir_ / "real");
  const fs::path file = dir_ / "real" / "a.fb";
  { std::ofstream(file) << "old"; }
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink("real/a.fb", dir_ / "link.fb");        // relative
  fs::create_symlink(dir_ / "link.fb", dir_ / "chain.fb");  // a link to the link
  for (const char* via : {"link.fb", "chain.fb"}) {
    ASSERT_FALSE(SaveDivisionFile(testdata::SmallSingleTable(), (dir_ / via).string())) << via;
    EXPECT_TRUE(fs::is_symlink(dir_ / via)) << via;
  }
  EXPECT_EQ(Slurp(file), WriteDivisionText(testdata::SmallSingleTable()));
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "real"), fs::directory_iterator()), 1);
  // A link to a file not yet there creates that file.
  fs::create_symlink("real/new.fb", dir_ / "dangling.fb");
  ASSERT_FALSE(SaveDivisionFile(testdata::SmallSingleTable(), (dir_ / "dangling.fb").string()));
  EXPECT_TRUE(fs::is_regular_file(dir_ / "real" / "new.fb"));
  EXPECT_TRUE(fs::is_symlink(dir_ / "dangling.fb"));
}

TEST_F(DivisionFileOnDisk, SavingKeepsTheOwnerWhereTheSystemAllows) {
  if (::geteuid() != 0) GTEST_SKIP() << "only the superuser may give a file to another user";
  const fs::path file = dir_ / "a.fb";
  { std::ofstream(file) << "old"; }
  ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
  ASSERT_FALSE(SaveDivisionFile(testdata::SmallSingleTable(), file.string()));
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 65534u);
  EXPECT_EQ(st.st_gid, 65534u);
}

TEST_F(DivisionFileOnDisk, TemporariesOfKilledSavesAreRemoved) {
  EXPECT_TRUE(IsOurTemporaryName(".~fb123.abc123"));
  EXPECT_FALSE(IsOurTemporaryName(".~fb123.abc12"));
  EXPECT_FALSE(IsOurTemporaryName("a.fb.XXXXXX"));
  // A process that has ended and one that still runs (our parent).
  int dead = 1 << 22;
  while (::kill(dead, 0) == 0 || errno != ESRCH) ++dead;
  const std::string stale = ".~fb" + std::to_string(dead) + ".abc123";
  const std::string live = ".~fb" + std::to_string(::getppid()) + ".abc123";
  { std::ofstream(dir_ / stale) << "x"; }
  { std::ofstream(dir_ / live) << "x"; }
  ASSERT_FALSE(SaveDivisionFile(testdata::SmallSingleTable(), (dir_ / "a.fb").string()));
  EXPECT_FALSE(fs::exists(dir_ / stale));
  EXPECT_TRUE(fs::exists(dir_ / live));
}

TEST_F(DivisionFileOnDisk, FailedSaveReportsAnErrorAndKeepsTheOldFile) {
  auto error = SaveDivisionFile(testdata::SmallSingleTable(), (dir_ / "no" / "a.fb").string());
  ASSERT_TRUE(error);
  EXPECT_NE(enc::ToUtf8(*error).find("保存分班结果失败"), std::string::npos);
  EXPECT_NE(enc::ToUtf8(*error).find("a.fb"), std::string::npos);
  // There was no file, so none is said to be unchanged.
  EXPECT_EQ(enc::ToUtf8(*error).find("原有的文件没有改动"), std::string::npos);
  // A file in a folder nobody may write to, not even the superuser.
  const std::string before = Slurp("/proc/version");
  auto kept = SaveDivisionFile(testdata::SmallSingleTable(), "/proc/version");
  ASSERT_TRUE(kept);
  EXPECT_NE(enc::ToUtf8(*kept).find("原有的文件没有改动"), std::string::npos);
  EXPECT_EQ(Slurp("/proc/version"), before);

  // The target is a folder with content: the rename fails, nothing is lost.
  fs::create_directories(dir_ / "b.fb" / "inner");
  EXPECT_TRUE(SaveDivisionFile(testdata::SmallSingleTable(), (dir_ / "b.fb").string()));
  EXPECT_TRUE(fs::exists(dir_ / "b.fb" / "inner"));

  if (::geteuid() != 0) {  // permissions do not stop the superuser
    const fs::path path = dir_ / "c.fb";
    { std::ofstream(path) << "old"; }
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    auto refused = SaveDivisionFile(testdata::SmallSingleTable(), path.string());
    ASSERT_TRUE(refused);
    EXPECT_NE(enc::ToUtf8(*refused).find("原有的文件没有改动"), std::string::npos);
    fs::permissions(dir_, fs::perms::owner_all);
    EXPECT_EQ(Slurp(path), "old");
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

#endif

TEST_F(DivisionFileOnDisk, LoadNamesTheFileInItsErrors) {
#ifdef _WIN32
  GTEST_SKIP() << "names a Chinese file by a narrow std::filesystem path, which MinGW's library "
                  "does not read as UTF-8 (the program converts by platform::PathOf)";
#endif
  DivisionRead missing = LoadDivisionFile((dir_ / "none.fb").string(), ProgramState{});
  EXPECT_FALSE(missing.ok);
  EXPECT_NE(enc::ToUtf8(missing.error).find("none.fb"), std::string::npos);
  const fs::path bad = dir_ / "坏.fb";
  { std::ofstream(bad, std::ios::binary) << WithLine("70|", "x|"); }
  DivisionRead damaged = LoadDivisionFile(bad.string(), ProgramState{});
  EXPECT_FALSE(damaged.ok);
  EXPECT_NE(enc::ToUtf8(damaged.error).find("坏.fb”已损坏"), std::string::npos)
      << enc::ToUtf8(damaged.error);
}

}  // namespace
}  // namespace tessaly::io
