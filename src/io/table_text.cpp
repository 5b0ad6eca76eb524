#include "io/table_text.h"

namespace tessaly::io {

void AppendTableText(const model::Grid& grid, std::string& out) {
  const std::size_t columns = grid.ColumnCount();
  for (const auto& row : grid.rows) {
    for (std::size_t c = 0; c < columns; ++c) {
      if (c < row.size()) out += row[c];
      out += '\t';
    }
    out += "\r\n";
  }
}

std::string TableText(const model::Grid& grid) {
  std::string out;
  AppendTableText(grid, out);
  return out;
}

std::string TableText(const model::Grid& grid, const CellRange& range) {
  std::string out;
  if (range.right < range.left || range.bottom < range.top) return out;
  for (std::size_t r = range.top; r <= range.bottom; ++r) {
    for (std::size_t c = range.left; c <= range.right; ++c) {
      out += grid.Cell(r, c);
      out += '\t';
    }
    out += "\r\n";
  }
  return out;
}

std::vector<std::vector<std::string>> PastedCells(std::string_view text) {
  std::vector<std::vector<std::string>> rows;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    std::vector<std::string> cells;
    std::size_t start = 0;
    while (start < line.size()) {
      std::size_t tab = line.find('\t', start);
      if (tab == std::string_view::npos) {
        cells.emplace_back(line.substr(start));
        break;
      }
      cells.emplace_back(line.substr(start, tab - start));
      start = tab + 1;
    }
    // Trailing empty cells show nothing; keep the row as the paste holds it.
    rows.push_back(std::move(cells));
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') {
      ++end;
    }
    pos = end + 1;
  }
  return rows;
}

}  // namespace tessaly::io
