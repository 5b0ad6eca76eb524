// The "samenames" view of `tessaly-cli table`: the same-name table of the
// range sets of a division file.

#include "cli/table_views.h"
#include "engine/names/same_names.h"

namespace tessaly::cli {

model::Grid SameNamesView(const model::ProgramState& state, Args& args) {
  (void)args;
  return engine::ShowSameNames(state);
}

}  // namespace tessaly::cli
