#pragma once
// Grid views over a GridModel: ranges of cells selectable, columns resizable,
// rows of a fixed height so that tables of tens of thousands of rows scroll
// without measuring every row.

#include <QString>
#include <span>

#include "model/grid.h"

class QTableView;
class QWidget;

namespace tessaly::ui {

class GridModel;

// A view of `model` with the heading row (and, when the model has one, the
// heading column) fixed. The corner shows the heading of column 0.
QTableView* MakeScoreView(GridModel* model, QWidget* parent);

// Shows `grid` in the view and fits the column widths to the headings and to
// the first rows.
void SetScoreGrid(QTableView* view, GridModel* model, const model::Grid& grid);

// Fits every column to its heading and its cells (all of them up to a few
// thousand rows, the first rows of longer grids), at most `max_width`
// pixels wide; a narrower cell shows its whole text as a tooltip.
void FitColumns(QTableView* view, int max_width);

// Sets the column widths in pixels (the widths the pages give their grids),
// widened where a heading needs more.
void SetColumnWidths(QTableView* view, std::span<const int> widths);

}  // namespace tessaly::ui
