#include "engine/evaluation.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "model/number_format.h"
#include "model/rule_lists.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::engine {
namespace {

bool InClass(const model::student& s, std::int32_t class_number) {
  return class_number < 0 || s.AssignedClass == class_number;
}

// Level of the last BalanceItemRows row of the item, or `fallback`.
double LastItemLevel(const model::ProgramState& state, std::string_view item, double fallback) {
  for (auto it = state.BalanceItemRows.rbegin(); it != state.BalanceItemRows.rend(); ++it) {
    if (model::FieldAt(*it, '|', 1) == item) {
      return model::LevelNumber(model::FieldAt(*it, '|', 2));
    }
  }
  return fallback;
}

}  // namespace

std::string GapText(double diff) {
  std::string text = model::FormatAverage(diff);
  return diff > 0 ? "+" + text : text;
}

bool SummariseClass(const model::Student_F& set, std::int32_t class_number, New_ClassInf& target) {
  if (set.Students.empty()) return false;
  const std::size_t subjects = set.Students.front().Scores.size();
  std::vector<double> sums(subjects, 0.0);
  New_ClassInf out = EmptySummary(class_number, subjects);
  double total = 0;
  for (const model::student& s : set.Students) {
    if (!InClass(s, class_number) || !(s.Total > 0)) continue;
    total += s.Total;
    const std::size_t n = std::min(subjects, s.Scores.size());
    for (std::size_t j = 0; j < n; ++j) {
      if (s.Scores[j] > 0) {
        sums[j] += s.Scores[j];
        ++out.SubjectAverages[j].Counted;
      }
    }
    ++out.CountedStudents;
  }
  if (out.CountedStudents > 0) out.AverageTotal = total / out.CountedStudents;
  for (std::size_t j = 0; j < subjects; ++j) {
    SubjectAverage& e = out.SubjectAverages[j];
    if (e.Counted > 0) e.Average = sums[j] / e.Counted;
  }
  target = std::move(out);
  return true;
}

std::vector<New_ClassInf> SummariseClasses(const model::Student_F& set,
                                           const std::vector<std::int32_t>& class_numbers) {
  std::vector<New_ClassInf> out;
  if (set.Students.empty()) return out;
  const std::size_t subjects = set.Students.front().Scores.size();
  // One accumulator per distinct class number; -1 stands for the whole set.
  struct Sums {
    double total = 0;
    std::int32_t counted = 0;
    std::vector<double> scores;
    std::vector<std::int32_t> counts;
  };
  std::unordered_map<std::int32_t, std::size_t> index;
  std::vector<Sums> sums;
  for (std::int32_t k : class_numbers) {
    const std::int32_t key = k < 0 ? -1 : k;
    if (index.try_emplace(key, sums.size()).second) {
      sums.push_back(
          {0, 0, std::vector<double>(subjects, 0.0), std::vector<std::int32_t>(subjects, 0)});
    }
  }
  auto whole = index.find(-1);
  auto add = [&](Sums& a, const model::student& s) {
    a.total += s.Total;
    const std::size_t n = std::min(subjects, s.Scores.size());
    for (std::size_t j = 0; j < n; ++j) {
      if (s.Scores[j] > 0) {
        a.scores[j] += s.Scores[j];
        ++a.counts[j];
      }
    }
    ++a.counted;
  };
  for (const model::student& s : set.Students) {
    if (!(s.Total > 0)) continue;
    if (whole != index.end()) add(sums[whole->second], s);
    if (s.AssignedClass < 0) continue;
    auto it = index.find(s.AssignedClass);
    if (it != index.end()) add(sums[it->second], s);
  }
  out.reserve(class_numbers.size());
  for (std::int32_t k : class_numbers) {
    const Sums& a = sums[index.at(k < 0 ? -1 : k)];
    New_ClassInf c = EmptySummary(k, subjects);
    c.CountedStudents = a.counted;
    if (a.counted > 0) c.AverageTotal = a.total / a.counted;
    for (std::size_t j = 0; j < subjects; ++j) {
      c.SubjectAverages[j].Counted = a.counts[j];
      if (a.counts[j] > 0) c.SubjectAverages[j].Average = a.scores[j] / a.counts[j];
    }
    out.push_back(std::move(c));
  }
  return out;
}

New_ClassInf EmptySummary(std::int32_t class_id, std::size_t subjects) {
  New_ClassInf s;
  s.ClassId = class_id;
  s.SubjectAverages.assign(subjects, SubjectAverage{});
  return s;
}

void AddToSummary(New_ClassInf& summary, const model::student& s) {
  if (!(s.Total > 0)) return;
  const double n = summary.CountedStudents;
  summary.AverageTotal = (n * summary.AverageTotal + s.Total) / (n + 1);
  ++summary.CountedStudents;
  const std::size_t subjects = std::min(summary.SubjectAverages.size(), s.Scores.size());
  for (std::size_t j = 0; j < subjects; ++j) {
    if (!(s.Scores[j] > 0)) continue;
    SubjectAverage& e = summary.SubjectAverages[j];
    const double c = e.Counted;
    e.Average = (c * e.Average + s.Scores[j]) / (c + 1);
    ++e.Counted;
  }
}

GapWeights MakeGapWeights(const model::ProgramState& state, bool weighted) {
  static const std::string kTotal = "总分"_gb;
  GapWeights w;
  if (!weighted) return w;
  w.total = LastItemLevel(state, kTotal, 1);
  if (!state.RangeSets.empty()) {
    for (const std::string& name : state.RangeSets.front().Headings.SubjectHeadings) {
      w.subjects.push_back(LastItemLevel(state, name, 1));
    }
  }
  return w;
}

double AverageGap(const New_ClassInf& ref, const New_ClassInf& cls, const GapWeights& weights) {
  double gap = std::fabs(cls.AverageTotal - ref.AverageTotal) * weights.total;
  const std::size_t subjects = std::min(ref.SubjectAverages.size(), cls.SubjectAverages.size());
  for (std::size_t j = 0; j < subjects; ++j) {
    const double wj = j < weights.subjects.size() ? weights.subjects[j] : 1.0;
    gap += std::fabs(cls.SubjectAverages[j].Average - ref.SubjectAverages[j].Average) * wj;
  }
  return gap;
}

double AverageGap(const New_ClassInf& ref, const New_ClassInf& cls, bool weighted,
                  const model::ProgramState& state) {
  return AverageGap(ref, cls, MakeGapWeights(state, weighted));
}

double AverageGapWithStudent(const New_ClassInf& ref, const New_ClassInf& cls,
                             const model::student& s, const GapWeights& weights) {
  const bool counts = s.Total > 0;
  double total = cls.AverageTotal;
  if (counts) {
    const double n = cls.CountedStudents;
    total = (n * cls.AverageTotal + s.Total) / (n + 1);
  }
  double gap = std::fabs(total - ref.AverageTotal) * weights.total;
  const std::size_t subjects = std::min(ref.SubjectAverages.size(), cls.SubjectAverages.size());
  for (std::size_t j = 0; j < subjects; ++j) {
    const SubjectAverage& e = cls.SubjectAverages[j];
    double average = e.Average;
    if (counts && j < s.Scores.size() && s.Scores[j] > 0) {
      const double c = e.Counted;
      average = (c * e.Average + s.Scores[j]) / (c + 1);
    }
    const double wj = j < weights.subjects.size() ? weights.subjects[j] : 1.0;
    gap += std::fabs(average - ref.SubjectAverages[j].Average) * wj;
  }
  return gap;
}

std::optional<double> ScoreDivision(const model::ProgramState& state) {
  if (state.RangeSets.empty()) return std::nullopt;
  const GapWeights plain;
  double S = 0;
  std::int32_t C = 0;
  const std::size_t ranges = std::min(state.ClassRangeRows.size(), state.RangeSets.size());
  for (std::size_t r = 0; r < ranges; ++r) {
    const model::Student_F& set = state.RangeSets[r];
    const std::string ids = model::FieldAt(state.ClassRangeRows[r], '|', 4);
    const std::int32_t count = model::CountChar(ids, ',');
    C += count;
    // A range without students adds a gap of 0 for each of its classes.
    std::vector<std::int32_t> numbers = model::ClassIds(ids);
    numbers.insert(numbers.begin(), -1);
    const std::vector<New_ClassInf> summaries = SummariseClasses(set, numbers);
    for (std::size_t i = 1; i < summaries.size(); ++i) {
      S += AverageGap(summaries[0], summaries[i], plain);
    }
  }
  // Without any class the score has no meaning (it would divide by zero).
  if (C == 0) return std::nullopt;
  const double n = static_cast<double>(state.RangeSets.front().Headings.SubjectHeadings.size());
  return 100 - S / ((n + 1) * 0.5 * C) * 2;
}

std::string ScoreCaption(double score) {
  static const std::string kCaption = "分班结果评分："_gb;
  return kCaption + model::FormatNumber(score);
}

model::Grid ShowAverages(const model::ProgramState& state) {
  static const std::string kHeading = "年级或班级(平均分)"_gb, kTotal = "总分"_gb,
                           kRangeSuffix = " 该段整体平均分"_gb,
                           kGapHeading = "均差值(即:年级与班级平均分之差)"_gb, kClass = " 班"_gb;
  model::Grid grid;
  if (state.RangeSets.empty()) return grid;
  const auto& subjects = state.RangeSets.front().Headings.SubjectHeadings;
  const std::size_t n = subjects.size();
  auto heading_row = [&](std::size_t row, const std::string& label) {
    grid.At(row, 0) = label;
    for (std::size_t j = 0; j < n; ++j) grid.At(row, j + 1) = subjects[j];
    grid.At(row, n + 1) = kTotal;
  };
  auto value_row = [&](std::size_t row, const New_ClassInf& s, const New_ClassInf* minus) {
    for (std::size_t j = 0; j < n; ++j) {
      if (j >= s.SubjectAverages.size()) {
        grid.At(row, j + 1) = "";
        continue;
      }
      const double v = s.SubjectAverages[j].Average;
      grid.At(row, j + 1) = minus == nullptr ? model::FormatAverage(v)
                            : j < minus->SubjectAverages.size()
                                ? GapText(v - minus->SubjectAverages[j].Average)
                                : "";
    }
    grid.At(row, n + 1) = minus == nullptr ? model::FormatAverage(s.AverageTotal)
                                           : GapText(s.AverageTotal - minus->AverageTotal);
  };

  std::size_t row = 0;
  const std::size_t ranges = std::min(state.ClassRangeRows.size(), state.RangeSets.size());
  for (std::size_t r = 0; r < ranges; ++r) {
    const std::string& range_row = state.ClassRangeRows[r];
    const model::Student_F& set = state.RangeSets[r];
    const std::size_t set_subjects = set.Students.empty() ? n : set.Students.front().Scores.size();
    if (r > 0) row += 2;
    heading_row(row, kHeading);
    ++row;
    const std::string ids = model::FieldAt(range_row, '|', 4);
    std::vector<std::int32_t> numbers = model::ClassIds(ids);
    numbers.insert(numbers.begin(), -1);
    std::vector<New_ClassInf> summaries = SummariseClasses(set, numbers);
    if (summaries.empty()) {
      for (std::int32_t k : numbers) summaries.push_back(EmptySummary(k, set_subjects));
    }
    const New_ClassInf& whole = summaries[0];
    grid.At(row, 0) =
        model::FieldAt(range_row, '|', 1) + ":" + model::FieldAt(range_row, '|', 2) + kRangeSuffix;
    value_row(row, whole, nullptr);
    const std::vector<New_ClassInf> classes(summaries.begin() + 1, summaries.end());
    std::vector<std::string> labels;
    for (std::size_t i = 1; i < numbers.size(); ++i)
      labels.push_back(std::to_string(numbers[i]) + kClass);
    for (std::size_t i = 0; i < classes.size(); ++i) {
      ++row;
      grid.At(row, 0) = labels[i];
      value_row(row, classes[i], nullptr);
    }
    ++row;
    heading_row(row, kGapHeading);
    for (std::size_t i = 0; i < classes.size(); ++i) {
      ++row;
      grid.At(row, 0) = labels[i];
      value_row(row, classes[i], &whole);
    }
  }
  return grid;
}

std::int32_t CountGender(const model::Student_F& set, std::string_view gender,
                         std::int32_t class_number) {
  std::int32_t n = 0;
  for (const model::student& s : set.Students) {
    if (InClass(s, class_number) && s.Gender == gender) ++n;
  }
  return n;
}

std::int32_t CountBalanceValue(const model::Student_F& set, std::string_view heading,
                               std::string_view value, std::int32_t class_number) {
  const auto& h = set.Headings.BalanceHeadings;
  auto it = std::find(h.begin(), h.end(), heading);
  if (it == h.end()) return 0;
  const std::size_t b = static_cast<std::size_t>(it - h.begin());
  std::int32_t n = 0;
  for (const model::student& s : set.Students) {
    if (InClass(s, class_number) && b < s.BalanceValues.size() && s.BalanceValues[b] == value) ++n;
  }
  return n;
}

std::int32_t CountInBand(const model::Student_F& set, std::string_view subject,
                         std::int32_t class_number, std::string_view condition) {
  static const std::string kTotal = "总分"_gb;
  const bool total = subject == kTotal;
  std::size_t a = 0;
  if (!total) {
    const auto& h = set.Headings.SubjectHeadings;
    auto it = std::find(h.begin(), h.end(), subject);
    if (it == h.end()) return 0;
    a = static_cast<std::size_t>(it - h.begin());
  }
  std::int32_t n = 0;
  for (const model::student& s : set.Students) {
    if (!InClass(s, class_number)) continue;
    if (total) {
      if (model::ConditionHolds(condition, s.Total)) ++n;
    } else if (a < s.Scores.size() && model::ConditionHolds(condition, s.Scores[a])) {
      ++n;
    }
  }
  return n;
}

}  // namespace tessaly::engine
