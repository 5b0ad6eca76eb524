#include "stats/evenness.h"

#include <algorithm>
#include <unordered_map>

#include "engine/evaluation.h"
#include "engine/group_guard.h"
#include "engine/statistics.h"
#include "model/compiled_condition.h"
#include "model/number_format.h"
#include "model/rule_lists.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::stats {
namespace {

// A band feature under construction: which score it reads and its condition.
struct BandSpec {
  std::string subject;
  std::string condition;
  std::int32_t column = -1;  // subject column; -1 for the total
  model::CompiledCondition holds;
};

}  // namespace

std::vector<std::int32_t> DistinctClassIds(const std::string& range_row) {
  const model::RangeRow rr = model::ReadRangeRow(range_row);
  std::vector<std::int32_t> out;
  std::int32_t taken = 0;
  for (std::int32_t id : model::ClassIds(rr.class_ids)) {
    if (taken++ >= rr.class_count) break;
    if (std::find(out.begin(), out.end(), id) == out.end()) out.push_back(id);
  }
  return out;
}

RangeMeasures MeasuresOf(const model::ProgramState& state, std::size_t r) {
  static const std::string kBoy = "男"_gb, kGirl = "女"_gb, kTotal = "总分"_gb;
  const model::Student_F& set = state.RangeSets[r];
  const auto& subjects = set.Headings.SubjectHeadings;
  const auto& balance = set.Headings.BalanceHeadings;
  RangeMeasures m;
  m.key = model::RangeKey(state.ClassRangeRows[r]);
  m.class_ids = DistinctClassIds(state.ClassRangeRows[r]);
  m.total_level = engine::ItemLevel(state, kTotal);
  const std::size_t score_count = set.Students.empty() ? 0 : set.Students.front().Scores.size();
  for (std::size_t j = 0; j < score_count; ++j) {
    m.subject_levels.push_back(j < subjects.size() ? engine::ItemLevel(state, subjects[j]) : 1);
  }

  // Genders.
  const std::int32_t gender_level = engine::ItemLevel(state, "性别"_gb);
  m.features.push_back({MeasureKind::kGender, kBoy, gender_level});
  m.features.push_back({MeasureKind::kGender, kGirl, gender_level});

  // Balance values held by more than one student, per column in order of
  // first occurrence.
  std::vector<std::unordered_map<std::string, std::int32_t>> value_ids(balance.size());
  for (std::size_t b = 0; b < balance.size(); ++b) {
    std::vector<std::string> order;
    std::unordered_map<std::string, std::int32_t> counts;
    for (const model::student& s : set.Students) {
      if (b >= s.BalanceValues.size() || s.BalanceValues[b].empty()) continue;
      if (counts[s.BalanceValues[b]]++ == 0) order.push_back(s.BalanceValues[b]);
    }
    const std::int32_t level = engine::ItemLevel(state, balance[b]);
    for (const std::string& v : order) {
      if (counts[v] <= 1) continue;
      value_ids[b].emplace(v, static_cast<std::int32_t>(m.features.size()));
      m.features.push_back({MeasureKind::kBalanceValue, balance[b] + ":" + v, level});
    }
  }

  // Band conditions of this range, each (subject, condition) once.
  std::vector<BandSpec> bands;
  auto add_band = [&](const std::string& subject, const std::string& condition) {
    for (const BandSpec& b : bands) {
      if (b.subject == subject && b.condition == condition) return;
    }
    BandSpec spec{subject, condition, -1, model::CompiledCondition(condition)};
    if (subject != kTotal) {
      const auto it = std::find(subjects.begin(), subjects.end(), subject);
      if (it == subjects.end()) return;  // a subject the set does not have counts nobody
      spec.column = static_cast<std::int32_t>(it - subjects.begin());
    }
    bands.push_back(spec);
    m.features.push_back({MeasureKind::kBand, subject + " " + model::CompactCondition(condition),
                          engine::BandLevel(state, m.key, subject, condition)});
  };
  for (const auto* list : {&state.BandConditionRows, &state.CountConditionRows}) {
    for (const std::string& row : *list) {
      if (model::FieldAt(row, '$', 1) != m.key) continue;
      add_band(model::FieldAt(row, '$', 2), model::FieldAt(row, '$', 3));
    }
  }
  const std::int32_t first_band = static_cast<std::int32_t>(m.features.size() - bands.size());

  // The features of every student.
  m.feature_start.reserve(set.Students.size() + 1);
  for (const model::student& s : set.Students) {
    m.feature_start.push_back(static_cast<std::int32_t>(m.feature_ids.size()));
    if (s.Gender == kBoy) m.feature_ids.push_back(0);
    if (s.Gender == kGirl) m.feature_ids.push_back(1);
    for (std::size_t b = 0; b < balance.size(); ++b) {
      if (b >= s.BalanceValues.size()) continue;
      const auto it = value_ids[b].find(s.BalanceValues[b]);
      if (it != value_ids[b].end()) m.feature_ids.push_back(it->second);
    }
    for (std::size_t i = 0; i < bands.size(); ++i) {
      const BandSpec& b = bands[i];
      if (b.column >= 0 && static_cast<std::size_t>(b.column) >= s.Scores.size()) continue;
      const double score = b.column < 0 ? s.Total : s.Scores[b.column];
      if (b.holds.Holds(score)) {
        m.feature_ids.push_back(first_band + static_cast<std::int32_t>(i));
      }
    }
  }
  m.feature_start.push_back(static_cast<std::int32_t>(m.feature_ids.size()));
  return m;
}

std::vector<RangeEvenness> MeasureEvenness(const model::ProgramState& state) {
  static const std::string kTotal = "总分"_gb;
  std::vector<RangeEvenness> out;
  const std::size_t ranges = std::min(state.RangeSets.size(), state.ClassRangeRows.size());
  for (std::size_t r = 0; r < ranges; ++r) {
    const model::Student_F& set = state.RangeSets[r];
    const RangeMeasures m = MeasuresOf(state, r);
    if (m.class_ids.empty() || set.Students.empty()) continue;
    const std::vector<engine::New_ClassInf> classes = engine::SummariseClasses(set, m.class_ids);
    const std::size_t c = m.class_ids.size();
    std::unordered_map<std::int32_t, std::size_t> position;
    for (std::size_t k = 0; k < c; ++k) position.emplace(m.class_ids[k], k);
    std::vector<std::int32_t> counts(c * m.features.size(), 0);
    for (std::size_t i = 0; i < set.Students.size(); ++i) {
      const auto it = position.find(set.Students[i].AssignedClass);
      if (it == position.end()) continue;
      for (std::int32_t f = m.feature_start[i]; f < m.feature_start[i + 1]; ++f) {
        ++counts[it->second * m.features.size() + m.feature_ids[f]];
      }
    }

    RangeEvenness range;
    range.key = m.key;
    // The spread of one measure: value(k) of every class position k.
    auto add_row = [&](MeasureKind kind, const std::string& label, auto value) {
      SpreadRow row{kind, label, value(0), value(0), m.class_ids[0], m.class_ids[0]};
      for (std::size_t k = 1; k < c; ++k) {
        const double v = value(k);
        if (v > row.high) row.high = v, row.high_class = m.class_ids[k];
        if (v < row.low) row.low = v, row.low_class = m.class_ids[k];
      }
      range.rows.push_back(row);
    };
    add_row(MeasureKind::kTotal, kTotal, [&](std::size_t k) { return classes[k].AverageTotal; });
    const auto& subjects = set.Headings.SubjectHeadings;
    for (std::size_t j = 0; j < m.subject_levels.size(); ++j) {
      add_row(MeasureKind::kSubject, j < subjects.size() ? subjects[j] : std::string(),
              [&](std::size_t k) { return classes[k].SubjectAverages[j].Average; });
    }
    for (std::size_t f = 0; f < m.features.size(); ++f) {
      add_row(m.features[f].kind, m.features[f].label, [&](std::size_t k) {
        return static_cast<double>(counts[k * m.features.size() + f]);
      });
    }
    out.push_back(std::move(range));
  }
  return out;
}

model::Grid EvennessTable(const model::ProgramState& state) {
  model::Grid grid;
  std::size_t row = 0;
  for (const RangeEvenness& range : MeasureEvenness(state)) {
    if (row > 0) ++row;  // one empty row between ranges
    grid.At(row, 0) = model::FieldAt(range.key, '|', 1) + ":" + model::FieldAt(range.key, '|', 2) +
                      " 各班均衡情况"_gb;
    ++row;
    const char* headings[] = {"项目", "最高班级", "最高值", "最低班级", "最低值", "差值"};
    for (std::size_t col = 0; col < 6; ++col) grid.At(row, col) = enc::FromUtf8(headings[col]);
    ++row;
    for (const SpreadRow& s : range.rows) {
      const bool average = s.kind == MeasureKind::kTotal || s.kind == MeasureKind::kSubject;
      auto number = [&](double v) {
        return average ? model::FormatAverage(v) : model::FormatNumber(v);
      };
      grid.At(row, 0) = s.label;
      grid.At(row, 1) = std::to_string(s.high_class) + " 班"_gb;
      grid.At(row, 2) = number(s.high);
      grid.At(row, 3) = std::to_string(s.low_class) + " 班"_gb;
      grid.At(row, 4) = number(s.low);
      grid.At(row, 5) = number(s.spread());
      ++row;
    }
  }
  // The teacher's groups that the division breaks (a manual move the
  // teacher agreed to), after the ranges.
  const std::vector<std::int32_t> broken = engine::BrokenGroups(state);
  if (!broken.empty() && row > 0) {
    grid.At(++row, 0) = "未满足的分班约束"_gb;
    ++row;
    for (std::int32_t g : broken) grid.At(row++, 0) = engine::DescribeGroupRow(state, g);
  }
  return grid;
}

}  // namespace tessaly::stats
