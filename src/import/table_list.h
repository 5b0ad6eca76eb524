#pragma once
// The commands that frame the imports on the page "分班数据导入": starting a
// new division with the new-division dialog (新建分班), choosing a table in
// the table list, and clearing a table of a combined division.

#include <cstddef>
#include <optional>

#include "model/import_page.h"
#include "model/program_state.h"
#include "model/user_port.h"

namespace tessaly::import {

// 新建分班数据: after confirmation when tables exist, empties the tables, the
// range sets, the table list, the rule lists (not the same-name rows) and the
// score-table view, and marks a division as started. Returns true when the
// new-division dialog is to be shown now; false when the user said No and
// nothing changed.
bool StartNewDivision(model::ProgramState& state, model::ImportPage& page, model::UserPort& user);

// The new-division dialog 新建分班. One object lives as long as the window, so
// a later opening shows the last choice.
class NewDivisionDialog {
 public:
  static constexpr int kMinCount = 2;
  static constexpr int kMaxCount = 20;

  // 导入多份成绩折合 and 仅导入一份成绩: checking one unchecks the other;
  // unchecking leaves both unchecked.
  void SetCombine(bool checked);
  void SetSingle(bool checked);
  bool combine() const { return combine_; }
  bool single() const { return single_; }

  // 成绩份数: kept within 2..20.
  void SetCount(int count);
  int count() const { return count_; }

  // 确   定: sets the import mode and closes the dialog. Returns false, after
  // the warning "请勾选导入成绩的份数！", while neither box is checked; the
  // dialog then stays open and nothing changes.
  bool Accept(model::ProgramState& state, model::UserPort& user) const;

  // Closing the window any other way: refused with the same warning while
  // neither box is checked; leaves the import mode unchanged.
  bool RequestClose(model::UserPort& user) const;

 private:
  bool combine_ = false;
  bool single_ = false;
  int count_ = kMinCount;
};

// A click on entry `entry` of the table list: every slot whose table name
// equals it is shown in turn, so the last one ends up in the view.
void ChooseTable(const model::ProgramState& state, model::ImportPage& page, std::size_t entry);

// 清除该份数据 on the selected entry (none selected: the warning
// "您还没有选择要清除的数据表!"). Empties every slot from 1 on that holds the
// table, makes it the next slot to fill, removes the entry and returns the
// new selection, whose table is shown (an empty view when none is left).
std::optional<std::size_t> ClearTable(model::ProgramState& state, model::ImportPage& page,
                                      model::UserPort& user, std::optional<std::size_t> selected);

}  // namespace tessaly::import
