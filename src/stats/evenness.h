#pragma once
// How even a division is: per range, for the average total, every subject
// average and every headcount the teacher balances (each gender, each
// tracked balance value, each band condition of the range), the highest and
// the lowest class value and their difference. The same measures feed the
// deep optimiser, so what it evens out is what the report shows.
//
// Averages are counted as everywhere in the program: a student counts for
// the total when his Total is above 0, a subject score when it is above 0.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/grid.h"
#include "model/program_state.h"

namespace tessaly::stats {

enum class MeasureKind { kTotal, kSubject, kGender, kBalanceValue, kBand };

// A headcount that should be spread evenly over the classes of a range.
struct CountFeature {
  MeasureKind kind = MeasureKind::kGender;
  std::string label;       // "男", "住校:走读", "总分 >= 600 且< 700"
  std::int32_t level = 3;  // the balance level that weighs it
};

// What is measured in one range.
struct RangeMeasures {
  std::string key;                           // RangeKey of the range row
  std::vector<std::int32_t> class_ids;       // the distinct class ids of the row, in order
  std::int32_t total_level = 3;              // ItemLevel("总分")
  std::vector<std::int32_t> subject_levels;  // ItemLevel of every subject heading
  std::vector<CountFeature> features;
  // The features each student of the range set has, in feature order: the
  // ids of student i are feature_ids[feature_start[i] .. feature_start[i + 1]).
  std::vector<std::int32_t> feature_start;
  std::vector<std::int32_t> feature_ids;
};

// The distinct class ids of a range row, at most its class count of them,
// in the row's order.
std::vector<std::int32_t> DistinctClassIds(const std::string& range_row);

// The measures of range r (requires r < RangeSets.size() and
// r < ClassRangeRows.size()). Features: 男 and 女; per balance heading the
// non-empty values held by more than one student of the range; the band
// conditions of the range (BandConditionRows, then CountConditionRows not
// already listed) on the total or on a subject the set has, weighed by
// BandLevel. The class ids are those of field 4, up to the class count.
RangeMeasures MeasuresOf(const model::ProgramState& state, std::size_t r);

// One line of the report: the highest and lowest class value of a measure.
struct SpreadRow {
  MeasureKind kind = MeasureKind::kTotal;
  std::string label;             // "总分", a subject, or the feature's label
  double high = 0, low = 0;      // class averages or headcounts
  std::int32_t high_class = -1;  // the first class holding the high value
  std::int32_t low_class = -1;
  double spread() const { return high - low; }
};

struct RangeEvenness {
  std::string key;
  std::vector<SpreadRow> rows;  // total, subjects, then the features
};

// The report of every range that has a range set and at least one class.
std::vector<RangeEvenness> MeasureEvenness(const model::ProgramState& state);

// The report as a table: per range a title row (type:range 各班均衡情况), a
// heading row (项目, 最高班级, 最高值, 最低班级, 最低值, 差值) and one row per
// measure, averages with three decimals and counts as whole numbers; one
// empty row between ranges; then, when the division breaks some of the
// teacher's groups, an empty row, the title 未满足的分班约束 and one row per
// such group. Empty when RangeSets is empty.
model::Grid EvennessTable(const model::ProgramState& state);

}  // namespace tessaly::stats
