#include "engine/costs.h"

#include <algorithm>
#include <unordered_map>

#include "engine/evaluation.h"
#include "engine/statistics.h"
#include "model/rule_lists.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::engine {
namespace {

bool InClass(const model::student& s, std::int32_t k) {
  return k < 0 || s.AssignedClass == k;
}

}  // namespace

BalanceValueTallies TallyBalanceValues(const model::Student_F& set) {
  const std::size_t columns = set.Headings.BalanceHeadings.size();
  BalanceValueTallies lists(columns);
  for (std::size_t b = 0; b < columns; ++b) {
    // Counts by value in order of first occurrence, written as rows at the end.
    std::vector<std::string> order;
    std::unordered_map<std::string, std::int32_t> counts;
    for (const model::student& s : set.Students) {
      if (b >= s.BalanceValues.size() || s.BalanceValues[b].empty()) continue;
      auto [it, fresh] = counts.try_emplace(s.BalanceValues[b], 0);
      if (fresh) order.push_back(s.BalanceValues[b]);
      ++it->second;
    }
    for (const std::string& v : order) {
      lists[b].push_back(v + "|" + std::to_string(counts[v]) + "|");
    }
  }
  return lists;
}

std::int32_t TalliedCount(const model::RuleList& list, std::string_view value) {
  for (const std::string& row : list) {
    if (model::FieldAt(row, '|', 1) == value)
      return model::FirstInteger(model::FieldAt(row, '|', 2));
  }
  return -1;
}

BandConditionTallies TallyBandConditions(const model::ProgramState& state,
                                         std::string_view range_key, const model::Student_F& set) {
  static const std::string kTotal = "总分"_gb;
  BandConditionTallies out(state.BandConditionRows.size());
  const auto& headings = set.Headings.SubjectHeadings;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const std::string& row = state.BandConditionRows[i];
    const std::string subject = model::FieldAt(row, '$', 2);
    if (subject != kTotal) {
      auto it = std::find(headings.begin(), headings.end(), subject);
      if (it != headings.end())
        out[i].SubjectPosition = static_cast<std::int32_t>(it - headings.begin());
    }
    if (model::FieldAt(row, '$', 1) != range_key) continue;
    const std::string condition = model::FieldAt(row, '$', 3);
    const std::int32_t a = out[i].SubjectPosition;
    for (const model::student& s : set.Students) {
      if (subject == kTotal) {
        if (model::ConditionHolds(condition, s.Total)) ++out[i].MeetCount;
      } else if (a >= 0 && static_cast<std::size_t>(a) < s.Scores.size() &&
                 model::ConditionHolds(condition, s.Scores[a])) {
        ++out[i].MeetCount;
      }
    }
  }
  return out;
}

BandConditionTallies TallyBandConditions(const std::vector<BandRule>& bands,
                                         std::string_view range_key, const model::Student_F& set) {
  BandConditionTallies out(bands.size());
  const auto& headings = set.Headings.SubjectHeadings;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const BandRule& band = bands[i];
    if (!band.total) {
      auto it = std::find(headings.begin(), headings.end(), band.subject);
      if (it != headings.end())
        out[i].SubjectPosition = static_cast<std::int32_t>(it - headings.begin());
    }
    if (band.range_key != range_key) continue;
    const std::int32_t a = out[i].SubjectPosition;
    for (const model::student& s : set.Students) {
      if (band.total) {
        if (band.holds.Holds(s.Total)) ++out[i].MeetCount;
      } else if (a >= 0 && static_cast<std::size_t>(a) < s.Scores.size() &&
                 band.holds.Holds(s.Scores[a])) {
        ++out[i].MeetCount;
      }
    }
  }
  return out;
}

std::int32_t Share(std::int32_t g, std::int32_t y) {
  if (y < 1 || g <= 0) return 0;
  return g / y + (g % y != 0 ? 1 : 0);
}

double GenderCost(const model::ProgramState& state, const model::Student_F& set,
                  const model::student& s, std::int32_t Y, std::int32_t k) {
  static const std::string kGender = "性别"_gb;
  const std::int32_t share = Share(CountGender(set, s.Gender, -1), Y);
  if (share <= 0) return 0;
  const std::int32_t m = CountGender(set, s.Gender, k);
  const std::int32_t level = ItemLevel(state, kGender);
  return static_cast<double>(m) / share * level * 3;
}

double BalanceValueCost(const model::ProgramState& state, const BalanceValueTallies& tallies,
                        const model::Student_F& set, const model::student& s, std::int32_t Y,
                        std::int32_t k) {
  double sum = 0;
  const auto& headings = set.Headings.BalanceHeadings;
  for (std::size_t b = 0; b < headings.size(); ++b) {
    if (b >= s.BalanceValues.size() || b >= tallies.size()) continue;
    const std::string& v = s.BalanceValues[b];
    if (v.empty()) continue;
    const std::int32_t g = TalliedCount(tallies[b], v);
    if (g <= 1) continue;
    const std::int32_t share = Share(g, Y);
    if (share <= 0) continue;
    const std::int32_t m = CountBalanceValue(set, headings[b], v, k);
    const std::int32_t level = ItemLevel(state, headings[b]);
    sum += static_cast<double>(m) / share * level * 3;
  }
  return sum;
}

double BandCost(const model::ProgramState& state, const BandConditionTallies& tallies,
                std::string_view range_key, const model::Student_F& set, const model::student& s,
                std::int32_t k, std::int32_t Y) {
  static const std::string kTotal = "总分"_gb;
  double sum = 0;
  for (std::size_t i = 0; i < state.BandConditionRows.size() && i < tallies.size(); ++i) {
    const std::string& row = state.BandConditionRows[i];
    if (model::FieldAt(row, '$', 1) != range_key) continue;
    const double weight = model::LevelNumber(model::FieldAt(row, '$', 4)) * 3.0;
    const std::int32_t share = Share(tallies[i].MeetCount, Y);
    if (share == 0) continue;
    const std::string condition = model::FieldAt(row, '$', 3);
    std::int32_t m = 0;
    if (model::FieldAt(row, '$', 2) == kTotal) {
      if (model::ConditionHolds(condition, s.Total)) {
        for (const model::student& t : set.Students) {
          if (InClass(t, k) && model::ConditionHolds(condition, t.Total)) ++m;
        }
      }
    } else {
      const std::int32_t a = tallies[i].SubjectPosition;
      if (a >= 0 && static_cast<std::size_t>(a) < s.Scores.size() &&
          model::ConditionHolds(condition, s.Scores[a])) {
        for (const model::student& t : set.Students) {
          if (InClass(t, k) && static_cast<std::size_t>(a) < t.Scores.size() &&
              model::ConditionHolds(condition, t.Scores[a])) {
            ++m;
          }
        }
      }
    }
    sum += static_cast<double>(m) / share * weight;
  }
  return sum;
}

}  // namespace tessaly::engine
