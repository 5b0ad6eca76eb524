#include "rules/band_page.h"

#include <algorithm>

#include "model/rule_lists.h"
#include "model/text_fields.h"
#include "platform/encoding.h"
#include "rules/key_filters.h"
#include "rules/level_texts.h"
#include "rules/main_table.h"

namespace tessaly::rules {

BandPage::BandPage() : level_text(InitialLevelText()) {}

void ShowBandGrid(BandPage& page, const model::ProgramState& state) {
  const auto& list = state.BandConditionRows;
  page.grid = model::Grid{};
  page.grid.rows.assign(std::max<std::size_t>(2, list.size() + 1), std::vector<std::string>(4));
  page.grid.At(0, 0) = "学生区间"_gb;
  page.grid.At(0, 1) = "应用科目"_gb;
  page.grid.At(0, 2) = "条件"_gb;
  page.grid.At(0, 3) = "平衡等级"_gb;
  for (std::size_t j = 0; j < list.size(); ++j) {
    for (int c = 1; c <= 4; ++c) page.grid.At(j + 1, c - 1) = model::FieldAt(list[j], '$', c);
  }
}

void EnterBands(BandPage& page, const model::ProgramState& state) {
  page.range_items.clear();
  page.range_selected = -1;
  for (const std::string& row : state.ClassRangeRows)
    page.range_items.push_back(model::RangeKey(row));
  page.subject_items.clear();
  if (const model::Student_F* main = MainTable(state)) {
    page.subject_items = main->Headings.SubjectHeadings;
  }
  page.subject_ticked.assign(page.subject_items.size(), false);
  ShowBandGrid(page, state);
}

void ToggleOneKey(BandPage& page) {
  page.condition.one_key = !page.condition.one_key;
  page.one_key_clicked = true;
}

bool OneKeyInputsEnabled(const BandPage& page) {
  return !page.one_key_clicked || page.condition.one_key;
}

bool TypedInputsEnabled(const BandPage& page) {
  return !page.one_key_clicked || !page.condition.one_key;
}

bool AddBandConditions(BandPage& page, model::ProgramState& state, model::UserPort& user) {
  const bool range_selected =
      page.range_selected >= 0 && page.range_selected < static_cast<int>(page.range_items.size());
  if (!CheckConditionForm(range_selected, page.subject_choice, page.condition, user)) return false;
  const std::vector<std::string> subjects =
      ChosenSubjects(page.subject_choice, page.subject_items, page.subject_ticked);
  const std::vector<std::string> conditions = BuildConditions(page.condition);
  model::RuleList list = state.BandConditionRows;
  for (const std::string& subject : subjects) {
    const std::string head = page.range_items[page.range_selected] + "$" + subject + "$";
    for (const std::string& condition : conditions) {
      std::string row = head + condition + "$" + page.level_text + "$";
      if (model::FindRow(list, row) < 0) list.push_back(std::move(row));
    }
  }
  state.BandConditionRows = std::move(list);
  ShowBandGrid(page, state);
  return true;
}

bool DeleteBandConditions(BandPage& page, model::ProgramState& state, model::UserPort& user) {
  if (page.selection_top <= 0) {
    user.Warning("您还没有选择要删除的数据行！"_gb);
    return false;
  }
  const int count = std::max(1, page.selection_bottom - page.selection_top + 1);
  auto& list = state.BandConditionRows;
  const std::size_t at = static_cast<std::size_t>(page.selection_top - 1);
  for (int i = 0; i < count && at < list.size(); ++i) list.erase(list.begin() + at);
  ShowBandGrid(page, state);
  return true;
}

void SelectBandRows(BandPage& page, int top, int bottom) {
  page.selection_top = std::min(top, bottom);
  page.selection_bottom = std::max(top, bottom);
  page.current_row = top;
}

void SelectBandCell(BandPage& page, int row, int col) {
  page.current_row = row;
  page.selection_top = page.selection_bottom = row;
  page.level_menu_open = col == 3 && row >= 1 && row < static_cast<int>(page.grid.RowCount());
}

void SetBandLevel(BandPage& page, model::ProgramState& state, int level) {
  page.level_menu_open = false;
  if (level < 1 || level > 9 || page.current_row < 1 ||
      page.current_row > static_cast<int>(state.BandConditionRows.size())) {
    return;
  }
  page.grid.At(page.current_row, 3) = ShortLevelText(level);
  std::string row;
  for (int c = 0; c < 4; ++c) row += page.grid.Cell(page.current_row, c) + "$";
  state.BandConditionRows[page.current_row - 1] = std::move(row);
  ShowBandGrid(page, state);
}

bool BandValueKeepsKey(char key) {
  return KeepDigitKey(key);
}

}  // namespace tessaly::rules
