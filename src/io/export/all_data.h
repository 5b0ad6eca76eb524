#pragma once
// The exports of the division page that go through the clipboard: copying
// one result table (whole or the selected cells) and copying all result
// tables as one block of table text ("复制所有数据到剪贴板").

#include <optional>
#include <string>

#include "io/table_text.h"
#include "model/clipboard_port.h"
#include "model/grid.h"
#include "model/program_state.h"
#include "model/user_port.h"

namespace tessaly::io::exports {

// The result tables as the all-data text refreshes them, in its order.
struct AllDataTables {
  model::Grid roster;      // 分班名单 (bsSkinStringGrid6)
  model::Grid averages;    // 平均分 (bsSkinStringGrid7)
  model::Grid same_names;  // 同姓名学生分布 (bsSkinStringGrid10)
  model::Grid statistics;  // 人数统计 (bsSkinStringGrid8)
};

// The class roster as the page "分班名单" shows it for the chosen item of its
// class list ("全部学生" or "<id> 班"); "全部学生" when none is chosen.
model::Grid RosterShown(const model::ProgramState& state,
                        const std::optional<std::string>& chosen_item);

// CollectAllData: refreshes the averages table, the same-name table and the
// headcount statistics (the page's preparation, then "开始统计", which
// re-ranks every range set), and returns the table texts of the roster
// (taken before the statistics re-rank), the averages, the same names and
// the statistics, one after the other. The progress window goes 0, 10, 20,
// 30, 50, 70, 80, 90, 100 (and closes itself). `refreshed`, when given,
// receives the four tables for the page to show.
std::string CollectAllData(model::ProgramState& state, model::UserPort& user,
                           const std::optional<std::string>& chosen_item = std::nullopt,
                           AllDataTables* refreshed = nullptr);

// CopyTable: puts the table text of the whole table (`whole`) or of the
// selected rectangle on the clipboard and shows "已复制成功！请打开Excel，选择粘贴即可。".
void CopyTable(const model::Grid& table, bool whole, const CellRange& selection,
               model::ClipboardPort& clipboard, model::UserPort& user);

// "复制所有数据到剪贴板" (bsSkinButton15): CollectAllData onto the clipboard,
// then the same message as CopyTable.
void bsSkinButton15Click(model::ProgramState& state, model::UserPort& user,
                         model::ClipboardPort& clipboard,
                         const std::optional<std::string>& chosen_item = std::nullopt);

}  // namespace tessaly::io::exports
