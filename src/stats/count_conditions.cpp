#include "stats/count_conditions.h"

namespace tessaly::stats {

std::vector<std::string> NewConditionRows(const ConditionInputs& in, const model::RuleList& list,
                                          model::UserPort& user) {
  if (!rules::CheckConditionForm(in.range.has_value(), in.choice, in.condition, user)) return {};
  return rules::NewConditionRows(
      *in.range, rules::ChosenSubjects(in.choice, in.subjects, in.ticked), in.condition, "", list);
}

}  // namespace tessaly::stats
