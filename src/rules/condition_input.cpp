#include "rules/condition_input.h"

#include <unordered_set>

#include "model/number_format.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::rules {

ConditionInput ConditionInput::Initial() {
  ConditionInput input;
  input.lower_op = "大于"_gb;
  input.upper_op = "小于"_gb;
  return input;
}

bool CheckConditionForm(bool range_selected, SubjectChoice choice, const ConditionInput& input,
                        model::UserPort& user) {
  if (!range_selected) {
    user.Warning("请选择学号区间!"_gb);
    return false;
  }
  if (choice == SubjectChoice::kNone) {
    user.Warning("请选择应用科目!"_gb);
    return false;
  }
  if (input.one_key) {
    if (input.series_step.empty() || input.series_start.empty() || input.series_end.empty()) {
      user.Warning("起始、截止、间隔分值都必须输入!"_gb);
      return false;
    }
    if (!(model::FirstNumber(input.series_step) > 0)) {
      user.Warning("间隔分值必须大于0!"_gb);
      return false;
    }
    // A series of millions of bands (start and end far apart, a small step)
    // would exhaust memory and could never be balanced; refuse it.
    const double span =
        model::FirstNumber(input.series_end) - model::FirstNumber(input.series_start);
    if ((span < 0 ? -span : span) / model::FirstNumber(input.series_step) > kMaxSeriesBands) {
      user.Warning("分数段过多（超过 "_gb + std::to_string(kMaxSeriesBands) +
                   " 个），请加大间隔分值或缩小起止范围!"_gb);
      return false;
    }
    return true;
  }
  if (input.lower_op.empty() || input.lower_value.empty() || input.upper_op.empty() ||
      input.upper_value.empty()) {
    user.Warning("起始、截止值您还没有设置！"_gb);
    return false;
  }
  return true;
}

std::vector<std::string> ChosenSubjects(SubjectChoice choice, const std::vector<std::string>& items,
                                        const std::vector<bool>& ticked) {
  std::vector<std::string> subjects;
  switch (choice) {
    case SubjectChoice::kAllSubjects:
      subjects = items;
      break;
    case SubjectChoice::kTotal:
      subjects.push_back("总分"_gb);
      break;
    case SubjectChoice::kSingle:
      for (std::size_t i = 0; i < items.size(); ++i) {
        if (i < ticked.size() && ticked[i]) subjects.push_back(items[i]);
      }
      break;
    case SubjectChoice::kNone:
      break;
  }
  return subjects;
}

std::string TypedCondition(const ConditionInput& input) {
  return input.lower_op + " " + input.lower_value + "且"_gb + input.upper_op + " " +
         input.upper_value;
}

std::vector<std::string> SeriesConditions(double start, double end, double step) {
  std::vector<std::string> out;
  if (!(step > 0)) return out;
  const std::string gt = "大于 "_gb, le = " 且小于等于 "_gb;
  const std::string ge = "大于等于 "_gb, lt = " 且小于 "_gb;
  using model::FormatNumber;
  if (start > end) {
    for (double r = start; r > end; r -= step) {
      const double low = r - step > end ? r - step : end;
      out.push_back(gt + FormatNumber(low) + le + FormatNumber(r));
      if (r - step == r) break;  // a step too small to move a huge value
    }
  } else {
    for (double r = start; r < end; r += step) {
      const double high = r + step >= end ? end : r + step;
      out.push_back(ge + FormatNumber(r) + lt + FormatNumber(high));
      if (r + step == r) break;
    }
  }
  return out;
}

std::vector<std::string> BuildConditions(const ConditionInput& input) {
  if (!input.one_key) return {TypedCondition(input)};
  return SeriesConditions(model::FirstNumber(input.series_start),
                          model::FirstNumber(input.series_end),
                          model::FirstNumber(input.series_step));
}

std::vector<std::string> NewConditionRows(const std::string& range_key,
                                          const std::vector<std::string>& subjects,
                                          const ConditionInput& input, const std::string& tail,
                                          const model::RuleList& list) {
  const std::vector<std::string> conditions = BuildConditions(input);
  // The rows already held (and those added), in the case-blind form of the
  // duplicate test: a one-key series of many bands stays linear.
  std::unordered_set<std::string> held;
  for (const std::string& row : list) held.insert(model::ToUpperLatin(row));
  std::vector<std::string> rows;
  for (const std::string& subject : subjects) {
    const std::string head = range_key + "$" + subject + "$";
    for (const std::string& condition : conditions) {
      std::string row = head + condition + "$" + tail;
      if (held.insert(model::ToUpperLatin(row)).second) rows.push_back(std::move(row));
    }
  }
  return rows;
}

model::Grid ConditionGrid(const model::RuleList& list, const std::vector<std::string>& headings) {
  model::Grid grid;
  grid.rows.assign(list.size() + 1 < 2 ? 2 : list.size() + 1,
                   std::vector<std::string>(headings.size()));
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
  if (top <= 0) {
    user.Warning("您还没有选择要删除的数据行！"_gb);
    return false;
  }
  const std::int32_t count = bottom >= top ? bottom - top + 1 : 1;
  const auto at = static_cast<std::size_t>(top - 1);
  for (std::int32_t i = 0; i < count && at < list.size(); ++i) {
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(at));
  }
  return true;
}

}  // namespace tessaly::rules
