#include "import/import_commands.h"

#include <ctime>
#include <filesystem>
#include <optional>

#include "import/import_setup.h"
#include "import/table_reader.h"
#include "import/table_rows.h"
#include "import/total_column.h"
#include "model/show_table.h"
#include "model/text_fields.h"
#include "platform/encoding.h"
#include "platform/paths.h"
#include "platform/workbook/workbook_reader.h"

namespace tessaly::import {
namespace {

// Where the imported table goes, decided before anything is read.
struct SlotPlan {
  // Single-table mode with a table present, replacement confirmed: the
  // tables, the table list and the rule lists other than the class ranges
  // start afresh.
  bool replace_division = false;
  int slot = 0;
};

// The parts in which the two imports differ.
struct Flavour {
  std::string missing_columns_error;
  std::string gender_error_suffix;
  // Names the accepted table from the table list and the slot.
  std::function<std::string(const std::vector<std::string>& list, int slot)> name_for;
};

bool ListHas(const std::vector<std::string>& list, const std::string& entry) {
  for (const auto& e : list) {
    if (model::EqualsIgnoreCase(e, entry)) return true;
  }
  return false;
}

std::optional<SlotPlan> PrepareSlot(const model::ProgramState& state, model::UserPort& user) {
  SlotPlan plan;
  if (state.ImportedSets.empty()) {
    plan.slot = state.CombineMode ? 1 : 0;
    return plan;
  }
  if (state.CombineMode) {
    if (state.ExpectedSetCount < state.NextSetSlot) {
      user.Warning("您已导入完成:"_gb + std::to_string(state.ExpectedSetCount) +
                   " 份分班数据!不能再导入。"_gb);
      return std::nullopt;
    }
    plan.slot = state.NextSetSlot;
    return plan;
  }
  if (!user.Confirm(
          "清除当前分班数据重新分班吗？\n1、点击YES，清除当前分班数据，重新导入\n2、点击NO，取消当前操作"_gb)) {
    return std::nullopt;
  }
  plan.replace_division = true;
  plan.slot = 0;
  return plan;
}

// The steps both imports share once the slot is decided and the table's
// cells can be had: column roles, the checks, the error list, naming,
// ranking and display. The state and the page change only when the table is
// accepted.
ImportOutcome ImportTable(model::ProgramState& state, model::ImportPage& page,
                          model::UserPort& user, const SlotPlan& plan, const Flavour& flavour,
                          const SettledTable& table) {
  const int slot = plan.slot;
  const ColumnRoles& roles = table.roles;
  const TableRows& rows = table.layout.rows;

  user.ProgressStart("导入进度"_gb);
  user.ProgressSet(0);
  user.ProgressSet(5);
  if (!roles.HasRequiredColumns()) {
    user.ProgressSet(100);
    user.Error(flavour.missing_columns_error);
    // The message stays the one teachers know; the error list names the
    // rows that were searched for the headings.
    user.ShowImportErrors({SearchedRowsNote(table.layout)});
    return ImportOutcome::kRejected;
  }
  user.ProgressSet(8);
  user.ProgressSet(10);

  ReadOptions options;
  options.gender_error_suffix = flavour.gender_error_suffix;
  options.progress = [&user](int v) { user.ProgressSet(v); };
  if (state.CombineMode) {
    for (std::size_t j = 1; j < state.ImportedSets.size(); ++j) {
      if (static_cast<int>(j) != slot) options.other_tables.push_back(&state.ImportedSets[j]);
    }
  }
  ReadOutcome read = ReadStudents(rows, roles, options);
  if (!read.errors.empty()) {
    user.ProgressSet(100);
    user.ShowImportErrors(read.errors);
    return ImportOutcome::kRejected;
  }
  // A table without a single named row would be listed as imported while its
  // slot stays empty (in combine mode the next import would fill the same
  // slot under the stale list entry), and a division of it places nobody.
  if (read.table.Students.empty()) {
    user.ProgressSet(100);
    user.Error("表中没有任何学生（姓名列全为空），没有装入成功！"_gb);
    return ImportOutcome::kRejected;
  }

  // Accepted: build the new tables and list, then swap them in.
  std::vector<model::Student_F> sets;
  std::vector<std::string> list;
  if (!plan.replace_division) {
    sets = state.ImportedSets;
    list = page.TableList;
  }
  // Slots of a combined division start without weight and role: the rules
  // page sets them. A division file may hold fewer slots than its mode asks
  // for.
  model::Student_F unweighted;
  unweighted.WeightPercent = 0;
  unweighted.IsMainTable = false;
  if (sets.empty()) {
    if (state.CombineMode) {
      sets.resize(static_cast<std::size_t>(std::max(state.ExpectedSetCount, 1)) + 1, unweighted);
    } else {
      sets.resize(1);
      sets[0].IsMainTable = true;
      sets[0].WeightPercent = 100;
    }
  }
  if (sets.size() <= static_cast<std::size_t>(slot)) sets.resize(slot + 1, unweighted);
  model::Student_F& target = sets[slot];
  target.Headings = std::move(read.table.Headings);
  target.Students = std::move(read.table.Students);
  target.StudentCount = read.table.StudentCount;
  target.TableName = flavour.name_for(list, slot);
  list.push_back(target.TableName);
  user.ProgressSet(85);
  model::Grid view = model::ShowTable(target, state.ShowPresetClass);

  int next = slot;
  if (state.CombineMode) {
    next = state.ExpectedSetCount + 1;
    for (int j = 1; j <= state.ExpectedSetCount; ++j) {
      if (static_cast<std::size_t>(j) >= sets.size() || sets[j].Students.empty()) {
        next = j;
        break;
      }
    }
  }

  if (plan.replace_division) {
    state.InitialSoundPairs.clear();
    state.FinalSoundPairs.clear();
    state.BalanceItemRows.clear();
    state.CountConditionRows.clear();
    state.BandConditionRows.clear();
    state.GroupRows.clear();
  }
  state.ImportedSets = std::move(sets);
  state.NextSetSlot = next;
  page.TableList = std::move(list);
  page.ScoreView = std::move(view);
  user.ProgressSet(100);
  if (auto total = TotalSubjectHeading(state.ImportedSets[slot])) {
    user.Warning(TotalSubjectWarning(*total));
  }
  return ImportOutcome::kImported;
}

// Settles the table's layout and roles, then imports it.
ImportOutcome ImportSource(model::ProgramState& state, model::ImportPage& page,
                           model::UserPort& user, const SlotPlan& plan, const Flavour& flavour,
                           TableSource& source, const ImportSetup& setup) {
  std::optional<SettledTable> table = SettleTable(source, setup, user);
  if (!table) return ImportOutcome::kStopped;
  ImportOutcome outcome = ImportTable(state, page, user, plan, flavour, *table);
  if (outcome == ImportOutcome::kImported) ReportImported(*table, setup, user);
  return outcome;
}

std::string FileNameOf(const std::string& path) {
  return enc::FromOutside(platform::PathText(platform::PathOf(path).filename()));
}

}  // namespace

std::string SystemTimeOfDay() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[16];
  std::strftime(buf, sizeof buf, "%H:%M:%S", &tm);
  return buf;
}

ImportOutcome PasteImport(model::ProgramState& state, model::ImportPage& page,
                          model::UserPort& user, std::string_view clipboard_text,
                          const std::string& name_box, const TimeOfDay& now,
                          const ImportSetup& setup) {
  if (!state.DivisionStarted) {
    user.Warning("请点击<新建班级数据>按钮后，再进行该操作！"_gb);
    return ImportOutcome::kStopped;
  }
  std::vector<std::string> lines = SplitLines(clipboard_text);
  if (lines.size() < 2) return ImportOutcome::kStopped;
  std::optional<SlotPlan> plan = PrepareSlot(state, user);
  if (!plan) return ImportOutcome::kStopped;
  TableSource source(std::move(lines));

  Flavour flavour;
  flavour.missing_columns_error =
      "你复制的内容应包含学号、姓名、性别，及其标题栏，没有装入成功！"_gb;
  flavour.gender_error_suffix = " ，该同学性别填写有误!导入失败！请修改后重新复制"_gb;
  flavour.name_for = [&](const std::vector<std::string>& list, int slot) {
    if (name_box.empty()) return "分班数据"_gb + std::to_string(slot) + "-" + now();
    if (!ListHas(list, name_box)) return name_box;
    return name_box + std::to_string(slot) + "-" + now();
  };
  return ImportSource(state, page, user, *plan, flavour, source, setup);
}

ImportOutcome WorkbookImportFile(model::ProgramState& state, model::ImportPage& page,
                                 model::UserPort& user, const std::string& path,
                                 const std::string& name_box, const TimeOfDay& now,
                                 const ImportSetup& setup) {
  if (!state.DivisionStarted) {
    user.Warning("请点击<新建班级数据>按钮后，再进行导入操作！"_gb);
    return ImportOutcome::kStopped;
  }
  std::error_code ec;
  if (!std::filesystem::is_regular_file(platform::PathOf(path), ec)) return ImportOutcome::kStopped;
  // The slot is settled (all tables in, or the replacement confirmed) before
  // the file is opened.
  std::optional<SlotPlan> plan = PrepareSlot(state, user);
  if (!plan) return ImportOutcome::kStopped;

  workbook::ReadResult book = workbook::ReadWorkbook(path);
  if (!book.sheet) {
    user.Error(book.error + "\n"_gb + "文件："_gb + enc::FromOutside(path));
    return ImportOutcome::kStopped;
  }
  TableSource source(path, std::move(book));

  Flavour flavour;
  flavour.missing_columns_error =
      "学号、姓名、性别列必须填写！列标题名称也必须分别为：学号、姓名、性别"_gb;
  flavour.gender_error_suffix = " ，该同学性别填写有误!导入失败！请修改后重新导入"_gb;
  const std::string file_name = FileNameOf(path);
  flavour.name_for = [&](const std::vector<std::string>& list, int slot) {
    if (!name_box.empty() && !ListHas(list, name_box)) return name_box;
    return std::to_string(slot) + ":" + file_name + now();
  };
  return ImportSource(state, page, user, *plan, flavour, source, setup);
}

ImportOutcome WorkbookImport(model::ProgramState& state, model::ImportPage& page,
                             model::UserPort& user, const std::string& name_box,
                             const TimeOfDay& now, const ImportSetup& setup) {
  if (!state.DivisionStarted) {
    user.Warning("请点击<新建班级数据>按钮后，再进行导入操作！"_gb);
    return ImportOutcome::kStopped;
  }
  std::optional<std::string> path =
      user.ChooseOpenFile("Open file", "Excel 文件(*.xls)|*.xls|Excel 文件(*.xlsx)|*.xlsx"_gb);
  if (!path || path->empty()) return ImportOutcome::kStopped;
  return WorkbookImportFile(state, page, user, *path, name_box, now, setup);
}

}  // namespace tessaly::import
