// The two swap measures of engine/statistics.h.
#include <cmath>

#include "engine/rule_book.h"
#include "engine/statistics.h"
#include "model/rule_lists.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::engine {
namespace {

bool ValidPosition(std::size_t size, std::int32_t p) {
  return p >= 0 && static_cast<std::size_t>(p) < size;
}

// Adds the terms of one feature to both classes.
void AddFeature(Deviation& dev, double N, double kS, double kT, int hX, int hY, double c, double w,
                double g) {
  const double E = N / c;
  if (!(E > 0)) return;  // no student of the range has the feature
  const double nS = kS - hX + hY;
  const double nT = kT + hX - hY;
  if (std::fabs(nS - E) >= 1) dev.dS += w * std::fabs(nS - E) / E * g;
  if (std::fabs(nT - E) >= 1) dev.dT += w * std::fabs(nT - E) / E * g;
}

// How often a student meets a band: for 总分 its total, for a subject every
// subject heading of that name.
int BandHits(const model::student* s, const std::vector<std::string>& headings,
             const std::string& subject, const std::string& condition) {
  static const std::string kTotal = "总分"_gb;
  if (s == nullptr) return 0;
  if (subject == kTotal) return model::ConditionHolds(condition, s->Total) ? 1 : 0;
  int hits = 0;
  for (std::size_t h = 0; h < headings.size(); ++h) {
    if (headings[h] == subject && h < s->Scores.size() &&
        model::ConditionHolds(condition, s->Scores[h])) {
      ++hits;
    }
  }
  return hits;
}

}  // namespace

std::optional<Deviation> AverageDeviation(const model::ProgramState& state,
                                          const std::vector<PjInf>& average_info, std::size_t r,
                                          std::int32_t S, const model::student* X, std::int32_t T,
                                          const model::student* Y, const RuleBook* rules) {
  static const std::string kTotal = "总分"_gb;
  if (r >= average_info.size() || r >= state.RangeSets.size()) return std::nullopt;
  const auto& classes = average_info[r].Classes;
  if (classes.empty() || !ValidPosition(classes.size(), S) || !ValidPosition(classes.size(), T)) {
    return std::nullopt;
  }
  auto item_level = [&](std::string_view name) {
    return rules != nullptr ? rules->ItemLevel(name) : ItemLevel(state, name);
  };
  const double total_level = item_level(kTotal);
  // The totals take Y before X for both classes; the subjects take the
  // joining student first.
  const auto& headings = state.RangeSets[r].Headings.SubjectHeadings;
  auto level_of = [&](std::size_t j) { return j < headings.size() ? item_level(headings[j]) : 3; };
  auto dS = ClassAverageDeviation(classes[0], classes[S], Y, X, total_level, false, level_of);
  if (!dS) return std::nullopt;
  auto dT = ClassAverageDeviation(classes[0], classes[T], X, Y, total_level, true, level_of);
  if (!dT) return std::nullopt;
  return Deviation{*dS, *dT};
}

Deviation HeadcountDeviation(const model::ProgramState& state,
                             const std::vector<AllCountInf>& count_info, std::size_t r,
                             std::int32_t S, const model::student* X, std::int32_t T,
                             const model::student* Y, const NamesakeGrade& namesake,
                             const RuleBook* rules) {
  static const std::string kBoy = "男"_gb, kGirl = "女"_gb, kGender = "性别"_gb;
  Deviation dev;
  if (r >= count_info.size() || r >= state.ClassRangeRows.size() || r >= state.RangeSets.size()) {
    return dev;
  }
  const AllCountInf& C = count_info[r];
  const RangeRule* range =
      rules != nullptr && r < rules->ranges.size() ? &rules->ranges[r] : nullptr;
  auto item_level = [&](std::string_view name) {
    return rules != nullptr ? rules->ItemLevel(name) : ItemLevel(state, name);
  };
  const double c = range != nullptr
                       ? range->class_count
                       : model::FirstInteger(model::FieldAt(state.ClassRangeRows[r], '|', 3));
  const std::size_t positions = C.GenderCounts.size();
  if (c >= 1 && ValidPosition(positions, S) && ValidPosition(positions, T) &&
      C.ValueCounts.size() == positions && C.BandCounts.size() == positions) {
    // Gender.
    const double wg = item_level(kGender);
    auto has = [](const model::student* s, const std::string& g) {
      return s != nullptr && s->Gender == g ? 1 : 0;
    };
    AddFeature(dev, C.GenderCounts[0].Boys, C.GenderCounts[S].Boys, C.GenderCounts[T].Boys,
               has(X, kBoy), has(Y, kBoy), c, wg, 1.5);
    AddFeature(dev, C.GenderCounts[0].Girls, C.GenderCounts[S].Girls, C.GenderCounts[T].Girls,
               has(X, kGirl), has(Y, kGirl), c, wg, 1.5);
    // Tracked balance values.
    const auto& items = C.ValueCounts[0].Items;
    for (std::size_t j = 0; j < items.size(); ++j) {
      const double w = item_level(items[j].ItemName);
      for (std::size_t i = 0; i < items[j].Values.size(); ++i) {
        const std::string& v = items[j].Values[i].Value;
        auto holds = [&](const model::student* s) {
          return s != nullptr && j < s->BalanceValues.size() && s->BalanceValues[j] == v ? 1 : 0;
        };
        AddFeature(dev, items[j].Values[i].Count, C.ValueCounts[S].Items[j].Values[i].Count,
                   C.ValueCounts[T].Items[j].Values[i].Count, holds(X), holds(Y), c, w, 1);
      }
    }
    // Count bands.
    const std::string key =
        range != nullptr ? range->key : model::RangeKey(state.ClassRangeRows[r]);
    const auto& headings = state.RangeSets[r].Headings.SubjectHeadings;
    const auto& whole = C.BandCounts[0];
    for (std::size_t j = 0; j < whole.size(); ++j) {
      for (std::size_t b = 0; b < whole[j].Bands.size(); ++b) {
        const std::string& cond = whole[j].Bands[b].Condition;
        const double w = rules != nullptr ? rules->BandLevel(key, whole[j].Subject, cond)
                                          : BandLevel(state, key, whole[j].Subject, cond);
        AddFeature(dev, whole[j].Bands[b].Count, C.BandCounts[S][j].Bands[b].Count,
                   C.BandCounts[T][j].Bands[b].Count, BandHits(X, headings, whole[j].Subject, cond),
                   BandHits(Y, headings, whole[j].Subject, cond), c, w, 1);
      }
    }
  }
  if (namesake) {
    if (X != nullptr) dev.dT += namesake(*X, ClassIdAt(state, r, T));
    if (Y != nullptr) dev.dS += namesake(*Y, ClassIdAt(state, r, S));
  }
  return dev;
}

}  // namespace tessaly::engine
