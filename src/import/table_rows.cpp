#include "import/table_rows.h"

#include "model/text_fields.h"
#include "platform/encoding.h"
#include "platform/workbook/workbook_reader.h"

namespace tessaly::import {

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::vector<std::string> PastedCells(std::string_view line) {
  // Appending "|" and turning tabs into "|" makes every cell a field that a
  // separator follows; a "|" typed in a cell splits it, as it always has.
  // CR and LF never occur inside a line. The line is made valid first: a
  // broken character at the end of a cell would otherwise take the "|" that
  // replaces the tab after it as its trail byte and swallow the next cell.
  std::string normal = enc::ValidText(line);
  for (char& c : normal) c = c == '\t' ? '|' : c;
  normal.push_back('|');
  normal = model::RemoveSpaces(normal);
  std::vector<std::string> cells;
  std::size_t start = 0;
  std::size_t pos = 0;
  while (pos < normal.size()) {
    std::size_t n = enc::CharLength(normal, pos);
    if (n == 1 && normal[pos] == '|') {
      cells.emplace_back(normal.substr(start, pos - start));
      start = pos + 1;
    }
    pos += n;
  }
  return cells;
}

TableRows RowsFromLines(const std::vector<std::string>& lines, std::size_t heading_line) {
  TableRows rows;
  if (heading_line == 0 || lines.size() < heading_line) return rows;
  rows.headings = PastedCells(lines[heading_line - 1]);
  rows.students.reserve(lines.size() - heading_line);
  for (std::size_t i = heading_line; i < lines.size(); ++i) {
    rows.students.push_back(PastedCells(lines[i]));
  }
  return rows;
}

namespace {

// A cell's text as the import reads it: a tab or line break typed inside a
// cell would split every table text the cell is later written to, so it
// becomes a space (and goes with the other spaces); a "|" (which the division
// file stores as the full-width bar, a byte longer) becomes "｜" before any
// cut, so that a saved table opens with the same texts.
std::string CellText(const std::string& cell) {
  static const std::string kBar = "｜"_gb;
  if (cell.find_first_of("\t\r\n|") == std::string::npos) return model::RemoveSpaces(cell);
  std::string text;
  for (std::size_t pos = 0; pos < cell.size();) {
    std::size_t n = enc::CharLength(cell, pos);
    char c = cell[pos];
    if (n == 1 && (c == '\t' || c == '\r' || c == '\n')) {
      text += ' ';
    } else if (n == 1 && c == '|') {
      text += kBar;
    } else {
      text.append(cell, pos, n);
    }
    pos += n;
  }
  return model::RemoveSpaces(text);
}

}  // namespace

std::vector<std::string> SheetHeadings(const workbook::Sheet& sheet, std::size_t row) {
  std::vector<std::string> headings;
  int empty = 0;
  for (int col = 1; col <= kMaxHeadingColumns; ++col) {
    std::string cell = CellText(sheet.Cell(row, col));
    if (cell.empty() && ++empty == kEmptyCellsEndingScan) break;
    headings.push_back(std::move(cell));
  }
  // Trailing empty headings have no role; drop them so rows stay short.
  while (!headings.empty() && headings.back().empty()) headings.pop_back();
  return headings;
}

TableRows RowsFromSheet(const workbook::Sheet& sheet, int name_column, std::size_t heading_row) {
  TableRows rows;
  rows.headings = SheetHeadings(sheet, heading_row);
  if (name_column <= 0) return rows;
  const std::size_t width = rows.headings.size();
  int nameless = 0;
  const std::size_t last = sheet.rows.size();
  for (std::size_t r = heading_row + 1; r <= last; ++r) {
    std::vector<std::string> cells(width);
    for (std::size_t c = 0; c < width; ++c) {
      if (!rows.headings[c].empty()) cells[c] = CellText(sheet.Cell(r, c + 1));
    }
    bool has_name = !cells[name_column - 1].empty();
    rows.students.push_back(std::move(cells));
    if (!has_name && ++nameless == kEmptyCellsEndingScan) break;
  }
  return rows;
}

}  // namespace tessaly::import
