// tessaly-cli table: the score-table view of one slot of a division file, or
// one of the result views, as table text.

#include <cstdio>
#include <string>

#include "cli/cli_files.h"
#include "cli/commands.h"
#include "cli/table_views.h"
#include "io/table_text.h"
#include "model/show_table.h"

namespace tessaly::cli {
namespace {

std::string ViewNames() {
  std::string names;
  for (const TableView& v : AllTableViews())
    names += std::string(names.empty() ? "" : ", ") + v.name;
  return names.empty() ? "none" : names;
}

}  // namespace

int RunTable(Args& args) {
  const auto slot_text = args.Option("--slot");
  const auto file = args.TakeLeadingWord();
  if (!file) throw UsageError{"give a division file"};
  const auto view_name = args.TakeLeadingWord();

  const TableView* view = nullptr;
  if (view_name) {
    for (const TableView& v : AllTableViews()) {
      if (*view_name == v.name) view = &v;
    }
    if (view == nullptr) {
      throw UsageError{"unknown view '" + *view_name + "' (views: " + ViewNames() + ")"};
    }
    if (slot_text) throw UsageError{"--slot goes with the score-table view only"};
  }
  const int slot = slot_text ? ParseIntArg("--slot", *slot_text) : 0;

  const model::ProgramState state = LoadStateOrFail(*file);
  model::Grid grid;
  if (view != nullptr && view->text != nullptr) {
    std::string text = view->text(state, args);
    if (!args.Positional().empty()) throw UsageError{"unexpected argument " + args.Positional()[0]};
    PrintUtf8(stdout, text);
    return 0;
  }
  if (view != nullptr) {
    grid = view->build(state, args);
  } else {
    if (slot < 0 || static_cast<std::size_t>(slot) >= state.ImportedSets.size()) {
      throw CommandFailed("the file has no slot " + std::to_string(slot) +
                          " (slots: " + std::to_string(state.ImportedSets.size()) + ")");
    }
    grid = model::ShowTable(state.ImportedSets[slot], true);
  }
  if (!args.Positional().empty()) throw UsageError{"unexpected argument " + args.Positional()[0]};
  PrintUtf8(stdout, io::TableText(grid));
  return 0;
}

}  // namespace tessaly::cli
