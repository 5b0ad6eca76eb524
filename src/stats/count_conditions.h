#pragma once
// The inputs of the headcount statistics conditions (CountConditionRows):
// a range, a subject choice, typed bounds or a one-key series. They run the
// band conditions' tests and build the same condition texts; a row is the
// range key, the subject and the condition, each followed by "$", with no
// level.

#include <optional>
#include <string>
#include <vector>

#include "model/rule_lists.h"
#include "model/user_port.h"
#include "rules/condition_input.h"

namespace tessaly::stats {

using SubjectChoice = rules::SubjectChoice;

struct ConditionInputs {
  std::optional<std::string> range;  // the selected range box item
  SubjectChoice choice = SubjectChoice::kNone;
  std::vector<std::string> subjects;  // the subject box's items
  std::vector<bool> ticked;           // their ticks (missing = unticked)
  // The operator and value boxes and the one-key inputs; the operator
  // boxes start at "大于" and "小于".
  rules::ConditionInput condition = rules::ConditionInput::Initial();
};

// The rows of the inputs that `list` does not hold yet (compared ignoring
// Latin letter case). No rows when a test of the add command fails (its
// warning shown).
std::vector<std::string> NewConditionRows(const ConditionInputs& in, const model::RuleList& list,
                                          model::UserPort& user);

}  // namespace tessaly::stats
