#pragma once
// The main table of the rules pages: the first slot of ImportedSets marked
// IsMainTable. Its student numbers fill the range boxes, its subjects the
// subject boxes, its headings give the balance items.

#include "model/program_state.h"

namespace tessaly::rules {

// The main table, or null when no slot is marked.
const model::Student_F* MainTable(const model::ProgramState& state);

}  // namespace tessaly::rules
