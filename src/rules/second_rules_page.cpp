#include "rules/second_rules_page.h"

namespace tessaly::rules {

void EnterSecondRulesPage(SecondRulesPage& page, model::ProgramState& state) {
  EnterBands(page.bands, state);
  EnterBalanceItems(page.items, state);
}

}  // namespace tessaly::rules
