#pragma once
// Table text: a grid as text, every cell followed by a tab, every line
// followed by carriage return and line feed. What the clipboard copies, the
// command line prints and a spreadsheet pastes into cells.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/grid.h"

namespace tessaly::io {

// A rectangle of grid cells, both ends included (rows top..bottom, columns
// left..right, from 0).
struct CellRange {
  std::size_t left = 0;
  std::size_t top = 0;
  std::size_t right = 0;
  std::size_t bottom = 0;
};

// Every row of the grid padded to the grid's column count: each cell is
// followed by a tab, each line by CR LF. An empty grid gives empty text.
std::string TableText(const model::Grid& grid);

// The table text of the rectangle: its rows top to bottom, in each its cells
// left to right (cells outside the grid are empty). A range whose right
// column lies left of its left one, or whose bottom row lies above its top
// one, gives empty text.
std::string TableText(const model::Grid& grid, const CellRange& range);

// Appends the table text of `grid` to `out`.
void AppendTableText(const model::Grid& grid, std::string& out);

// What a spreadsheet shows after pasting `text` at its first cell: one row
// per line (lines end at CR LF, or at a lone CR or LF), one cell per
// tab-separated field; the tab after a line's last cell opens no cell, and a
// final line break opens no row.
std::vector<std::vector<std::string>> PastedCells(std::string_view text);

}  // namespace tessaly::io
