#include "adjust/batch_transfer.h"

#include <algorithm>
#include <cmath>

#include "engine/transfer.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::adjust {

namespace {

std::vector<std::string> EmptyRow() {
  return std::vector<std::string>(kBatchColumns);
}

// The text's lines; a final line break adds no empty line.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  bool open = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (ch == '\r' || ch == '\n') {
      lines.push_back(std::move(line));
      line.clear();
      open = false;
      if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      continue;
    }
    line.push_back(ch);
    open = true;
  }
  if (open) lines.push_back(std::move(line));
  return lines;
}

}  // namespace

void ResetBatchGrid(BatchGrid& g) {
  g.grid.rows.assign(kBatchResetRows, EmptyRow());
  g.grid.rows[0] = {"学号"_gb, "姓名"_gb, "转入班级"_gb, "自动补回的学生"_gb};
}

void PasteIntoBatchGrid(BatchGrid& g, const std::string& text, std::size_t row,
                        std::size_t column) {
  const std::vector<std::string> lines = SplitLines(text);
  auto& rows = g.grid.rows;
  if (rows.size() < lines.size() + row) rows.resize(lines.size() + row, EmptyRow());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string fields;
    fields.reserve(lines[i].size() + 1);
    for (char ch : lines[i]) fields.push_back(ch == '\t' ? '|' : ch);
    fields.push_back('|');
    const std::int32_t count = model::CountChar(fields, '|');
    for (std::int32_t t = 1; t <= count; ++t) {
      const std::size_t col = column + static_cast<std::size_t>(t) - 1;
      if (col >= kBatchColumns) break;
      rows[row + i][col] = model::FieldAt(fields, '|', t);
    }
  }
}

void DeleteBatchRows(BatchGrid& g, std::size_t top, std::size_t bottom) {
  auto& rows = g.grid.rows;
  top = std::max<std::size_t>(top, 1);
  if (top > bottom || top >= rows.size()) return;
  bottom = std::min(bottom, rows.size() - 1);
  rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(top),
             rows.begin() + static_cast<std::ptrdiff_t>(bottom) + 1);
  if (rows.size() < 2) rows.resize(2, EmptyRow());
}

void ClearBatchCells(BatchGrid& g, std::size_t top, std::size_t left, std::size_t bottom,
                     std::size_t right) {
  auto& rows = g.grid.rows;
  for (std::size_t r = top; r <= bottom && r < rows.size(); ++r) {
    for (std::size_t c = left; c <= right && c < rows[r].size(); ++c) rows[r][c].clear();
  }
}

std::size_t bsSkinButton14Click(model::ProgramState& state, model::UserPort& user, BatchGrid& g,
                                const BatchSettings& settings) {
  static const std::string kTitle = "分班进度"_gb;
  user.ProgressStart(kTitle);
  user.ProgressSet(0);
  const engine::BackFillMode mode =
      settings.back_fill ? engine::BackFillMode::BackFillByMatch : engine::BackFillMode::NoBackFill;
  auto& rows = g.grid.rows;
  std::size_t moved = 0;
  for (std::size_t a = 1; a < rows.size(); ++a) {
    user.ProgressSet(
        static_cast<int>(std::trunc(static_cast<double>(a) / (rows.size() - 1) * 100)));
    auto& row = rows[a];
    row.resize(std::max(row.size(), kBatchColumns));
    if (row[0].empty() || row[1].empty() || row[2].empty()) continue;
    const engine::TransferResult result = engine::TransferStudent(
        state, user, row[0], row[1], model::FirstInteger(row[2]), settings.limit, mode);
    if (!result.success()) continue;
    ++moved;
    row[3] = result.back_filled ? result.back_filled->Name : std::string();
  }
  return moved;
}

}  // namespace tessaly::adjust
