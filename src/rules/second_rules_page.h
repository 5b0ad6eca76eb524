#pragma once
// The page "分班规则制定2(可选)" (bsSkinTabSheet3): band conditions above,
// balance items below. Entering refills the boxes and appends the default
// balance items; the page writes its lists as each event runs.

#include "model/program_state.h"
#include "rules/balance_items_page.h"
#include "rules/band_page.h"

namespace tessaly::rules {

struct SecondRulesPage {
  BandPage bands;
  BalanceItemsPage items;
};

// bsSkinTabSheet3Enter: range and subject boxes, conditions grid, then the
// items grid with its default rows.
void EnterSecondRulesPage(SecondRulesPage& page, model::ProgramState& state);

}  // namespace tessaly::rules
