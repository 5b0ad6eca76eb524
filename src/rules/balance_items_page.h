#pragma once
// The balance items, lower part of the page "分班规则制定2(可选)": the items
// grid bsSkinStringGrid5 (性别, the main table's balance headings, its
// subjects, 总分, each with its level) and the level menu bsSkinPopupMenu2.
// Entering appends default rows for items without one.

#include "model/grid.h"
#include "model/program_state.h"

namespace tessaly::rules {

// Column widths of the items grid in pixels.
inline constexpr int kItemsGridWidths[2] = {200, 180};

struct BalanceItemsPage {
  // Row 0 the headings "平均分及人数平衡项目", "平衡等级"; one row per item.
  model::Grid grid;
  int current_row = -1;
  bool level_menu_open = false;
};

// Builds the grid from the main table's headings; an item without a row in
// BalanceItemRows gets its default row appended ("4 级" for 性别 and balance
// headings, "2 级" for subjects and 总分).
void EnterBalanceItems(BalanceItemsPage& page, model::ProgramState& state);

// A grid cell selected: the level column of a data row opens the level menu.
void SelectItemCell(BalanceItemsPage& page, int row, int col);

// A level menu item (N4 .. N91, level 1..9): the current row shows the short
// level text and the item's first row in BalanceItemRows is replaced (or
// the row appended when the item has none).
void SetItemLevel(BalanceItemsPage& page, model::ProgramState& state, int level);

}  // namespace tessaly::rules
