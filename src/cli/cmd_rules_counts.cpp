// tessaly-cli rules IN.fb add-count | delete-counts: one event of the page
// "人数统计" on its conditions (CountConditionRows). The page is prepared as
// on entering it (which copies the band conditions while there are no
// headcount conditions yet), the event runs and the file is written.

#include "cli/cli_files.h"
#include "cli/cmd_rules.h"
#include "stats/headcount_page.h"

namespace tessaly::cli {
namespace {

model::ProgramState Enter(const std::string& in, stats::HeadcountPage& page) {
  model::ProgramState state = LoadStateOrFail(in);
  page = stats::NewHeadcountPage();
  stats::bsSkinTabSheet8Enter(state, page);
  return state;
}

}  // namespace

int RunAddCount(const std::string& in, Args& args) {
  const std::optional<std::string> range = args.Option("--range");
  ConditionArgs condition = TakeConditionArgs(args);
  const std::string out = TakeOut(args);
  NoMoreArgs(args);

  stats::HeadcountPage page;
  model::ProgramState state = Enter(in, page);
  stats::ConditionInputs& inputs = page.inputs;
  const int at = RangeItemIndex(page.range_items, range);
  if (at >= 0) inputs.range = page.range_items[static_cast<std::size_t>(at)];
  inputs.choice = condition.choice;
  inputs.ticked = TickSubjects(inputs.subjects, condition.subjects);
  if (condition.input.one_key != inputs.condition.one_key) stats::bsSkinCheckRadioBox21Click(page);
  inputs.condition = condition.input;
  TerminalUser user;
  stats::bsSkinButton8Click(state, user, page);
  // A refused add leaves the list as it was and warns; a silent add of
  // nothing (no subject ticked, every row held) is no failure.
  if (user.failed()) {
    if (!inputs.range) PrintRangeKeys(page.range_items);
    return 1;
  }
  SaveStateOrFail(state, out);
  return 0;
}

int RunDeleteCounts(const std::string& in, Args& args) {
  const std::string out = TakeOut(args);
  const GridRows rows =
      TakeGridRows(args, "give the grid rows to delete: delete-counts FIRST [LAST]");
  stats::HeadcountPage page;
  model::ProgramState state = Enter(in, page);
  TerminalUser user;
  stats::N11Click(state, user, page, rows.top, rows.bottom);
  if (user.failed()) return 1;
  SaveStateOrFail(state, out);
  return 0;
}

}  // namespace tessaly::cli
