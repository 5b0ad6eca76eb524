#include "model/rule_lists.h"

#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::model {

std::int32_t FindRow(const RuleList& list, std::string_view row) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (EqualsIgnoreCase(list[i], row)) return static_cast<std::int32_t>(i);
  }
  return -1;
}

std::string RangeKey(std::string_view range_row) {
  return FieldAt(range_row, '|', 1) + "|" + FieldAt(range_row, '|', 2) + "|";
}

bool ConditionHolds(std::string_view condition, double score) {
  static const std::string kAnd = "且"_gb, kOr = "或"_gb, kGreaterEq = "大于等于"_gb,
                           kGreater = "大于"_gb, kLessEq = "小于等于"_gb;
  std::string t = ReplaceAll(ReplaceAll(condition, kAnd, "|"), kOr, "|") + "|";
  auto part_holds = [&](const std::string& part) {
    double bound = FirstNumber(part);
    if (ContainsText(part, kGreaterEq)) return score >= bound;
    if (ContainsText(part, kGreater)) return score > bound;
    if (ContainsText(part, kLessEq)) return score <= bound;
    return score < bound;
  };
  bool first = part_holds(FieldAt(t, '|', 1));
  if (ContainsText(condition, kAnd)) return first && part_holds(FieldAt(t, '|', 2));
  if (ContainsText(condition, kOr)) return first || part_holds(FieldAt(t, '|', 2));
  return first;
}

std::string CompactCondition(std::string_view condition) {
  static const std::string kGreater = "大于"_gb, kEqual = "等于"_gb, kLess = "小于"_gb;
  return ReplaceAll(ReplaceAll(ReplaceAll(condition, kGreater, ">"), kEqual, "="), kLess, "<");
}

std::int32_t LevelNumber(std::string_view level_text) {
  return FirstInteger(level_text);
}

RangeRow ReadRangeRow(std::string_view row) {
  RangeRow r;
  r.type = FieldAt(row, '|', 1);
  std::string range = FieldAt(row, '|', 2);
  r.low = FirstInteger(FieldAt(range, '-', 1));
  r.high = FirstInteger(FieldAt(range, '-', 2));
  r.class_count = FirstInteger(FieldAt(row, '|', 3));
  r.class_ids = FieldAt(row, '|', 4);
  r.remark = FieldAt(row, '|', 5);
  return r;
}

std::vector<std::int32_t> ClassIds(std::string_view id_list) {
  std::vector<std::int32_t> ids;
  std::int32_t n = CountChar(id_list, ',');
  for (std::int32_t i = 1; i <= n; ++i) ids.push_back(FirstInteger(FieldAt(id_list, ',', i)));
  return ids;
}

}  // namespace tessaly::model
