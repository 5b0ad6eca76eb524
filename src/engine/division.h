#pragma once
// The division command "开始分班": combines the tables, builds one range set
// per class-type range and places every student of every range set into a
// class of its range, batch by batch at the lowest placement cost (preset
// students into their preset class), then balances the class average totals
// and fills the result tables.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/division_batch.h"
#include "engine/evaluation.h"
#include "model/grid.h"
#include "model/program_state.h"
#include "model/user_port.h"

namespace tessaly::engine {

// Fixed numbers of the division.
inline constexpr double kSameNamePenalty = 350;
inline constexpr int kRangeProgressShare = 80;
inline constexpr double kDivisionControlScore = 1.2;

// What the division page shows after the command.
struct DivisionResult {
  bool completed = false;               // every range divided and the tables filled
  double score = 0;                     // the score taken before the balancing pass
  std::string score_caption;            // "分班结果评分：" + score
  model::Grid averages;                 // the averages table
  model::Grid same_names;               // the same-name table
  std::vector<std::string> class_list;  // "全部学生", then "<id> 班" per class id
};

// NewClassList of a range: one empty summary per class id of `ids` (each id
// followed by ","), ClassId the id's first integer, with a subject entry per
// subject heading of the set.
std::vector<New_ClassInf> ResetNewClassList(const model::Student_F& set, std::int32_t class_count,
                                            const std::string& ids);

// Runs the division on `state` and swaps the result in. Nothing changes when
// nothing is imported, no range row exists or combine mode has no main table
// (each with its warning). A range row whose class ids do not match its
// class count stops the command with its warning; the ranges before it keep
// their placements. A range with the class count 0 is skipped with a
// warning. Progress goes through `user` ("分班进度", 0 .. 100).
DivisionResult bsSkinButton10Click(model::ProgramState& state, model::UserPort& user, Coin& coin);

// The class list of the division page: "全部学生", then for every range row
// and every class id of its field 4 the id text followed by " 班".
std::vector<std::string> ClassListItems(const model::ProgramState& state);

}  // namespace tessaly::engine
