#pragma once
// Weights, main table and fuzzy-sound boxes, upper half of the page
// "分班规则制定1(必须)": the weights grid bsSkinStringGrid2 with its role menu
// (N1 "主表（对此表学生进行分班）", N2 "参考表") and the ten sound boxes. The grid
// is a view of the tables' WeightPercent and IsMainTable; the page leave
// (first_rules_page.h) writes it back.

#include <array>
#include <string>

#include "model/grid.h"
#include "model/program_state.h"
#include "model/user_port.h"
#include "rules/range_page.h"

namespace tessaly::rules {

// Captions of the sound boxes in box order.
inline constexpr std::array<const char*, 5> kInitialPairs = {"c-ch", "z-zh", "s-sh", "h-f", "r-l"};
inline constexpr std::array<const char*, 5> kFinalPairs = {"an-ang", "in-ing", "en-eng", "uan-ang",
                                                           "ian-iang"};

// Column widths of the weights grid in pixels.
inline constexpr int kWeightsGridWidths[3] = {220, 110, 80};

struct WeightsPage {
  // Row 0 the headings "分班数据表名称", "成绩计算比例(%)", "设置主表"; one row per
  // table (combine mode: slots 1 to N; single-table mode: slot 0).
  model::Grid grid;
  bool takes_input = false;  // combine mode: cells can be selected
  bool editing = false;      // the cell editor of the weight column is open
  bool role_menu_open = false;
  int current_row = -1;
  int current_col = -1;
  std::array<bool, 5> initial_ticked{};  // bsSkinCheckRadioBox1 to 5
  std::array<bool, 5> final_ticked{};    // bsSkinCheckRadioBox6 to 10
};

// Entering the page: the grid from the tables (single-table mode marks slot
// 0 the main table and shows "100%"), the sound boxes from the pair lists.
void EnterWeights(WeightsPage& page, model::ProgramState& state);

// A grid cell selected (combine mode only): the weight column opens the cell
// editor, the role column opens the role menu; any other cell closes both.
void SelectWeightCell(WeightsPage& page, int row, int col);

// The key filter of the grid: digits, "%" and backspace.
bool WeightKeepsKey(char key);

// The cell editor's text after a key release (bsSkinStringGrid2KeyUp): the
// text goes into the current cell; a value above 100 is refused with the
// 1-100 warning and the cell emptied.
void WeightKeyUp(WeightsPage& page, const std::string& cell_text, model::UserPort& user);

// N1: the current row's table becomes the only main table (IsMainTable of
// every slot from 1 on follows at once), the other rows show "参考表"; with
// "按学号" the range boxes are refilled from the new main table.
void ChooseMainTable(WeightsPage& page, RangePage& ranges, model::ProgramState& state);

// N2: the current cell shows "参考表"; the table follows when the page is left.
void ChooseReferenceTable(WeightsPage& page);

// Leaving the page, first two steps: combine mode writes weights and roles
// into the tables and warns "您还没有选择哪份成绩表为主表!" then
// "各份成绩比例之和应该为：100%!" (the values stay as written); then the sound
// pair lists are rebuilt from the ticked boxes.
void LeaveWeights(const WeightsPage& page, model::ProgramState& state, model::UserPort& user);

}  // namespace tessaly::rules
