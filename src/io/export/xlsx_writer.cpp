#include "io/export/xlsx_writer.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

#include "io/export/cell_value.h"
#include "io/export/scratch_file.h"
#include "platform/encoding.h"

namespace tessaly::io::exports {

namespace {

constexpr double kDefaultWidth = 8.43;
constexpr double kMaxWidth = 50;
constexpr std::size_t kLandscapeColumns = 10;
constexpr std::uint8_t kPaperA4 = 9;
// Rows a chart takes on its sheet (a chart of the default size is about
// fifteen rows high), plus one row of space.
constexpr std::size_t kChartRows = 17;

std::string Quoted(const std::string& path) {
  return "“"_gb + enc::FromOutside(path) + "”"_gb;
}

std::string Failure(const std::string& path, const std::string& reason) {
  return "保存数据为Excel未能成功：无法写入文件"_gb + Quoted(path) + "（"_gb + reason +
         "）。原有的文件没有改动。"_gb;
}

std::string SystemReason(int err) {
  return enc::FromOutside(std::strerror(err));
}

// What a cell shows is about as wide as its code page 936 bytes (a Chinese
// character is two bytes and two columns wide).
template <typename Rows>
std::vector<double> FittedWidths(const Rows& rows) {
  std::vector<double> widths;
  for (const auto& row : rows) {
    if (widths.size() < row.size()) widths.resize(row.size(), 0);
    for (std::size_t c = 0; c < row.size(); ++c) {
      widths[c] = std::max(widths[c], static_cast<double>(row[c].size()));
    }
  }
  for (double& w : widths) w = std::min(kMaxWidth, w + 1);
  return widths;
}

class Writer {
 public:
  explicit Writer(lxw_workbook* wb) : wb_(wb) {}

  lxw_error error() const { return error_; }
  void Fail(lxw_error e) {
    if (error_ == LXW_NO_ERROR && e != LXW_NO_ERROR) error_ = e;
  }

  lxw_worksheet* AddSheet(const std::string& cp936_name) {
    lxw_worksheet* ws = workbook_add_worksheet(wb_, enc::ToUtf8(cp936_name).c_str());
    if (ws == nullptr) Fail(LXW_ERROR_SHEETNAME_ALREADY_USED);
    return ws;
  }

  lxw_format* Format(const std::string& code) {
    if (code.empty()) return nullptr;
    auto [it, added] = formats_.try_emplace(code, nullptr);
    if (added) {
      it->second = workbook_add_format(wb_);
      format_set_num_format(it->second, code.c_str());
    }
    return it->second;
  }

  void Cell(lxw_worksheet* ws, std::size_t row, std::size_t col, const std::string& text) {
    if (row >= LXW_ROW_MAX || col >= LXW_COL_MAX) {
      if (!text.empty()) Fail(LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE);
      return;
    }
    const CellValue v = ClassifyCell(text);
    const auto r = static_cast<lxw_row_t>(row);
    const auto c = static_cast<lxw_col_t>(col);
    if (v.kind == CellKind::kNumber) {
      Fail(worksheet_write_number(ws, r, c, v.number, Format(v.format)));
    } else if (v.kind == CellKind::kText) {
      Fail(worksheet_write_string(ws, r, c, enc::ToUtf8(text).c_str(), nullptr));
    }
  }

  template <typename Table>
  void Rows(lxw_worksheet* ws, const Table& rows) {
    std::vector<double> widths = FittedWidths(rows);
    for (std::size_t c = 0; c < widths.size() && c < LXW_COL_MAX; ++c) {
      if (widths[c] > kDefaultWidth) {
        auto col = static_cast<lxw_col_t>(c);
        Fail(worksheet_set_column(ws, col, col, widths[c], nullptr));
      }
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
      for (std::size_t c = 0; c < rows[r].size(); ++c) Cell(ws, r, c, rows[r][c]);
    }
  }

  void PrintLayout(lxw_worksheet* ws, const PrintSheet& sheet) {
    worksheet_set_paper(ws, kPaperA4);
    if (sheet.table.ColumnCount() > kLandscapeColumns) worksheet_set_landscape(ws);
    worksheet_fit_to_pages(ws, 1, 0);
    worksheet_gridlines(ws, LXW_SHOW_ALL_GRIDLINES);
    if (!sheet.table.rows.empty()) {
      Fail(worksheet_repeat_rows(ws, 0, 0));
      worksheet_freeze_panes(ws, 1, 0);
    }
    // The sheet's name centred in the page header ("&" doubled to show).
    std::string header = "&C";
    for (char ch : enc::ToUtf8(sheet.name)) {
      header += ch;
      if (ch == '&') header += '&';
    }
    Fail(worksheet_set_header(ws, header.c_str()));
    Rows(ws, sheet.table.rows);
  }

  void Charts(lxw_worksheet* ws, const std::string& sheet_name,
              const std::vector<ColumnChart>& charts) {
    static const std::string kClass = "班级"_gb;
    const std::string utf8_name = enc::ToUtf8(sheet_name);
    lxw_format* average = Format("0.000");
    Fail(worksheet_set_column(ws, 0, 0, 30, nullptr));
    Fail(worksheet_set_column(ws, 1, 2, 16, nullptr));
    std::size_t row = 0;
    for (const ColumnChart& chart : charts) {
      const std::size_t n = std::min(chart.labels.size(), chart.values.size());
      Cell(ws, row, 0, chart.title);
      Cell(ws, row + 1, 0, kClass);
      Cell(ws, row + 1, 1, chart.values_name);
      Cell(ws, row + 1, 2, chart.reference_name);
      for (std::size_t i = 0; i < n; ++i) {
        const auto r = static_cast<lxw_row_t>(row + 2 + i);
        Cell(ws, r, 0, chart.labels[i]);
        Fail(worksheet_write_number(ws, r, 1, chart.values[i], average));
        Fail(worksheet_write_number(ws, r, 2, chart.reference, average));
      }
      if (n > 0 && row + 1 + n < LXW_ROW_MAX) AddChart(ws, utf8_name, chart, row, n);
      row += std::max(kChartRows, n + 3);
    }
  }

 private:
  void AddChart(lxw_worksheet* ws, const std::string& utf8_sheet, const ColumnChart& chart,
                std::size_t row, std::size_t n) {
    lxw_chart* c = workbook_add_chart(wb_, LXW_CHART_COLUMN);
    if (c == nullptr) return Fail(LXW_ERROR_MEMORY_MALLOC_FAILED);
    const auto first = static_cast<lxw_row_t>(row + 2);
    const auto last = static_cast<lxw_row_t>(row + 1 + n);
    const std::string values_name = enc::ToUtf8(chart.values_name);
    const std::string reference_name = enc::ToUtf8(chart.reference_name);
    for (lxw_col_t col : {lxw_col_t{1}, lxw_col_t{2}}) {
      lxw_chart_series* s = chart_add_series(c, nullptr, nullptr);
      if (s == nullptr) return Fail(LXW_ERROR_MEMORY_MALLOC_FAILED);
      chart_series_set_categories(s, utf8_sheet.c_str(), first, 0, last, 0);
      chart_series_set_values(s, utf8_sheet.c_str(), first, col, last, col);
      chart_series_set_name(s, (col == 1 ? values_name : reference_name).c_str());
    }
    chart_title_set_name(c, enc::ToUtf8(chart.title).c_str());
    // Class averages lie close together: an axis from 0 would hide their
    // differences, so it starts below the lowest bar by the bars' spread.
    double lo = chart.reference, hi = chart.reference;
    for (std::size_t i = 0; i < n; ++i) {
      lo = std::min(lo, chart.values[i]);
      hi = std::max(hi, chart.values[i]);
    }
    const double axis_min = std::floor(lo - std::max(1.0, hi - lo));
    if (std::isfinite(axis_min) && axis_min > 0) chart_axis_set_min(c->y_axis, axis_min);
    chart_axis_set_num_format(c->y_axis, "0");
    Fail(worksheet_insert_chart(ws, static_cast<lxw_row_t>(row), 4, c));
  }

  lxw_workbook* wb_;
  std::map<std::string, lxw_format*> formats_;
  lxw_error error_ = LXW_NO_ERROR;
};

}  // namespace

std::optional<std::string> WriteWorkbook(const WorkbookContent& content, const std::string& path) {
  // The temporary file lies in the target's folder so that the rename
  // replaces the target in one step.
  std::string temp;
  if (int err = StartScratch(path, temp)) return Failure(path, SystemReason(err));

  lxw_workbook_options options{};
  // Rows go out as they are written instead of being kept until the end.
  options.constant_memory = LXW_TRUE;
  options.tmpdir = ScratchFolder();
  lxw_workbook* wb = workbook_new_opt(temp.c_str(), &options);
  if (wb == nullptr) {
    std::remove(temp.c_str());
    return Failure(path, SystemReason(ENOMEM));
  }
  Writer w(wb);
  if (lxw_worksheet* ws = w.AddSheet(content.first_sheet_name)) w.Rows(ws, content.first_sheet);
  for (const PrintSheet& sheet : content.print_sheets) {
    if (lxw_worksheet* ws = w.AddSheet(sheet.name)) w.PrintLayout(ws, sheet);
  }
  if (!content.charts.empty()) {
    if (lxw_worksheet* ws = w.AddSheet(content.chart_sheet_name)) {
      w.Charts(ws, content.chart_sheet_name, content.charts);
    }
  }
  errno = 0;
  lxw_error closed = workbook_close(wb);
  const int close_errno = errno;
  w.Fail(closed);
  if (w.error() != LXW_NO_ERROR) {
    std::remove(temp.c_str());
    std::string reason = enc::FromOutside(lxw_strerror(w.error()));
    if (w.error() == LXW_ERROR_CREATING_XLSX_FILE && close_errno != 0) {
      reason = SystemReason(close_errno);
    }
    return Failure(path, reason);
  }
  if (int err = PlaceFinished(temp, path)) return Failure(path, SystemReason(err));
  return std::nullopt;
}

}  // namespace tessaly::io::exports
