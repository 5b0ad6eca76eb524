#include "rules/first_rules_page.h"

namespace tessaly::rules {

void EnterFirstRulesPage(FirstRulesPage& page, model::ProgramState& state) {
  EnterWeights(page.weights, state);
  EnterRanges(page.ranges, state);
}

void LeaveFirstRulesPage(const FirstRulesPage& page, model::ProgramState& state,
                         model::UserPort& user) {
  LeaveWeights(page.weights, state, user);
  state.ClassRangeRows = RangeRowsOfGrid(page.ranges);
}

}  // namespace tessaly::rules
