#pragma once
// The two steps that start every division: combining the imported tables by
// weight into slot 0 of ImportedSets, and cutting slot 0 into one working set
// per class-type range (RangeSets).

#include "model/program_state.h"
#include "model/records.h"

namespace tessaly::engine {

// Copies every field of `source` except Students into `target`.
void CopyHeader(const model::Student_F& source, model::Student_F& target);

// In combine mode, rebuilds slot 0 of ImportedSets from the main table (the
// first slot from 1 on marked IsMainTable): the main table's students with
// every subject score the weighted sum of that student's scores in all tables
// (matched by student number; a table without the student or without the
// subject adds nothing), then ranks slot 0. Does nothing in single-table mode.
// Returns false, changing nothing, when combine mode has no main table.
bool CombineScores(model::ProgramState& state);

// Runs CombineScores, ranks slot 0 and rebuilds RangeSets: one set per row of
// ClassRangeRows, holding copies of the slot-0 students of that range (a
// listed preset class, or no preset class and a number / rank inside the
// range; a student goes to the first row that takes it), in descending order
// of Total read back from its 15-digit text, equal totals in slot-0 order,
// every copy unplaced (AssignedClass -1).
// Returns false, changing nothing, when nothing is imported or combine mode
// has no main table.
bool BuildRangeSets(model::ProgramState& state);

}  // namespace tessaly::engine
