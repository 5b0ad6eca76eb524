#include "rules/balance_items_page.h"

#include <utility>
#include <vector>

#include "model/text_fields.h"
#include "platform/encoding.h"
#include "rules/level_texts.h"
#include "rules/main_table.h"

namespace tessaly::rules {
namespace {

// Index of the first row whose field 1 is `item`, or -1.
int FindItem(const model::RuleList& list, const std::string& item) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (model::FieldAt(list[i], '|', 1) == item) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

void EnterBalanceItems(BalanceItemsPage& page, model::ProgramState& state) {
  std::vector<std::pair<std::string, std::string>> items;  // item, default level
  const std::string headcount = ShortLevelText(4), average = ShortLevelText(2);
  items.emplace_back("性别"_gb, headcount);
  if (const model::Student_F* main = MainTable(state)) {
    for (const std::string& h : main->Headings.BalanceHeadings) items.emplace_back(h, headcount);
    for (const std::string& h : main->Headings.SubjectHeadings) items.emplace_back(h, average);
  }
  items.emplace_back("总分"_gb, average);

  page.grid = model::Grid{};
  page.grid.rows.assign(items.size() + 1, std::vector<std::string>(2));
  page.grid.At(0, 0) = "平均分及人数平衡项目"_gb;
  page.grid.At(0, 1) = "平衡等级"_gb;
  page.level_menu_open = false;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const auto& [item, level] = items[i];
    page.grid.At(i + 1, 0) = item;
    const int found = FindItem(state.BalanceItemRows, item);
    if (found >= 0) {
      page.grid.At(i + 1, 1) = model::FieldAt(state.BalanceItemRows[found], '|', 2);
    } else {
      state.BalanceItemRows.push_back(item + "|" + level + "|");
      page.grid.At(i + 1, 1) = level;
    }
  }
}

void SelectItemCell(BalanceItemsPage& page, int row, int col) {
  page.current_row = row;
  page.level_menu_open = col == 1 && row >= 1 && row < static_cast<int>(page.grid.RowCount());
}

void SetItemLevel(BalanceItemsPage& page, model::ProgramState& state, int level) {
  page.level_menu_open = false;
  if (level < 1 || level > 9 || page.current_row < 1 ||
      page.current_row >= static_cast<int>(page.grid.RowCount())) {
    return;
  }
  const std::string text = ShortLevelText(level);
  page.grid.At(page.current_row, 1) = text;
  const std::string& item = page.grid.Cell(page.current_row, 0);
  const std::string row = item + "|" + text + "|";
  const int found = FindItem(state.BalanceItemRows, item);
  if (found >= 0) {
    state.BalanceItemRows[found] = row;
  } else {
    state.BalanceItemRows.push_back(row);
  }
}

}  // namespace tessaly::rules
