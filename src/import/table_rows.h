#pragma once
// The cells of a table to import, in the one form both imports read: the
// heading cells and the cells of every student row, each cell with its
// spaces removed. Pasted text and workbook sheets are turned into this form
// here; everything after it (column roles, checks, error lines) is shared.

#include <string>
#include <string_view>
#include <vector>

namespace tessaly::workbook {
struct Sheet;
}

namespace tessaly::import {

struct TableRows {
  // Heading cell of column k at index k - 1; an empty cell has no role.
  std::vector<std::string> headings;
  // The student rows in sheet order; cell of column k at index k - 1, a
  // missing cell reads as empty.
  std::vector<std::vector<std::string>> students;
};

// Scan limits of a workbook sheet: headings in columns 1..254 of row 1 up to
// the 4th empty heading cell; students in every row from row 2 up to the 4th
// row whose name cell is empty. (Rows are not cut at 25535, as a limit of old
// spreadsheets would have them: a grade of more students keeps them all.)
inline constexpr int kMaxHeadingColumns = 254;
inline constexpr int kEmptyCellsEndingScan = 4;

// Splits text at every line break (CR, LF or CR LF). A line break at the very
// end does not start another line.
std::vector<std::string> SplitLines(std::string_view text);

// Normalises one pasted line and splits it into its cells: "|" appended, tabs
// replaced by "|", spaces removed, then the fields before each "|".
std::vector<std::string> PastedCells(std::string_view line);

// Heading line (line `heading_line`, from 1) and the student lines after it.
TableRows RowsFromLines(const std::vector<std::string>& lines, std::size_t heading_line = 1);

// Headings (row `heading_row`, from 1) and student rows (the rows after it)
// of a sheet within the workbook scan limits. The student rows end after the
// 4th row whose cell in `name_column` (1-based) is empty, or with the sheet;
// `name_column` 0 reads no student rows.
TableRows RowsFromSheet(const workbook::Sheet& sheet, int name_column, std::size_t heading_row = 1);

// Heading cells of a sheet's row `row` within the heading scan limit (used
// to find the heading row and the name column before the student rows are
// read).
std::vector<std::string> SheetHeadings(const workbook::Sheet& sheet, std::size_t row = 1);

}  // namespace tessaly::import
