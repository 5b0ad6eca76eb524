#include "import/table_list.h"

#include <algorithm>

#include "model/show_table.h"
#include "platform/encoding.h"

namespace tessaly::import {

bool StartNewDivision(model::ProgramState& state, model::ImportPage& page, model::UserPort& user) {
  if (!state.ImportedSets.empty()) {
    if (!user.Confirm(
            "清除当前分班数据重新分班吗？\n1、点击YES，清除当前分班数据，重新导入\n2、点击NO，取消当前操作"_gb)) {
      return false;
    }
    state.ImportedSets.clear();
    state.RangeSets.clear();
    state.Versions.clear();
  }
  state.DivisionStarted = true;
  state.NextSetSlot = 0;
  state.FinalSoundPairs.clear();
  state.BalanceItemRows.clear();
  state.InitialSoundPairs.clear();
  state.ClassRangeRows.clear();
  state.CountConditionRows.clear();
  state.BandConditionRows.clear();
  state.GroupRows.clear();
  page.TableList.clear();
  page.ScoreView = {};
  return true;
}

void NewDivisionDialog::SetCombine(bool checked) {
  combine_ = checked;
  if (checked) single_ = false;
}

void NewDivisionDialog::SetSingle(bool checked) {
  single_ = checked;
  if (checked) combine_ = false;
}

void NewDivisionDialog::SetCount(int count) {
  count_ = std::clamp(count, kMinCount, kMaxCount);
}

bool NewDivisionDialog::RequestClose(model::UserPort& user) const {
  if (combine_ || single_) return true;
  user.Warning("请勾选导入成绩的份数！"_gb);
  return false;
}

bool NewDivisionDialog::Accept(model::ProgramState& state, model::UserPort& user) const {
  if (!RequestClose(user)) return false;
  if (combine_) {
    state.CombineMode = true;
    state.ExpectedSetCount = count_;
  } else {
    state.CombineMode = false;
    state.ExpectedSetCount = 1;
  }
  return true;
}

void ChooseTable(const model::ProgramState& state, model::ImportPage& page, std::size_t entry) {
  if (entry >= page.TableList.size()) return;
  const std::string& name = page.TableList[entry];
  for (const model::Student_F& table : state.ImportedSets) {
    if (table.TableName == name) page.ScoreView = model::ShowTable(table, state.ShowPresetClass);
  }
}

std::optional<std::size_t> ClearTable(model::ProgramState& state, model::ImportPage& page,
                                      model::UserPort& user, std::optional<std::size_t> selected) {
  if (!selected || *selected >= page.TableList.size()) {
    user.Warning("您还没有选择要清除的数据表!"_gb);
    return selected;
  }
  const std::size_t pos = *selected;
  const std::string name = page.TableList[pos];
  for (std::size_t j = 1; j < state.ImportedSets.size(); ++j) {
    model::Student_F& table = state.ImportedSets[j];
    if (table.TableName != name) continue;
    const bool main = table.IsMainTable;
    table = model::Student_F{};
    table.WeightPercent = 0;
    table.IsMainTable = main;
    state.NextSetSlot = static_cast<std::int32_t>(j);
  }
  page.TableList.erase(page.TableList.begin() + static_cast<std::ptrdiff_t>(pos));

  std::optional<std::size_t> now_selected;
  if (!page.TableList.empty()) now_selected = std::min(pos, page.TableList.size() - 1);
  if (!now_selected) {
    page.ScoreView = {};
    return now_selected;
  }
  const std::string& shown = page.TableList[*now_selected];
  for (const model::Student_F& table : state.ImportedSets) {
    if (table.TableName == shown) {
      page.ScoreView = model::ShowTable(table, state.ShowPresetClass);
      break;
    }
  }
  return now_selected;
}

}  // namespace tessaly::import
