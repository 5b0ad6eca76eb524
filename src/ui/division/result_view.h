#pragma once
// The result grids of the division page (averages, roster, same names,
// statistics): a table view over a GridModel with the context menu
// "复制所选单元格" / "复制整张表格".

#include <optional>

#include "io/table_text.h"
#include "ui/grid_model.h"

class QAction;
class QTableView;
class QWidget;

namespace tessaly::ui::division {

class DivisionContext;

// A view of `model` (MakeScoreView) without the headers the page's grid
// does not have: no row headings, and no column headings when the grid has
// no heading row.
QTableView* MakeGridView(GridModel* model, bool heading_row, QWidget* parent);

// A read-only view of `model` whose context menu copies the selected cells
// or the whole grid as table text to the clipboard. The menu's two actions
// are the view's actions, in that order.
QTableView* MakeResultView(GridModel* model, bool heading_row, DivisionContext& ctx,
                           QWidget* parent);

// The selected rectangle of a view in grid cells (from the top left to the
// bottom right selected cell), or the current cell when nothing is
// selected; none when there is neither.
std::optional<io::CellRange> SelectedGridRange(const QTableView* view, const GridModel* model);

// The rows of the selection in grid rows (top and bottom), for the menus
// that act on rows; none without a selection or current cell.
std::optional<std::pair<std::size_t, std::size_t>> SelectedGridRows(const QTableView* view,
                                                                    const GridModel* model);

}  // namespace tessaly::ui::division
