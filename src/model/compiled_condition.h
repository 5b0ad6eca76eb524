#pragma once
// A condition text read once, so that testing many scores against it costs
// two comparisons each instead of re-reading the text. Holds() answers
// exactly what ConditionHolds answers for the same text and score.

#include <string_view>

namespace tessaly::model {

class CompiledCondition {
 public:
  CompiledCondition() = default;
  // Reads the condition text (大于等于 60 且小于 70 ...).
  explicit CompiledCondition(std::string_view condition);

  // True when the score meets the condition.
  bool Holds(double score) const {
    const bool first = PartHolds(first_, score);
    switch (join_) {
      case Join::kAnd:
        return first && PartHolds(second_, score);
      case Join::kOr:
        return first || PartHolds(second_, score);
      case Join::kNone:
        break;
    }
    return first;
  }

 private:
  enum class Op { kGreaterEq, kGreater, kLessEq, kLess };
  enum class Join { kNone, kAnd, kOr };
  struct Part {
    Op op = Op::kLess;
    double bound = 0;
  };
  static bool PartHolds(const Part& p, double x) {
    switch (p.op) {
      case Op::kGreaterEq:
        return x >= p.bound;
      case Op::kGreater:
        return x > p.bound;
      case Op::kLessEq:
        return x <= p.bound;
      case Op::kLess:
        break;
    }
    return x < p.bound;
  }
  static Part ReadPart(std::string_view part);

  Part first_, second_;
  Join join_ = Join::kNone;
};

}  // namespace tessaly::model
