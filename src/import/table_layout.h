#pragma once
// Where a table sits in what was read: which sheet of a workbook, which row
// holds the headings (a title or a note above them is common in a
// teacher's own table), and the roles of its columns. The import reads the
// table through its layout; the import settings window shows it and lets the
// teacher change it.

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "import/column_roles.h"
#include "import/table_reader.h"
#include "import/table_rows.h"
#include "platform/workbook/workbook_reader.h"

namespace tessaly::import {

// The heading row is looked for in this many rows at the top of a sheet.
inline constexpr int kHeadingSearchRows = 30;
// Rows shown below the heading row in the settings window.
inline constexpr int kPreviewRowsBelow = 10;

struct TableLayout {
  std::size_t sheet = 0;   // index of the sheet, from 0 (0 for pasted text)
  std::string sheet_name;  // empty for pasted text
  // Row of the headings, from 1; 0 when no row of the search held 学号, 姓名
  // and 性别 (row 1 is then read, and refused).
  int heading_row = 0;
  // Rows that were searched: 1..rows_searched, or only `heading_row` when the
  // teacher fixed it.
  int rows_searched = 0;
  bool row_given = false;
  TableRows rows;
  // Roles the headings themselves give (学号, 姓名, 性别, 预设班级, KEMU,
  // JUNHENG); for a KEMU table these are the roles imported.
  ColumnRoles fixed;
  // No KEMU heading: the roles below are proposed, and the teacher may change
  // them.
  bool own_words = false;
  RoleProposal proposal;
  std::vector<Role> roles;
  // The top rows of the sheet (row 1 first) down to a few below the headings.
  std::vector<std::vector<std::string>> preview;

  // The row the headings are read from.
  int ReadRow() const { return heading_row > 0 ? heading_row : 1; }
  bool HasHeadingRow() const { return heading_row > 0 && fixed.HasRequiredColumns(); }
};

// One table as read, pasted text or a workbook file, from which layouts of
// its sheets are made. Sheets other than the first one read are read when
// first asked for.
class TableSource {
 public:
  // Pasted table text, split into lines.
  explicit TableSource(std::vector<std::string> lines);
  // A workbook file as first read (its saved active sheet).
  TableSource(std::string path, workbook::ReadResult first);

  bool IsWorkbook() const { return !path_.empty(); }
  const std::vector<std::string>& SheetNames() const { return names_; }
  std::size_t ActiveSheet() const { return active_; }

  // The layout of sheet `sheet` with its headings in row `heading_row`, or
  // in the first of the top rows that holds 学号, 姓名 and 性别 when
  // `heading_row` is 0. None, with `error` set, when the sheet cannot be
  // read.
  std::optional<TableLayout> Layout(std::size_t sheet, int heading_row, std::string& error);
  // The active sheet; when it has no heading row, the first other sheet that
  // has one.
  TableLayout AutoLayout();
  // Sheet `sheet` (by name, or by its number from 1) or none.
  std::optional<std::size_t> SheetByNameOrNumber(const std::string& text) const;

 private:
  const workbook::Sheet* SheetAt(std::size_t index, std::string& error);
  std::vector<std::string> RowCells(const workbook::Sheet* sheet, std::size_t row) const;

  std::vector<std::string> lines_;
  std::string path_;
  std::vector<std::string> names_;
  std::size_t active_ = 0;
  std::map<std::size_t, workbook::Sheet> sheets_;
};

// "第1至30行" or "第5行": the rows a search went through.
std::string RowsText(int first, int last);
// The note added to the missing-columns error: which rows were searched.
std::string SearchedRowsNote(const TableLayout& layout);
// Which rows above the heading row were left out; empty when none were.
std::string SkippedRowsNote(const TableLayout& layout);

}  // namespace tessaly::import
