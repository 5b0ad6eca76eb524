// tessaly-cli rules IN.fb add-band | delete-bands | band-level | items |
// item-level: one event of the page "分班规则制定2(可选)". Entering the page
// refills its boxes and appends the default balance items; the event writes
// its list; the file is written.

#include <algorithm>

#include "cli/cli_files.h"
#include "cli/cmd_rules.h"
#include "io/table_text.h"
#include "platform/encoding.h"
#include "rules/level_texts.h"
#include "rules/second_rules_page.h"

namespace tessaly::cli {
namespace {

model::ProgramState Enter(const std::string& in, rules::SecondRulesPage& page) {
  model::ProgramState state = LoadStateOrFail(in);
  rules::EnterSecondRulesPage(page, state);
  return state;
}

}  // namespace

int RunAddBand(const std::string& in, Args& args) {
  const std::optional<std::string> range = args.Option("--range");
  const std::optional<std::string> level = args.Option("--level");
  ConditionArgs condition = TakeConditionArgs(args);
  const std::string out = TakeOut(args);
  NoMoreArgs(args);
  const int level_number = level ? TakeLevel("--level", *level) : 3;

  rules::SecondRulesPage page;
  model::ProgramState state = Enter(in, page);
  rules::BandPage& b = page.bands;
  b.range_selected = RangeItemIndex(b.range_items, range);
  b.subject_choice = condition.choice;
  b.subject_ticked = TickSubjects(b.subject_items, condition.subjects);
  if (condition.input.one_key != b.condition.one_key) rules::ToggleOneKey(b);
  b.condition = condition.input;
  if (level) b.level_text = rules::LevelCaptions()[level_number - 1];
  TerminalUser user;
  if (!rules::AddBandConditions(b, state, user)) {
    if (b.range_selected < 0) PrintRangeKeys(b.range_items);
    return 1;
  }
  SaveStateOrFail(state, out);
  return 0;
}

int RunDeleteBands(const std::string& in, Args& args) {
  const std::string out = TakeOut(args);
  const GridRows rows =
      TakeGridRows(args, "give the grid rows to delete: delete-bands FIRST [LAST]");
  rules::SecondRulesPage page;
  model::ProgramState state = Enter(in, page);
  rules::SelectBandRows(page.bands, rows.top, rows.bottom);
  TerminalUser user;
  if (!rules::DeleteBandConditions(page.bands, state, user)) return 1;
  SaveStateOrFail(state, out);
  return 0;
}

int RunBandLevel(const std::string& in, Args& args) {
  const std::string out = TakeOut(args);
  const std::vector<std::string> rest =
      TakePositionals(args, 2, 2, "give a grid row and a level: band-level ROW LEVEL");
  const int row = ParseIntArg("ROW", rest[0]);
  const int level = TakeLevel("LEVEL", rest[1]);
  rules::SecondRulesPage page;
  model::ProgramState state = Enter(in, page);
  if (row < 1 || row > static_cast<int>(state.BandConditionRows.size())) {
    throw CommandFailed("row " + rest[0] + " holds no condition (the grid has " +
                        std::to_string(state.BandConditionRows.size()) + ")");
  }
  rules::SelectBandCell(page.bands, row, 3);
  rules::SetBandLevel(page.bands, state, level);
  SaveStateOrFail(state, out);
  return 0;
}

int RunItems(const std::string& in, Args& args) {
  const std::string out = TakeOut(args);
  NoMoreArgs(args);
  rules::SecondRulesPage page;
  model::ProgramState state = Enter(in, page);
  PrintUtf8(stdout, io::TableText(page.items.grid) + "\r\n");
  SaveStateOrFail(state, out);
  return 0;
}

int RunItemLevel(const std::string& in, Args& args) {
  const std::string out = TakeOut(args);
  const std::vector<std::string> rest =
      TakePositionals(args, 2, 2, "give an item and a level: item-level ITEM LEVEL");
  const int level = TakeLevel("LEVEL", rest[1]);
  rules::SecondRulesPage page;
  model::ProgramState state = Enter(in, page);
  const std::string item = enc::FromUtf8(rest[0]);
  int row = -1;
  for (std::size_t r = 1; r < page.items.grid.RowCount(); ++r) {
    if (page.items.grid.Cell(r, 0) == item) {
      row = static_cast<int>(r);
      break;
    }
  }
  if (row < 0) {
    std::string items;
    for (std::size_t r = 1; r < page.items.grid.RowCount(); ++r) {
      items += " " + enc::ToUtf8(page.items.grid.Cell(r, 0));
    }
    throw CommandFailed("'" + rest[0] + "' is not a balance item; the items are" + items);
  }
  rules::SelectItemCell(page.items, row, 1);
  rules::SetItemLevel(page.items, state, level);
  SaveStateOrFail(state, out);
  return 0;
}

}  // namespace tessaly::cli
