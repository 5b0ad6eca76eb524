// Import of a 20,000-student table: a workbook file written by
// libxlsxwriter in the set-up (shared strings, numbers, a formula column),
// read and imported by the workbook import command; and the same table as
// pasted text through the pasted import. The same table in the teacher's own
// words (a title row above plain headings, 数学(150), a 总分 column) shows what
// finding the heading row and proposing the roles add.

#include <benchmark/benchmark.h>
#include <xlsxwriter.h>

#include <filesystem>
#include <string>

#include "import/column_roles.h"
#include "import/import_commands.h"
#include "import/table_list.h"
#include "model/silent_user.h"
#include "platform/encoding.h"

namespace {

using namespace tessaly;

constexpr int kStudents = 20000;
const char* const kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "赵", "黄", "周", "吴"};
const char* const kGiven[] = {"伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "军", "洋", "勇"};
const char* const kHeadings[] = {"学号",        "姓名",        "性别",     "预设班级", "KEMU语文",
                                 "KEMU数学",    "KEMU英语",    "KEMU物理", "KEMU化学", "KEMU合计",
                                 "JUNHENG住校", "JUNHENG来源", "备注"};

std::string NameOf(int i) {
  return std::string(kSurnames[i % 10]) + kGiven[(i / 10) % 11] + kGiven[(i / 110) % 11];
}

double ScoreOf(int i, int subject) {
  return 40 + ((i * 37 + subject * 101) % 121) * 0.5;
}

const char* const kOwnHeadings[] = {"学号",      "姓名",  "性别", "预设班级", "语文",
                                    "数学(150)", "英 语", "物理", "化学",     "总分",
                                    "住校",      "来源",  "备注"};

// Writes the workbook: the headings in row 1, or below a title row in row 2.
std::string WriteWorkbook(const char* file, const char* const* headings, bool title) {
  std::string p = (std::filesystem::temp_directory_path() / file).string();
  lxw_workbook* wb = workbook_new(p.c_str());
  lxw_worksheet* ws = workbook_add_worksheet(wb, "成绩");
  const lxw_row_t top = title ? 1 : 0;
  if (title) worksheet_write_string(ws, 0, 0, "2026级高一期末考试成绩表", nullptr);
  for (int c = 0; c < 13; ++c) worksheet_write_string(ws, top, c, headings[c], nullptr);
  for (int i = 0; i < kStudents; ++i) {
    lxw_row_t r = static_cast<lxw_row_t>(i + 1 + top);
    worksheet_write_string(ws, r, 0, ("2026" + std::to_string(100000 + i)).c_str(), nullptr);
    worksheet_write_string(ws, r, 1, NameOf(i).c_str(), nullptr);
    worksheet_write_string(ws, r, 2, i % 2 ? "男" : "女", nullptr);
    if (i % 50 == 0) worksheet_write_string(ws, r, 3, "3班", nullptr);
    double sum = 0;
    for (int s = 0; s < 5; ++s) {
      sum += ScoreOf(i, s);
      worksheet_write_number(ws, r, 4 + s, ScoreOf(i, s), nullptr);
    }
    std::string row = std::to_string(i + 2 + top);
    worksheet_write_formula_num(ws, r, 9, ("=SUM(E" + row + ":I" + row + ")").c_str(), nullptr,
                                sum);
    worksheet_write_string(ws, r, 10, i % 3 ? "是" : "否", nullptr);
    worksheet_write_string(ws, r, 11, i % 7 ? "城区" : "乡镇", nullptr);
    worksheet_write_string(ws, r, 12, "", nullptr);
  }
  workbook_close(wb);
  return p;
}

// Writes the workbooks once; their paths.
const std::string& Workbook() {
  static const std::string path = WriteWorkbook("tessaly-import-bench.xlsx", kHeadings, false);
  return path;
}
const std::string& OwnWorkbook() {
  static const std::string path =
      WriteWorkbook("tessaly-import-bench-own.xlsx", kOwnHeadings, true);
  return path;
}

std::string PastedText() {
  std::string text;
  for (int c = 0; c < 13; ++c) text += std::string(kHeadings[c]) + "\t";
  text += "\r\n";
  for (int i = 0; i < kStudents; ++i) {
    text += "2026" + std::to_string(100000 + i) + "\t" + NameOf(i) + "\t" + (i % 2 ? "男" : "女") +
            "\t" + (i % 50 == 0 ? "3班" : "") + "\t";
    double sum = 0;
    for (int s = 0; s < 5; ++s) {
      sum += ScoreOf(i, s);
      text += std::to_string(ScoreOf(i, s)) + "\t";
    }
    text += std::to_string(sum) + "\t" + (i % 3 ? "是" : "否") + "\t" + (i % 7 ? "城区" : "乡镇") +
            "\t\t\r\n";
  }
  return enc::FromUtf8(text);
}

void Started(model::ProgramState& state, model::ImportPage& page, model::UserPort& user) {
  import::StartNewDivision(state, page, user);
  import::NewDivisionDialog dialog;
  dialog.SetSingle(true);
  dialog.Accept(state, user);
}

void ImportWorkbook(benchmark::State& st, const std::string& path) {
  model::SilentUser user(true);
  for (auto _ : st) {
    model::ProgramState state;
    model::ImportPage page;
    Started(state, page, user);
    auto outcome = import::WorkbookImportFile(state, page, user, path, "", [] { return "x"; });
    if (outcome != import::ImportOutcome::kImported ||
        state.ImportedSets[0].StudentCount != kStudents) {
      st.SkipWithError("the workbook was not imported");
      return;
    }
    benchmark::DoNotOptimize(state);
  }
}

void BM_WorkbookImport20000(benchmark::State& st) {
  ImportWorkbook(st, Workbook());
}
BENCHMARK(BM_WorkbookImport20000)->Unit(benchmark::kMillisecond);

// The same students below a title row, in plain headings: the heading row is
// found and the roles proposed and applied (the teacher's 总分 checked too).
void BM_OwnWordsWorkbookImport20000(benchmark::State& st) {
  ImportWorkbook(st, OwnWorkbook());
}
BENCHMARK(BM_OwnWordsWorkbookImport20000)->Unit(benchmark::kMillisecond);

// The step alone on a sheet already read: heading row search, the student
// rows and the proposal.
void BM_OwnWordsLayout20000(benchmark::State& st) {
  import::TableSource source(OwnWorkbook(), workbook::ReadWorkbook(OwnWorkbook()));
  for (auto _ : st) {
    import::TableLayout layout = source.AutoLayout();
    if (layout.heading_row != 2 || layout.rows.students.size() != kStudents ||
        layout.roles[5] != import::Role::kSubject) {
      st.SkipWithError("the layout was not found");
      return;
    }
    benchmark::DoNotOptimize(layout);
  }
}
BENCHMARK(BM_OwnWordsLayout20000)->Unit(benchmark::kMillisecond);

// Only the proposal of the roles, on the rows of that layout.
void BM_ProposeRoles20000(benchmark::State& st) {
  import::TableSource source(OwnWorkbook(), workbook::ReadWorkbook(OwnWorkbook()));
  const import::TableLayout layout = source.AutoLayout();
  for (auto _ : st) {
    import::RoleProposal p = import::ProposeRoles(layout.rows, layout.fixed);
    benchmark::DoNotOptimize(p);
  }
}
BENCHMARK(BM_ProposeRoles20000)->Unit(benchmark::kMillisecond);

void BM_PasteImport20000(benchmark::State& st) {
  const std::string text = PastedText();
  model::SilentUser user(true);
  for (auto _ : st) {
    model::ProgramState state;
    model::ImportPage page;
    Started(state, page, user);
    auto outcome = import::PasteImport(state, page, user, text, "", [] { return "x"; });
    if (outcome != import::ImportOutcome::kImported ||
        state.ImportedSets[0].StudentCount != kStudents) {
      st.SkipWithError("the text was not imported");
      return;
    }
    benchmark::DoNotOptimize(state);
  }
}
BENCHMARK(BM_PasteImport20000)->Unit(benchmark::kMillisecond);

}  // namespace
