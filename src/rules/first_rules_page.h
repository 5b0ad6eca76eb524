#pragma once
// The page "分班规则制定1(必须)" (bsSkinTabSheet2): weights and sound boxes
// above, class-type ranges below. Entering builds both halves from the
// program state; leaving writes them back.

#include "model/program_state.h"
#include "model/user_port.h"
#include "rules/range_page.h"
#include "rules/weights_page.h"

namespace tessaly::rules {

struct FirstRulesPage {
  WeightsPage weights;
  RangePage ranges;
};

// bsSkinTabSheet2Enter: the weights grid and sound boxes, then the range
// grid and the range boxes' lists.
void EnterFirstRulesPage(FirstRulesPage& page, model::ProgramState& state);

// bsSkinTabSheet2Exit: weights and roles (with their warnings), the sound
// pair lists, then ClassRangeRows rebuilt from the range grid. The page is
// left in any case.
void LeaveFirstRulesPage(const FirstRulesPage& page, model::ProgramState& state,
                         model::UserPort& user);

}  // namespace tessaly::rules
