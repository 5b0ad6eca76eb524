#include "model/compiled_condition.h"

#include <string>

#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::model {

CompiledCondition::Part CompiledCondition::ReadPart(std::string_view part) {
  static const std::string kGreaterEq = "大于等于"_gb, kGreater = "大于"_gb,
                           kLessEq = "小于等于"_gb;
  Part p;
  p.bound = FirstNumber(part);
  // The same order of tests as the condition test: "大于等于" before "大于".
  if (ContainsText(part, kGreaterEq)) {
    p.op = Op::kGreaterEq;
  } else if (ContainsText(part, kGreater)) {
    p.op = Op::kGreater;
  } else if (ContainsText(part, kLessEq)) {
    p.op = Op::kLessEq;
  } else {
    p.op = Op::kLess;
  }
  return p;
}

CompiledCondition::CompiledCondition(std::string_view condition) {
  static const std::string kAnd = "且"_gb, kOr = "或"_gb;
  const std::string t = ReplaceAll(ReplaceAll(condition, kAnd, "|"), kOr, "|") + "|";
  first_ = ReadPart(FieldAt(t, '|', 1));
  second_ = ReadPart(FieldAt(t, '|', 2));
  if (ContainsText(condition, kAnd)) {
    join_ = Join::kAnd;
  } else if (ContainsText(condition, kOr)) {
    join_ = Join::kOr;
  }
}

}  // namespace tessaly::model
