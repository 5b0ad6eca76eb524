#pragma once
// A result table as text cells: what the desktop program shows in a grid and
// what the exports write. Row 0 is the heading row where a table has one.

#include <cstddef>
#include <string>
#include <vector>

namespace tessaly::model {

struct Grid {
  std::vector<std::vector<std::string>> rows;

  std::size_t RowCount() const { return rows.size(); }
  std::size_t ColumnCount() const {
    std::size_t n = 0;
    for (const auto& r : rows) n = r.size() > n ? r.size() : n;
    return n;
  }
  // The cell at (row, col), growing the grid as needed (empty cells).
  std::string& At(std::size_t row, std::size_t col) {
    if (rows.size() <= row) rows.resize(row + 1);
    if (rows[row].size() <= col) rows[row].resize(col + 1);
    return rows[row][col];
  }
  // The cell at (row, col), or an empty text outside the grid.
  const std::string& Cell(std::size_t row, std::size_t col) const {
    static const std::string kEmpty;
    if (row >= rows.size() || col >= rows[row].size()) return kEmpty;
    return rows[row][col];
  }
  bool operator==(const Grid&) const = default;
};

}  // namespace tessaly::model
