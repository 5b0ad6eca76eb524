#include "stats/count_conditions.h"

#include <cmath>
#include <unordered_set>

#include "model/number_format.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::stats {

bool ValueKeyAccepted(char key) {
  return (key >= '0' && key <= '9') || key == 8;
}

bool CheckConditionInputs(const ConditionInputs& in, model::UserPort& user) {
  static const std::string kNoRange = "请选择学号区间!"_gb, kNoSubject = "请选择应用科目!"_gb,
                           kSeriesEmpty = "起始、截止、间隔分值都必须输入!"_gb,
                           kIntervalZero = "间隔分值必须大于0!"_gb,
                           kBoundsEmpty = "起始、截止值您还没有设置！"_gb;
  if (!in.range) {
    user.Warning(kNoRange);
    return false;
  }
  if (in.choice == SubjectChoice::kNone) {
    user.Warning(kNoSubject);
    return false;
  }
  if (in.one_key) {
    if (in.interval.empty() || in.start_value.empty() || in.end_value.empty()) {
      user.Warning(kSeriesEmpty);
      return false;
    }
    if (!(model::FirstNumber(in.interval) > 0)) {
      user.Warning(kIntervalZero);
      return false;
    }
    return true;
  }
  if (in.lower_op.empty() || in.lower_value.empty() || in.upper_op.empty() ||
      in.upper_value.empty()) {
    user.Warning(kBoundsEmpty);
    return false;
  }
  return true;
}

std::vector<std::string> ChosenSubjects(const ConditionInputs& in) {
  static const std::string kTotal = "总分"_gb;
  std::vector<std::string> out;
  switch (in.choice) {
    case SubjectChoice::kAllSubjects:
      out = in.subjects;
      break;
    case SubjectChoice::kTotal:
      out.push_back(kTotal);
      break;
    case SubjectChoice::kTicked:
      for (std::size_t i = 0; i < in.subjects.size(); ++i) {
        if (i < in.ticked.size() && in.ticked[i]) out.push_back(in.subjects[i]);
      }
      break;
    case SubjectChoice::kNone:
      break;
  }
  return out;
}

namespace {

// Walks the one-key series, calling `band` with each condition text; stops
// (false) after `limit` bands or when a step leaves the bound where it was.
template <typename Band>
bool WalkSeries(const ConditionInputs& in, std::size_t limit, Band band) {
  static const std::string kGreater = "大于 "_gb, kAndLessEq = " 且小于等于 "_gb,
                           kGreaterEq = "大于等于 "_gb, kAndLess = " 且小于 "_gb;
  const double p = model::FirstNumber(in.interval);
  const double a = model::FirstNumber(in.start_value);
  const double z = model::FirstNumber(in.end_value);
  if (!(p > 0)) return true;
  std::size_t n = 0;
  using model::FormatNumber;
  if (a > z) {
    for (double r = a; r > z; r -= p) {
      if (++n > limit || r - p == r) return false;
      const double low = r - p > z ? r - p : z;
      band(kGreater + FormatNumber(low) + kAndLessEq + FormatNumber(r));
    }
  } else {
    for (double r = a; r < z; r += p) {
      if (++n > limit || r + p == r) return false;
      const double high = r + p >= z ? z : r + p;
      band(kGreaterEq + FormatNumber(r) + kAndLess + FormatNumber(high));
    }
  }
  return true;
}

}  // namespace

bool SeriesTooLong(const ConditionInputs& in) {
  return in.one_key && !WalkSeries(in, kMaxSeriesBands, [](const std::string&) {});
}

std::vector<std::string> ConditionTexts(const ConditionInputs& in) {
  std::vector<std::string> out;
  if (!in.one_key) {
    out.push_back(in.lower_op + " " + in.lower_value + "且"_gb + in.upper_op + " " +
                  in.upper_value);
    return out;
  }
  if (!WalkSeries(in, kMaxSeriesBands, [&](std::string c) { out.push_back(std::move(c)); })) {
    out.clear();
  }
  return out;
}

std::vector<std::string> NewConditionRows(const ConditionInputs& in, const model::RuleList& list,
                                          model::UserPort& user) {
  static const std::string kTooMany = "分数段太多，请加大间隔分值！"_gb;
  std::vector<std::string> rows;
  if (!CheckConditionInputs(in, user)) return rows;
  if (SeriesTooLong(in)) {
    user.Warning(kTooMany);
    return rows;
  }
  const std::vector<std::string> conditions = ConditionTexts(in);
  // The rows already held, in the case-blind form of the duplicate test.
  std::unordered_set<std::string> held;
  for (const std::string& row : list) held.insert(model::ToUpperLatin(row));
  for (const std::string& subject : ChosenSubjects(in)) {
    const std::string head = *in.range + "$" + subject + "$";
    for (const std::string& c : conditions) {
      std::string row = head + c + "$";
      if (held.insert(model::ToUpperLatin(row)).second) rows.push_back(std::move(row));
    }
  }
  return rows;
}

model::Grid ConditionGrid(const model::RuleList& list, const std::vector<std::string>& headings) {
  model::Grid grid;
  const std::size_t rows = list.size() + 1 < 2 ? 2 : list.size() + 1;
  grid.rows.assign(rows, std::vector<std::string>(headings.size()));
  grid.rows[0] = headings;
  for (std::size_t j = 0; j < list.size(); ++j) {
    for (std::size_t f = 0; f < headings.size(); ++f) {
      grid.rows[j + 1][f] = model::FieldAt(list[j], '$', static_cast<std::int32_t>(f + 1));
    }
  }
  return grid;
}

bool DeleteConditionRows(model::RuleList& list, std::int32_t top, std::int32_t bottom,
                         model::UserPort& user) {
  static const std::string kNoRow = "您还没有选择要删除的数据行！"_gb;
  if (top <= 0) {
    user.Warning(kNoRow);
    return false;
  }
  const auto at = static_cast<std::size_t>(top - 1);
  for (std::int32_t i = top; i <= bottom && at < list.size(); ++i) {
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(at));
  }
  return true;
}

}  // namespace tessaly::stats
