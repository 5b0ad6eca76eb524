// The "evenness" view of `tessaly-cli table`: per range the highest and lowest
// class value of every balanced measure and their difference.

#include "cli/table_views.h"
#include "stats/evenness.h"

namespace tessaly::cli {

model::Grid EvennessView(const model::ProgramState& state, Args& args) {
  (void)args;
  return stats::EvennessTable(state);
}

}  // namespace tessaly::cli
