#include "stats/averages_chart.h"

#include <algorithm>
#include <cmath>

#include "engine/evaluation.h"
#include "model/rule_lists.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::stats {

std::string RangeTitle(const std::string& range_row) {
  std::string bounds = model::FieldAt(range_row, '|', 2);
  if (!bounds.empty() && bounds.back() == '-') bounds.pop_back();
  return model::FieldAt(range_row, '|', 1) + ":" + bounds;
}

std::vector<std::int32_t> RangeClassIds(const std::string& range_row) {
  std::vector<std::int32_t> ids = model::ClassIds(model::FieldAt(range_row, '|', 4));
  const std::int32_t count = model::FirstInteger(model::FieldAt(range_row, '|', 3));
  if (count >= 0 && ids.size() > static_cast<std::size_t>(count)) ids.resize(count);
  return ids;
}

std::vector<ChartRange> AveragesChart(const model::ProgramState& state) {
  std::vector<ChartRange> out;
  const std::size_t ranges = std::min(state.RangeSets.size(), state.ClassRangeRows.size());
  for (std::size_t r = 0; r < ranges; ++r) {
    const model::Student_F& set = state.RangeSets[r];
    const std::string& row = state.ClassRangeRows[r];
    const std::vector<std::int32_t> ids = RangeClassIds(row);
    if (ids.empty() || set.Students.empty()) continue;
    std::vector<std::int32_t> wanted{-1};  // the whole range first
    wanted.insert(wanted.end(), ids.begin(), ids.end());
    const std::vector<engine::New_ClassInf> s = engine::SummariseClasses(set, wanted);
    ChartRange range;
    range.title = RangeTitle(row);
    range.measures.push_back("总分"_gb);
    const auto& subjects = set.Headings.SubjectHeadings;
    const std::size_t n = s[0].SubjectAverages.size();
    for (std::size_t j = 0; j < n; ++j) {
      range.measures.push_back(j < subjects.size() ? subjects[j] : std::string());
    }
    range.class_ids = ids;
    for (std::size_t k = 1; k < s.size(); ++k) {
      // A class without a counted student or score has no average: no bar.
      std::vector<double> d{s[k].CountedStudents > 0 ? s[k].AverageTotal - s[0].AverageTotal : 0};
      for (std::size_t j = 0; j < n; ++j) {
        const engine::SubjectAverage& a = s[k].SubjectAverages[j];
        d.push_back(a.Counted > 0 ? a.Average - s[0].SubjectAverages[j].Average : 0);
      }
      for (double v : d) range.largest = std::max(range.largest, std::fabs(v));
      range.deviation.push_back(std::move(d));
    }
    out.push_back(std::move(range));
  }
  return out;
}

}  // namespace tessaly::stats
