#include "import/table_layout.h"

#include <algorithm>

#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::import {

TableSource::TableSource(std::vector<std::string> lines) : lines_(std::move(lines)) {}

TableSource::TableSource(std::string path, workbook::ReadResult first)
    : path_(std::move(path)), names_(std::move(first.sheet_names)), active_(first.active_sheet) {
  if (names_.empty()) names_.push_back(first.sheet ? first.sheet->name : std::string());
  if (active_ >= names_.size()) active_ = 0;
  if (first.sheet) sheets_.emplace(first.read_sheet, std::move(*first.sheet));
}

const workbook::Sheet* TableSource::SheetAt(std::size_t index, std::string& error) {
  if (!IsWorkbook()) return nullptr;
  if (auto it = sheets_.find(index); it != sheets_.end()) return &it->second;
  workbook::ReadLimits limits;
  limits.sheet = index;
  workbook::ReadResult read = workbook::ReadWorkbook(path_, limits);
  if (!read.sheet) {
    error = read.error;
    return nullptr;
  }
  return &sheets_.emplace(index, std::move(*read.sheet)).first->second;
}

std::vector<std::string> TableSource::RowCells(const workbook::Sheet* sheet,
                                               std::size_t row) const {
  if (sheet) return SheetHeadings(*sheet, row);
  if (row == 0 || row > lines_.size()) return {};
  return PastedCells(lines_[row - 1]);
}

std::optional<TableLayout> TableSource::Layout(std::size_t sheet_index, int heading_row,
                                               std::string& error) {
  const workbook::Sheet* sheet = nullptr;
  if (IsWorkbook()) {
    sheet = SheetAt(sheet_index, error);
    if (!sheet) return std::nullopt;
  }
  TableLayout layout;
  layout.sheet = IsWorkbook() ? sheet_index : 0;
  if (IsWorkbook() && sheet_index < names_.size()) layout.sheet_name = names_[sheet_index];
  const std::size_t row_count = sheet ? sheet->rows.size() : lines_.size();

  if (heading_row > 0) {
    layout.row_given = true;
    layout.heading_row = heading_row;
    layout.rows_searched = heading_row;
  } else {
    layout.rows_searched = static_cast<int>(std::min<std::size_t>(row_count, kHeadingSearchRows));
    for (int r = 1; r <= layout.rows_searched; ++r) {
      if (AssignColumnRoles(RowCells(sheet, r)).HasRequiredColumns()) {
        layout.heading_row = r;
        break;
      }
    }
  }

  const std::size_t read_row = static_cast<std::size_t>(layout.ReadRow());
  const std::vector<std::string> headings = RowCells(sheet, read_row);
  layout.fixed = AssignColumnRoles(headings);
  if (sheet) {
    layout.rows = RowsFromSheet(*sheet, layout.fixed.name, read_row);
  } else {
    layout.rows = RowsFromLines(lines_, read_row);
  }
  layout.own_words = !HasKemuHeading(layout.rows.headings);
  if (layout.own_words && layout.fixed.HasRequiredColumns()) {
    layout.proposal = ProposeRoles(layout.rows, layout.fixed);
    layout.roles = layout.proposal.roles;
  }

  const std::size_t shown = std::min(row_count, read_row + kPreviewRowsBelow);
  for (std::size_t r = 1; r <= shown; ++r) layout.preview.push_back(RowCells(sheet, r));
  return layout;
}

TableLayout TableSource::AutoLayout() {
  std::string error;
  std::optional<TableLayout> first = Layout(active_, 0, error);
  if (first && first->HasHeadingRow()) return std::move(*first);
  for (std::size_t i = 0; IsWorkbook() && i < names_.size(); ++i) {
    if (i == active_) continue;
    std::optional<TableLayout> other = Layout(i, 0, error);
    if (other && other->HasHeadingRow()) return std::move(*other);
  }
  // The active sheet was read when the source was made, so its layout exists.
  return first ? std::move(*first) : TableLayout{};
}

std::optional<std::size_t> TableSource::SheetByNameOrNumber(const std::string& text) const {
  for (std::size_t i = 0; i < names_.size(); ++i) {
    if (names_[i] == text) return i;
  }
  if (!text.empty() &&
      std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    std::size_t n = text.size() > 6 ? 0 : std::stoul(text);
    if (n >= 1 && n <= names_.size()) return n - 1;
  }
  return std::nullopt;
}

std::string RowsText(int first, int last) {
  if (first == last) return "第"_gb + std::to_string(first) + "行"_gb;
  return "第"_gb + std::to_string(first) + "至"_gb + std::to_string(last) + "行"_gb;
}

std::string SearchedRowsNote(const TableLayout& layout) {
  const std::string rows = layout.row_given ? RowsText(layout.heading_row, layout.heading_row)
                                            : RowsText(1, std::max(layout.rows_searched, 1));
  std::string note = "（已查找"_gb + rows;
  if (!layout.sheet_name.empty()) note += "，工作表“"_gb + layout.sheet_name + "”"_gb;
  return note + "，没有一行同时含有学号、姓名、性别）"_gb;
}

std::string SkippedRowsNote(const TableLayout& layout) {
  if (layout.heading_row <= 1) return {};
  return "标题行是"_gb + RowsText(layout.heading_row, layout.heading_row) + "，"_gb +
         RowsText(1, layout.heading_row - 1) + "（表头、说明等）没有导入"_gb;
}

}  // namespace tessaly::import
