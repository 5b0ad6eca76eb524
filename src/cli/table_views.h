#pragma once
// The views that `tessaly-cli table FILE.fb [VIEW]` can print. Each view
// builds a grid from the program state read from the file.

#include <string>
#include <vector>

#include "cli/cli.h"
#include "model/grid.h"
#include "model/program_state.h"

namespace tessaly::cli {

struct TableView {
  const char* name;     // the VIEW argument
  const char* summary;  // one line for --help
  // Builds the grid; may read further options from `args`; throws
  // UsageError for bad options.
  model::Grid (*build)(const model::ProgramState& state, Args& args);
  // A view of several tables one after the other: their table text, in
  // place of `build`.
  std::string (*text)(const model::ProgramState& state, Args& args) = nullptr;
};

// samenames: the same-name table of the range sets (view_samenames.cpp).
model::Grid SameNamesView(const model::ProgramState& state, Args& args);
// The averages table and the class roster (view_division.cpp).
model::Grid AveragesView(const model::ProgramState& state, Args& args);
model::Grid RosterView(const model::ProgramState& state, Args& args);
// The headcount statistics table (view_counts.cpp).
model::Grid CountsView(const model::ProgramState& state, Args& args);

// all: the all-data text of the division page (view_all.cpp).
std::string AllDataView(const model::ProgramState& state, Args& args);

// evenness: the balance report of every range (view_evenness.cpp).
model::Grid EvennessView(const model::ProgramState& state, Args& args);

// Every view but the default score-table view, in --help order.
const std::vector<TableView>& AllTableViews();

}  // namespace tessaly::cli
