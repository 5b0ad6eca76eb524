#pragma once
// The chart of the class averages: per range, how far every class's average
// total and subject averages lie from those of the whole range. The chart
// draws them as groups of bars, one group per class and one bar per measure,
// around a zero line that stands for the range's own averages.

#include <cstdint>
#include <string>
#include <vector>

#include "model/program_state.h"

namespace tessaly::stats {

struct ChartRange {
  std::string title;                    // "按名次:1-187"
  std::vector<std::string> measures;    // "总分", then the subjects
  std::vector<std::int32_t> class_ids;  // the classes of the range row
  // deviation[k][m]: class k's average of measure m minus the range's.
  std::vector<std::vector<double>> deviation;
  double largest = 0;  // the largest deviation in size, 0 when all are 0
};

// The title of a range row or key: its type and its bounds ("按名次:1-187"
// of "按名次|1-187-|...").
std::string RangeTitle(const std::string& range_row);

// The class ids of a range row: those of its id list, up to its class count.
std::vector<std::int32_t> RangeClassIds(const std::string& range_row);

// One entry per range that has students and classes, counted as the
// averages table counts (a total or score of 0 is a missing result).
std::vector<ChartRange> AveragesChart(const model::ProgramState& state);

}  // namespace tessaly::stats
