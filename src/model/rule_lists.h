#pragma once
// The rule lists: ordered lists of text rows whose fields are each followed
// by a separator ("|" or "$"). Class-type ranges, score-band conditions,
// balance items, the fuzzy-sound pairs and the headcount conditions.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::model {

// One list of rows; append, insert, replace, erase, clear, count and read by
// position are the vector's own operations.
using RuleList = std::vector<std::string>;

// Index of the first row equal to `row` ignoring the case of Latin letters,
// or -1.
std::int32_t FindRow(const RuleList& list, std::string_view row);

// Fields 1 and 2 of a class-range row, each followed by "|"
// (按学号|101-250-|).
std::string RangeKey(std::string_view range_row);

// True when the score meets the condition text (大于等于 60 且小于 70 ...).
bool ConditionHolds(std::string_view condition, double score);

// The short form of a condition used as a column heading
// (大于等于 60 且小于 70 -> >= 60 且< 70).
std::string CompactCondition(std::string_view condition);

// The number of a level text ("9 级(最高)" -> 9): its first integer.
std::int32_t LevelNumber(std::string_view level_text);

// The parts of a class-range row, read as the engine reads them.
struct RangeRow {
  std::string type;               // field 1: "按学号" or "按名次"
  std::int32_t low = -1;          // first integer of the range start
  std::int32_t high = -1;         // first integer of the range end
  std::int32_t class_count = -1;  // first integer of field 3
  std::string class_ids;          // field 4, each id followed by ","
  std::string remark;             // field 5
};
RangeRow ReadRangeRow(std::string_view row);

// The class numbers of a class-id list ("1,2,3," -> 1, 2, 3): the first
// integer of every comma-terminated item.
std::vector<std::int32_t> ClassIds(std::string_view id_list);

}  // namespace tessaly::model
