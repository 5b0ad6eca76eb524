#pragma once
// Reading one sheet of a workbook file as text cells: .xlsx, .xls (Excel 5.0
// and later; the saved active sheet or a chosen one), .csv (comma or tab
// separated, UTF-8 with or without byte-order mark, or GB18030) and HTML
// tables. Every cell
// arrives as the text a spreadsheet shows for its value, in code page 936:
// numbers in their general decimal form (87.5, 90), formula cells by their
// saved value, booleans as TRUE or FALSE.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::workbook {

struct ReadLimits {
  // A sheet with a row beyond max_rows is refused (its students would be
  // lost); the default is the most rows a spreadsheet sheet holds. Columns
  // beyond max_columns are not kept (the heading scan reads 254 at most).
  std::size_t max_rows = 1'048'576;
  std::size_t max_columns = 254;
  // Bound on the bytes unpacked from a zipped workbook, all parts together;
  // a file that needs more is refused instead of filling memory.
  std::uint64_t max_unpacked_bytes = 128ull << 20;
  // Bound on the tags of one XML part: the parsed tree takes tens of bytes
  // per tag, so tiny tags in a part within the byte bound could still fill
  // memory. A sheet of 30,000 rows and 60 columns has about 7 million.
  std::size_t max_xml_tags = 16'000'000;
  // Bound on the text of the cells kept, all cells together. A small file
  // can name one long shared string from many cells (1 MB in 12,000 cells
  // of a 109 KB file would be 12 GB once every cell holds its copy). A
  // table of 20,000 students in 60 columns of 20 bytes holds 24 MB, so
  // 64 MB is never reached by one, and is refused within a second.
  std::size_t max_cell_text_bytes = 64u << 20;
  // The sheet to read, by its place (from 0) in the workbook's order of
  // sheets (ReadResult::sheet_names); none reads the sheet the workbook was
  // saved with active. A place past the last sheet is refused.
  std::optional<std::size_t> sheet;
};

struct Sheet {
  // rows[r][c] is the cell at row r + 1, column c + 1; rows and cells past
  // the end of a vector are empty.
  std::vector<std::vector<std::string>> rows;
  // Name of the sheet read (code page 936).
  std::string name;

  // The cell at (row, column), both from 1; empty outside the stored cells.
  const std::string& Cell(std::size_t row, std::size_t column) const {
    static const std::string kEmpty;
    if (row == 0 || column == 0 || row > rows.size()) return kEmpty;
    const auto& r = rows[row - 1];
    return column > r.size() ? kEmpty : r[column - 1];
  }
};

// The error of a sheet with more rows than `max_rows` (code page 936).
std::string TooManyRows(std::size_t max_rows);

struct ReadResult {
  std::optional<Sheet> sheet;
  // Why the file could not be read (code page 936), when `sheet` is empty.
  std::string error;
  // The names of all sheets of the workbook in its order (code page 936),
  // the place of the sheet it was saved with active, and the place of the
  // sheet read. A text file has one sheet without a name. Filled whenever
  // the workbook's list of sheets could be read, even if the sheet could not.
  std::vector<std::string> sheet_names;
  std::size_t active_sheet = 0;
  std::size_t read_sheet = 0;
};

// The error of a chosen sheet past the workbook's last (code page 936).
std::string NoSuchSheet(std::size_t index, std::size_t count);

// Reads the file, recognising its format from its content whatever its
// extension: zip (.xlsx), compound document (.xls), an HTML page with a
// table, or plain text (comma or tab separated). A file it cannot read is
// refused with the reason first, in one line: damaged, protected by a
// password, a format it does not read (and what to save it as), or not a
// workbook.
ReadResult ReadWorkbook(const std::string& path, const ReadLimits& limits = {});

// The readers of the single formats, on the file's bytes; ReadXls on the
// file.
ReadResult ReadXlsx(std::string_view bytes, const ReadLimits& limits = {});
ReadResult ReadXlsBytes(std::string_view bytes, const ReadLimits& limits = {});
ReadResult ReadXls(const std::string& path, const ReadLimits& limits = {});
ReadResult ReadCsv(std::string_view bytes, const ReadLimits& limits = {});
ReadResult ReadHtml(std::string_view bytes, const ReadLimits& limits = {});

// True when the bytes are an HTML page (a tag first) that holds a <table>.
bool LooksLikeHtmlTable(std::string_view bytes);

// What makes a .xls file damaged (code page 936): a damaged compound
// document, a missing workbook stream, records that run past their ends or
// contradict each other. None when its records can be read.
std::optional<std::string> XlsProblem(std::string_view file_bytes);

// Index (from 0) of the sheet a .xls file was saved with active, read from
// its workbook window record; 0 when the file does not say.
std::size_t XlsActiveSheet(std::string_view file_bytes);

// The saved values of the formula cells of sheet `sheet` (from 0) of a .xls
// file: row and column from 1, the
// value as text (general number form, TRUE/FALSE, error codes, text).
struct FormulaCell {
  std::size_t row = 0;
  std::size_t column = 0;
  std::string text;
};
std::vector<FormulaCell> XlsFormulaCells(std::string_view file_bytes, std::size_t sheet);

}  // namespace tessaly::workbook
