#pragma once
// The inputs that make score-band conditions (range, subject choice, typed
// bounds or a one-key series), the checks they must pass, the condition
// texts they give, and the grid and deletion of a condition list. The
// headcount statistics page uses them for CountConditionRows; rows are the
// range key, the subject and the condition, each followed by "$".

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/grid.h"
#include "model/rule_lists.h"
#include "model/user_port.h"

namespace tessaly::stats {

// The three radio buttons of the subject choice; none selected at start.
enum class SubjectChoice { kNone, kAllSubjects, kTotal, kTicked };

struct ConditionInputs {
  std::optional<std::string> range;  // the selected range box item
  SubjectChoice choice = SubjectChoice::kNone;
  std::vector<std::string> subjects;  // the subject box's items
  std::vector<bool> ticked;           // their ticks (missing = unticked)
  bool one_key = false;               // "一键式快速设置"
  std::string lower_op;               // typed bounds: operator and value texts
  std::string lower_value;
  std::string upper_op;
  std::string upper_value;
  std::string start_value;  // one-key: start, end and interval texts
  std::string end_value;
  std::string interval;
};

// The value boxes take only the digits 0 to 9 and backspace (code 8).
bool ValueKeyAccepted(char key);

// The checks of the add command, in order; the first that fails shows its
// warning and the result is false.
bool CheckConditionInputs(const ConditionInputs& in, model::UserPort& user);

// The subjects the choice names: every item, "总分", or the ticked items.
std::vector<std::string> ChosenSubjects(const ConditionInputs& in);

// The condition texts of the inputs: one typed condition, or the bands of
// the falling (start above end) or rising one-key series, bounds in the
// general number form. A series that would go past kMaxSeriesBands bands
// gives none (see SeriesTooLong).
std::vector<std::string> ConditionTexts(const ConditionInputs& in);
inline constexpr std::size_t kMaxSeriesBands = 1000;
// True when the one-key series of the inputs has more bands than the list
// can sensibly hold, or never reaches its end (an interval too small to move
// the bound).
bool SeriesTooLong(const ConditionInputs& in);

// The rows of the inputs that `list` does not hold yet (compared ignoring
// Latin letter case), each range key, "$", subject, "$", condition, "$".
// No rows when the checks fail (warned) or the series is too long (warned).
std::vector<std::string> NewConditionRows(const ConditionInputs& in, const model::RuleList& list,
                                          model::UserPort& user);

// The conditions grid: a heading row and one row per list row, the fields
// split at "$" into `headings.size()` columns; at least two rows.
model::Grid ConditionGrid(const model::RuleList& list, const std::vector<std::string>& headings);

// Deletes the list rows of the grid rows top..bottom (grid row i is list row
// i - 1). A top row of 0 or less warns "您还没有选择要删除的数据行！" and
// deletes nothing; false then.
bool DeleteConditionRows(model::RuleList& list, std::int32_t top, std::int32_t bottom,
                         model::UserPort& user);

}  // namespace tessaly::stats
