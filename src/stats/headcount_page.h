#pragma once
// The page "人数统计" of the division page: the headcount conditions
// (CountConditionRows) with their inputs and grid, and the statistics table
// that "开始统计" fills. Also what entering the division page refreshes.
//
// For the exports: HeadcountStatisticsOf(state) prepares the page from the
// state, runs "开始统计" and returns the statistics table.

#include <cstdint>
#include <string>
#include <vector>

#include "model/grid.h"
#include "model/program_state.h"
#include "model/user_port.h"
#include "stats/count_conditions.h"

namespace tessaly::stats {

// Widths (pixels) of the columns of the conditions grid.
inline constexpr int kConditionColumnWidths[] = {180, 70, 220};

struct HeadcountPage {
  // The items of the range box bsSkinComboBox8: the RangeKey of every range
  // row. Choosing one sets inputs.range to it.
  std::vector<std::string> range_items;
  // The range box bsSkinComboBox8, the subject box bsSkinCheckComboBox2, the
  // subject choice, the typed bounds and the one-key inputs: the inputs of
  // "添加统计条件". The operator boxes start at "大于" and "小于"; the value
  // boxes keep the keys rules::KeepDigitKey keeps.
  ConditionInputs inputs;
  // Enabled states switched by "一键式快速设置"; all enabled before the
  // first click.
  bool typed_inputs_enabled = true;    // the operator and typed value boxes
  bool one_key_inputs_enabled = true;  // interval, start and end
  model::Grid conditions;              // bsSkinStringGrid9
  model::Grid statistics;              // bsSkinStringGrid8 (a snapshot)
};

// The page at start-up: nothing chosen, the operator boxes at "大于"/"小于".
HeadcountPage NewHeadcountPage();

// The headings of the conditions grid: 学生区间, 应用科目, 条件.
const std::vector<std::string>& ConditionHeadings();

// The preparation (bsSkinTabSheet8Enter): the range box gets the RangeKey of
// every range row, the subject box the main table's subjects unticked (the
// choice of a range is cleared); while CountConditionRows is empty and
// BandConditionRows is not, the band conditions' first three fields are
// copied into it; the conditions grid is shown.
void bsSkinTabSheet8Enter(model::ProgramState& state, HeadcountPage& page);

// "一键式快速设置" clicked: the tick flips; ticked enables the one-key inputs
// and disables the typed ones, unticked the reverse.
void bsSkinCheckRadioBox21Click(HeadcountPage& page);

// "添加统计条件": the checks of the band conditions (with their warnings),
// then the new rows appended to CountConditionRows and the grid shown again.
// Returns the number of rows added.
std::size_t bsSkinButton8Click(model::ProgramState& state, model::UserPort& user,
                               HeadcountPage& page);

// "删除" of the conditions grid's menu for the selected grid rows top..bottom.
void N11Click(model::ProgramState& state, model::UserPort& user, HeadcountPage& page,
              std::int32_t top, std::int32_t bottom);

// "开始统计": fills the statistics table (re-ranks every range set).
void bsSkinButton11Click(model::ProgramState& state, HeadcountPage& page);

// The preparation and "开始统计" as the export of all data runs them; the
// statistics table.
model::Grid HeadcountStatisticsOf(model::ProgramState& state);

// What entering the division page (bsSkinTabSheet4Enter) refreshes on its
// sub-pages.
struct DivisionPageRefresh {
  std::vector<std::string> range_items;    // bsSkinComboBox8
  std::vector<std::string> subject_items;  // bsSkinCheckComboBox2, unticked
  model::Grid conditions;                  // bsSkinStringGrid9
  model::Grid same_names;                  // bsSkinStringGrid10
  std::vector<std::string> class_items;    // bsSkinListBox2: "全部学生", "1 班" ...
};

// Entering the division page: the statistics preparation (seeding
// CountConditionRows from the band conditions while it is empty), the
// same-name table and the class list. `page` gets the new boxes and grid.
DivisionPageRefresh bsSkinTabSheet4Enter(model::ProgramState& state, HeadcountPage& page);

// The subject headings of the main table (the first slot of ImportedSets
// marked IsMainTable); empty when there is none.
std::vector<std::string> MainTableSubjects(const model::ProgramState& state);

}  // namespace tessaly::stats
