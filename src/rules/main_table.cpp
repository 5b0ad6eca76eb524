#include "rules/main_table.h"

namespace tessaly::rules {

const model::Student_F* MainTable(const model::ProgramState& state) {
  for (const model::Student_F& set : state.ImportedSets) {
    if (set.IsMainTable) return &set;
  }
  return nullptr;
}

}  // namespace tessaly::rules
