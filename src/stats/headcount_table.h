#pragma once
// The headcount statistics table ("开始统计"): for every range that has a
// range set, four blocks one under the other (gender, rank bands, one per
// balance column, one per condition subject), two empty rows between
// ranges.

#include "model/grid.h"
#include "model/program_state.h"

namespace tessaly::stats {

// Column 0 of the statistics table is this many pixels wide.
inline constexpr int kStatisticsLabelWidth = 200;

// The statistics table of the current placement. Re-ranks the students of
// every range set within their set (the rank bands count those ranks).
// Ranges beyond the range sets (no division yet, or ranges changed since)
// are left out; an empty ClassRangeRows gives an empty table.
model::Grid HeadcountStatistics(model::ProgramState& state);

}  // namespace tessaly::stats
