#include "import/import_setup.h"

#include "platform/encoding.h"

namespace tessaly::import {
namespace {

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : "、"_gb) + item;
  return text;
}

// Gives `role` to the columns named, and only to them: a column that had it
// and is not named becomes another column. False, after an error, when a
// name is not a column that may take a role.
bool GiveRole(TableLayout& layout, const std::vector<std::string>& names, Role role,
              model::UserPort& user) {
  const std::vector<std::string>& headings = layout.rows.headings;
  std::vector<int> columns;
  for (const std::string& name : names) {
    const int k = ColumnNamed(headings, name);
    if (k == 0 || !IsChoosable(layout.roles[k - 1])) {
      user.Error((role == Role::kSubject ? "表中没有可作科目的“"_gb : "表中没有可作平衡列的“"_gb) +
                 name + "”列，没有导入。"_gb);
      return false;
    }
    columns.push_back(k);
  }
  for (Role& r : layout.roles) r = r == role ? Role::kOther : r;
  for (int k : columns) layout.roles[k - 1] = role;
  return true;
}

}  // namespace

std::optional<SettledTable> SettleTable(TableSource& source, const ImportSetup& setup,
                                        model::UserPort& user) {
  SettledTable table;
  std::string error;
  if (setup.as_is) {
    // The table as a table prepared for the program is read: row 1 of the
    // active sheet, each heading its own role.
    std::optional<TableLayout> layout = source.Layout(source.ActiveSheet(), 1, error);
    if (!layout) {
      user.Error(error);
      return std::nullopt;
    }
    table.layout = std::move(*layout);
    table.roles = table.layout.fixed;
    return table;
  }
  if (setup.sheet.empty() && setup.heading_row <= 0) {
    table.layout = source.AutoLayout();
  } else {
    std::size_t sheet = source.ActiveSheet();
    if (!setup.sheet.empty() && source.IsWorkbook()) {
      std::optional<std::size_t> found = source.SheetByNameOrNumber(setup.sheet);
      if (!found) {
        user.Error("没有工作表“"_gb + setup.sheet + "”。本文件的工作表："_gb +
                   Joined(source.SheetNames()));
        return std::nullopt;
      }
      sheet = *found;
    }
    std::optional<TableLayout> layout = source.Layout(sheet, setup.heading_row, error);
    if (!layout) {
      user.Error(error);
      return std::nullopt;
    }
    table.layout = std::move(*layout);
  }

  TableLayout& layout = table.layout;
  if (!layout.own_words || !layout.HasHeadingRow()) {
    table.roles = layout.fixed;
    return table;
  }
  if (setup.subjects && !GiveRole(layout, *setup.subjects, Role::kSubject, user)) {
    return std::nullopt;
  }
  if (setup.balances && !GiveRole(layout, *setup.balances, Role::kBalance, user)) {
    return std::nullopt;
  }
  if (setup.confirm) {
    std::optional<TableLayout> confirmed = setup.confirm(source, layout);
    if (!confirmed) return std::nullopt;
    layout = std::move(*confirmed);
    if (!layout.own_words || !layout.HasHeadingRow()) {
      table.roles = layout.fixed;
      return table;
    }
  }
  table.roles = ApplyRoles(layout.rows.headings, layout.roles);
  return table;
}

namespace {
constexpr const char* kRolesSection = "DaoRuSheZhi";
}  // namespace

void PrefillRoles(TableLayout& layout, model::SettingsPort& settings) {
  if (!layout.own_words || !layout.HasHeadingRow()) return;
  const std::optional<std::string> saved =
      settings.Read(kRolesSection, HeadingsKey(layout.rows.headings));
  if (saved) {
    if (std::optional<std::vector<Role>> roles = RolesFromText(*saved, layout.roles)) {
      layout.roles = std::move(*roles);
      return;
    }
  }
  for (std::size_t i = 0; i < layout.roles.size(); ++i) {
    if (layout.proposal.balance_candidates[i]) layout.roles[i] = Role::kBalance;
  }
}

void RememberRoles(const TableLayout& layout, model::SettingsPort& settings) {
  if (!layout.own_words || !layout.HasHeadingRow()) return;
  settings.Write(kRolesSection, HeadingsKey(layout.rows.headings), RolesText(layout.roles));
}

std::string TotalMismatchWarning(const std::string& total_heading,
                                 const std::vector<std::string>& numbers) {
  constexpr std::size_t kListed = 20;
  std::vector<std::string> listed(numbers.begin(),
                                  numbers.begin() + std::min(numbers.size(), kListed));
  std::string text =
      "“"_gb + total_heading + "”列与识别出的科目成绩之和不一致，学号："_gb + Joined(listed);
  if (numbers.size() > kListed) {
    text += "等"_gb + std::to_string(numbers.size()) + "人"_gb;
  }
  return text + "。表中可能还有没有识别为科目的列；表格已照常导入。"_gb;
}

void ReportImported(const SettledTable& table, const ImportSetup& setup, model::UserPort& user) {
  const TableLayout& layout = table.layout;
  const bool proposed = layout.own_words && !setup.as_is && layout.HasHeadingRow();
  const int total = layout.proposal.total_column;
  if (proposed && total > 0 && static_cast<std::size_t>(total) <= layout.roles.size() &&
      layout.roles[total - 1] == Role::kOther) {
    std::vector<std::string> numbers = TotalMismatches(layout.rows, table.roles, total);
    if (!numbers.empty()) {
      user.Warning(TotalMismatchWarning(layout.rows.headings[total - 1], numbers));
    }
  }
  if (!setup.summary) return;
  ImportSummary& s = *setup.summary;
  s = ImportSummary{};
  s.sheet_name = layout.sheet_name;
  s.skipped_rows = SkippedRowsNote(layout);
  s.own_words = proposed;
  s.subjects = table.roles.subject_headings;
  s.balances = table.roles.balance_headings;
  if (!proposed) return;
  for (std::size_t i = 0; i < layout.roles.size(); ++i) {
    if (i < layout.proposal.balance_candidates.size() && layout.proposal.balance_candidates[i] &&
        layout.roles[i] != Role::kBalance) {
      s.balance_candidates.push_back(ColumnName(layout.rows.headings[i], Role::kBalance));
    }
  }
}

}  // namespace tessaly::import
