#pragma once
// The score-band balance conditions, upper part of the page "分班规则制定2(可选)":
// the conditions grid bsSkinStringGrid4, the range box, the subject choice
// and subject box, the condition inputs (typed bounds or the one-key
// series), the level box, "添加", "删除" and the level menu bsSkinPopupMenu3.
// The grid is a view of BandConditionRows, rebuilt after every change.

#include <string>
#include <vector>

#include "model/grid.h"
#include "model/program_state.h"
#include "model/user_port.h"
#include "rules/condition_input.h"

namespace tessaly::rules {

// Column widths of the conditions grid in pixels.
inline constexpr int kBandGridWidths[4] = {180, 70, 220, 80};

struct BandPage {
  // Row 0 the headings "学生区间", "应用科目", "条件", "平衡等级"; one row per
  // condition (at least one row below the headings).
  model::Grid grid;
  std::vector<std::string> range_items;  // bsSkinComboBox3: range keys
  int range_selected = -1;
  SubjectChoice subject_choice = SubjectChoice::kNone;
  std::vector<std::string> subject_items;  // bsSkinCheckComboBox1
  std::vector<bool> subject_ticked;
  ConditionInput condition = ConditionInput::Initial();
  bool one_key_clicked = false;  // the one-key switch was clicked once
  std::string level_text;        // bsSkinComboBox7, initial "3 级"
  // The grid's selected block of rows and current cell.
  int selection_top = -1;
  int selection_bottom = -1;
  int current_row = -1;
  bool level_menu_open = false;

  BandPage();
};

// Refills the range box and the subject box (nothing selected or ticked)
// and shows the conditions grid.
void EnterBands(BandPage& page, const model::ProgramState& state);

// Rebuilds the grid from BandConditionRows.
void ShowBandGrid(BandPage& page, const model::ProgramState& state);

// "一键式快速设置" clicked: ticks or unticks the one-key setting.
void ToggleOneKey(BandPage& page);
// Which inputs are enabled: the one-key boxes when ticked, the typed bounds
// when unticked; all of them before the first click.
bool OneKeyInputsEnabled(const BandPage& page);
bool TypedInputsEnabled(const BandPage& page);

// "添加": the four tests, then one row per subject and condition, appended
// unless the list holds it already (skipped silently). False, adding
// nothing, when a test failed.
bool AddBandConditions(BandPage& page, model::ProgramState& state, model::UserPort& user);

// "删除": deletes the list rows of the selected grid rows;
// "您还没有选择要删除的数据行！" when the selection starts at the heading row.
bool DeleteBandConditions(BandPage& page, model::ProgramState& state, model::UserPort& user);

// A block of grid rows selected (top to bottom, grid rows).
void SelectBandRows(BandPage& page, int top, int bottom);

// A grid cell selected: the level column of a data row opens the level menu.
void SelectBandCell(BandPage& page, int row, int col);

// A level menu item (N6 .. N92, level 1..9): the row's level becomes the
// short level text; nothing when the current row has no list row.
void SetBandLevel(BandPage& page, model::ProgramState& state, int level);

// The key filter of the five value boxes: digits and backspace.
bool BandValueKeepsKey(char key);

}  // namespace tessaly::rules
