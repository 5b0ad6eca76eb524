#pragma once
// Writing the export workbook (.xlsx) without a spreadsheet program: a first
// sheet of cells as a paste of table text gives them, sheets of rosters laid
// out for printing, and a sheet of column charts. Every cell whose text is a
// number (ClassifyCell) is stored as a number that displays the same text.

#include <optional>
#include <string>
#include <vector>

#include "model/grid.h"

namespace tessaly::io::exports {

// A table printed on pages: its first row (the headings) repeats on every
// page and stays in view while scrolling; the columns fit the page width.
struct PrintSheet {
  std::string name;  // code page 936, at most 31 characters, unique
  model::Grid table;
};

// One column chart: a bar per class of `values` against the `reference`
// value (drawn as a second series of equal bars).
struct ColumnChart {
  std::string title;                // code page 936
  std::vector<std::string> labels;  // one per class: "1 班" ...
  std::vector<double> values;       // one per label
  std::string values_name;          // series name: "班级平均总分"
  double reference = 0;
  std::string reference_name;  // series name: "该段整体平均分"
};

struct WorkbookContent {
  std::string first_sheet_name;                       // code page 936
  std::vector<std::vector<std::string>> first_sheet;  // rows of cells
  std::vector<PrintSheet> print_sheets;
  std::string chart_sheet_name;  // none when there is no chart
  std::vector<ColumnChart> charts;
};

// Writes the workbook to `path`: into a temporary file beside it, renamed
// over `path` when complete, so a failure leaves an earlier file as it was.
// No value on success; otherwise the message for the user (code page 936),
// naming the file.
std::optional<std::string> WriteWorkbook(const WorkbookContent& content, const std::string& path);

}  // namespace tessaly::io::exports
