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
  static const std::vector<std::string> headings = {"学生区间"_gb, "应用科目"_gb, "条件"_gb,
                                                    "平衡等级"_gb};
  page.grid = ConditionGrid(state.BandConditionRows, headings);
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
  std::vector<std::string> rows =
      NewConditionRows(page.range_items[page.range_selected],
                       ChosenSubjects(page.subject_choice, page.subject_items, page.subject_ticked),
                       page.condition, page.level_text + "$", state.BandConditionRows);
  for (std::string& row : rows) state.BandConditionRows.push_back(std::move(row));
  ShowBandGrid(page, state);
  return true;
}

bool DeleteBandConditions(BandPage& page, model::ProgramState& state, model::UserPort& user) {
  if (!DeleteConditionRows(state.BandConditionRows, page.selection_top, page.selection_bottom,
                           user)) {
    return false;
  }
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
