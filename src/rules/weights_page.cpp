#include "rules/weights_page.h"

#include <algorithm>
#include <cstdint>

#include "model/text_fields.h"
#include "platform/encoding.h"
#include "rules/key_filters.h"

namespace tessaly::rules {
namespace {

bool IsTableRow(const WeightsPage& page, int row) {
  return row >= 1 && row < static_cast<int>(page.grid.RowCount());
}

}  // namespace

void EnterWeights(WeightsPage& page, model::ProgramState& state) {
  page.grid = model::Grid{};
  page.editing = page.role_menu_open = false;
  page.current_row = page.current_col = -1;
  const std::size_t rows =
      state.CombineMode ? std::max<std::size_t>(
                              2, static_cast<std::size_t>(std::max(0, state.ExpectedSetCount)) + 1)
                        : 2;
  page.grid.rows.assign(rows, std::vector<std::string>(3));
  page.grid.At(0, 0) = "分班数据表名称"_gb;
  page.grid.At(0, 1) = "成绩计算比例(%)"_gb;
  page.grid.At(0, 2) = "设置主表"_gb;
  page.takes_input = state.CombineMode;
  if (state.CombineMode) {
    for (std::int32_t i = 1; i <= state.ExpectedSetCount; ++i) {
      if (static_cast<std::size_t>(i) >= state.ImportedSets.size()) break;
      const model::Student_F& set = state.ImportedSets[i];
      page.grid.At(i, 0) = set.TableName;
      page.grid.At(i, 1) =
          (set.WeightPercent > 0 ? std::to_string(set.WeightPercent) : std::string()) + " %";
      page.grid.At(i, 2) = set.IsMainTable ? "主表"_gb : "参考表"_gb;
    }
  } else if (!state.ImportedSets.empty()) {
    page.grid.At(1, 0) = state.ImportedSets[0].TableName;
    page.grid.At(1, 1) = "100%";
    page.grid.At(1, 2) = "主表"_gb;
    state.ImportedSets[0].IsMainTable = true;
  }
  for (std::size_t b = 0; b < kInitialPairs.size(); ++b) {
    page.initial_ticked[b] = model::FindRow(state.InitialSoundPairs, kInitialPairs[b]) >= 0;
    page.final_ticked[b] = model::FindRow(state.FinalSoundPairs, kFinalPairs[b]) >= 0;
  }
}

void SelectWeightCell(WeightsPage& page, int row, int col) {
  page.editing = page.role_menu_open = false;
  if (!page.takes_input) return;
  page.current_row = row;
  page.current_col = col;
  if (!IsTableRow(page, row)) return;
  page.editing = col == 1;
  page.role_menu_open = col == 2;
}

bool WeightKeepsKey(char key) {
  return KeepDigitPercentKey(key);
}

void WeightKeyUp(WeightsPage& page, const std::string& cell_text, model::UserPort& user) {
  if (!page.takes_input || !IsTableRow(page, page.current_row) || page.current_col < 0) return;
  std::string& cell = page.grid.At(page.current_row, page.current_col);
  cell = cell_text;
  if (model::FirstInteger(cell) > 100) {
    user.Warning("该值无效！该单元格数值应该介于1-100之间（表示该份成绩折合时，"_gb + "\r" +
                 "在所有成绩中所占的百分比）！同时，该列数值之和应等于100。"_gb);
    cell.clear();
  }
}

void ChooseMainTable(WeightsPage& page, RangePage& ranges, model::ProgramState& state) {
  page.role_menu_open = false;
  if (!IsTableRow(page, page.current_row) || page.current_col < 0) return;
  page.grid.At(page.current_row, page.current_col) = "主表"_gb;
  const std::string& name = page.grid.Cell(page.current_row, 0);
  for (std::size_t j = 1; j < state.ImportedSets.size(); ++j) {
    state.ImportedSets[j].IsMainTable = state.ImportedSets[j].TableName == name;
  }
  for (std::size_t r = 1; r < page.grid.RowCount(); ++r) {
    if (static_cast<int>(r) != page.current_row) page.grid.At(r, page.current_col) = "参考表"_gb;
  }
  if (ranges.type == RangeType::kByNumber) FillRangeBoxes(ranges, state);
}

void ChooseReferenceTable(WeightsPage& page) {
  page.role_menu_open = false;
  if (!IsTableRow(page, page.current_row) || page.current_col < 0) return;
  page.grid.At(page.current_row, page.current_col) = "参考表"_gb;
}

void LeaveWeights(const WeightsPage& page, model::ProgramState& state, model::UserPort& user) {
  if (state.CombineMode) {
    bool main_chosen = false;
    std::int64_t sum = 0;
    const std::string main_text = "主表"_gb;
    for (std::size_t r = 1; r < page.grid.RowCount(); ++r) {
      const bool is_main = page.grid.Cell(r, 2) == main_text;
      main_chosen = main_chosen || is_main;
      const std::int32_t value = model::FirstInteger(page.grid.Cell(r, 1));
      sum += value;
      for (std::size_t j = 1; j < state.ImportedSets.size(); ++j) {
        model::Student_F& set = state.ImportedSets[j];
        if (set.TableName != page.grid.Cell(r, 0)) continue;
        set.WeightPercent = value > 0 ? value : 0;
        set.IsMainTable = is_main;
      }
    }
    if (!main_chosen) user.Warning("您还没有选择哪份成绩表为主表!"_gb);
    if (sum != 100) user.Warning("各份成绩比例之和应该为：100%!"_gb);
  }
  state.InitialSoundPairs.clear();
  state.FinalSoundPairs.clear();
  for (std::size_t b = 0; b < kInitialPairs.size(); ++b) {
    if (page.initial_ticked[b]) state.InitialSoundPairs.push_back(kInitialPairs[b]);
  }
  for (std::size_t b = 0; b < kFinalPairs.size(); ++b) {
    if (page.final_ticked[b]) state.FinalSoundPairs.push_back(kFinalPairs[b]);
  }
}

}  // namespace tessaly::rules
