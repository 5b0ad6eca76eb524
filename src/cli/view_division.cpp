// The "averages" and "roster" views of `tessaly-cli table`: the averages
// table and the class roster of the range sets of a division file.

#include "cli/table_views.h"
#include "engine/evaluation.h"
#include "engine/roster.h"

namespace tessaly::cli {

model::Grid AveragesView(const model::ProgramState& state, Args& args) {
  (void)args;
  return engine::ShowAverages(state);
}

model::Grid RosterView(const model::ProgramState& state, Args& args) {
  const auto cls = args.Option("--class");
  if (!cls) return engine::ClassRoster(state, std::nullopt);
  return engine::ClassRoster(state, ParseIntArg("--class", *cls));
}

}  // namespace tessaly::cli
