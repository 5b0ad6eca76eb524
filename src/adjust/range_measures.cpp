#include "adjust/range_measures.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/names/same_names.h"
#include "model/rule_lists.h"
#include "model/text_fields.h"
#include "platform/encoding.h"
#include "stats/compiled_condition.h"

namespace tessaly::adjust {

using engine::AllCountInf;
using engine::Deviation;

RangeMeasures::RangeMeasures(const model::ProgramState& state,
                             const std::vector<AllCountInf>& count_info, std::size_t r)
    : state_(state), r_(r), students_(state.RangeSets[r].Students) {
  static const std::string kBoy = "男"_gb, kGirl = "女"_gb, kGender = "性别"_gb, kTotal = "总分"_gb;
  const std::string& row = state.ClassRangeRows[r];
  class_count_ = model::FirstInteger(model::FieldAt(row, '|', 3));
  c_ = class_count_;
  const model::Student_F& set = state.RangeSets[r];
  names_ = engine::NamesakeIndex(set, engine::SoundRulesOf(state));
  // The class numbers the namesake grades are taken for, by position.
  const std::int32_t listed = model::CountChar(model::FieldAt(row, '|', 4), ',');
  for (std::int32_t p = 0; p <= listed; ++p) {
    ids_.push_back(engine::ClassIdAt(state, r, p));
  }

  // Average levels.
  total_level_ = engine::ItemLevel(state, kTotal);
  for (const std::string& h : set.Headings.SubjectHeadings) {
    subject_levels_.push_back(engine::ItemLevel(state, h));
  }

  if (r >= count_info.size()) return;
  const AllCountInf& C = count_info[r];
  positions_ = C.GenderCounts.size();
  if (!(c_ >= 1) || C.ValueCounts.size() != positions_ || C.BandCounts.size() != positions_) {
    return;
  }
  features_ = true;
  const std::size_t n = students_.size();
  // Per feature: its hits and counted flags per student, column by column.
  std::vector<std::vector<std::int32_t>> hit_columns;
  std::vector<std::vector<unsigned char>> counted_columns;
  auto add = [&](double N, double w, double g) {
    N_.push_back(N);
    w_.push_back(w);
    g_.push_back(g);
    hit_columns.emplace_back(n, 0);
    counted_columns.emplace_back(n, 0);
    return hit_columns.size() - 1;
  };
  const double wg = engine::ItemLevel(state, kGender);
  add(C.GenderCounts[0].Boys, wg, 1.5);
  add(C.GenderCounts[0].Girls, wg, 1.5);
  for (std::size_t i = 0; i < n; ++i) {
    hit_columns[0][i] = counted_columns[0][i] = students_[i].Gender == kBoy;
    hit_columns[1][i] = counted_columns[1][i] = students_[i].Gender == kGirl;
  }
  const auto& items = C.ValueCounts[0].Items;
  const auto& balance = set.Headings.BalanceHeadings;
  for (std::size_t j = 0; j < items.size(); ++j) {
    const double w = engine::ItemLevel(state, items[j].ItemName);
    const auto first = static_cast<std::size_t>(
        std::find(balance.begin(), balance.end(), items[j].ItemName) - balance.begin());
    for (const engine::JHCountInf3& v : items[j].Values) {
      const std::size_t f = add(v.Count, w, 1);
      auto& h = hit_columns[f];
      auto& counted = counted_columns[f];
      for (std::size_t i = 0; i < n; ++i) {
        const auto& values = students_[i].BalanceValues;
        h[i] = j < values.size() && values[j] == v.Value;
        counted[i] = first < values.size() && values[first] == v.Value;
      }
    }
  }
  const std::string key = model::RangeKey(row);
  const auto& headings = set.Headings.SubjectHeadings;
  for (const engine::FSDCountInf& subject : C.BandCounts[0]) {
    for (const engine::FSDCountInf2& band : subject.Bands) {
      const std::size_t f =
          add(band.Count, engine::BandLevel(state, key, subject.Subject, band.Condition), 1);
      auto& h = hit_columns[f];
      auto& counted = counted_columns[f];
      const stats::CompiledCondition cond(band.Condition);
      const auto first = static_cast<std::size_t>(
          std::find(headings.begin(), headings.end(), subject.Subject) - headings.begin());
      for (std::size_t i = 0; i < n; ++i) {
        const model::student& s = students_[i];
        if (subject.Subject == kTotal) {
          h[i] = counted[i] = cond.Holds(s.Total);
          continue;
        }
        counted[i] = first < s.Scores.size() && cond.Holds(s.Scores[first]);
        for (std::size_t k = 0; k < headings.size(); ++k) {
          if (headings[k] == subject.Subject && k < s.Scores.size() && cond.Holds(s.Scores[k])) {
            ++h[i];
          }
        }
      }
    }
  }
  F_ = N_.size();
  hits_.assign(n * F_, 0);
  counted_.assign(n * F_, 0);
  for (std::size_t f = 0; f < F_; ++f) {
    for (std::size_t i = 0; i < n; ++i) {
      hits_[i * F_ + f] = hit_columns[f][i];
      counted_[i * F_ + f] = counted_columns[f][i];
    }
  }
  ReloadCounts(count_info);
}

void RangeMeasures::ReloadCounts(const std::vector<AllCountInf>& count_info) {
  if (!features_) return;
  const AllCountInf& C = count_info[r_];
  counts_.assign(positions_ * F_, 0);
  for (std::size_t p = 0; p < positions_; ++p) {
    std::int32_t* out = &counts_[p * F_];
    std::size_t f = 0;
    out[f++] = C.GenderCounts[p].Boys;
    out[f++] = C.GenderCounts[p].Girls;
    for (const auto& item : C.ValueCounts[p].Items) {
      for (const auto& v : item.Values) out[f++] = v.Count;
    }
    for (const auto& subject : C.BandCounts[p]) {
      for (const auto& band : subject.Bands) out[f++] = band.Count;
    }
  }
}

void RangeMeasures::Exchanged(std::vector<AllCountInf>& count_info, std::int32_t x, std::int32_t y,
                              std::int32_t a, std::int32_t b) {
  names_.Swap(x, y);
  if (!features_ || a == b) return;
  AllCountInf& C = count_info[r_];
  const unsigned char* cx = &counted_[x * F_];
  const unsigned char* cy = &counted_[y * F_];
  // Positions whose id reads as -1 count the whole range, which an
  // exchange leaves as it is.
  for (std::size_t p = 1; p < positions_ && p < ids_.size(); ++p) {
    const std::int32_t id = ids_[p];
    const int sign = id < 0 ? 0 : id == a ? -1 : id == b ? 1 : 0;
    if (sign == 0) continue;
    std::int32_t* out = &counts_[p * F_];
    for (std::size_t f = 0; f < F_; ++f) out[f] += sign * (cx[f] - cy[f]);
    std::size_t f = 0;
    C.GenderCounts[p].Boys = out[f++];
    C.GenderCounts[p].Girls = out[f++];
    for (auto& item : C.ValueCounts[p].Items) {
      for (auto& v : item.Values) v.Count = out[f++];
    }
    for (auto& subject : C.BandCounts[p]) {
      for (auto& band : subject.Bands) band.Count = out[f++];
    }
  }
}

Deviation RangeMeasures::Headcount(std::int32_t S, std::int32_t x, std::int32_t T,
                                   std::int32_t y) const {
  Deviation dev;
  const bool valid = S >= 0 && T >= 0 && static_cast<std::size_t>(S) < positions_ &&
                     static_cast<std::size_t>(T) < positions_;
  if (features_ && valid) {
    const std::int32_t* kS = &counts_[S * F_];
    const std::int32_t* kT = &counts_[T * F_];
    const std::int32_t* hx = x >= 0 ? &hits_[x * F_] : nullptr;
    const std::int32_t* hy = y >= 0 ? &hits_[y * F_] : nullptr;
    for (std::size_t f = 0; f < F_; ++f) {
      const double E = N_[f] / c_;
      if (!(E > 0)) continue;
      const int hX = hx != nullptr ? hx[f] : 0;
      const int hY = hy != nullptr ? hy[f] : 0;
      const double nS = static_cast<double>(kS[f]) - hX + hY;
      const double nT = static_cast<double>(kT[f]) + hX - hY;
      if (std::fabs(nS - E) >= 1) dev.dS += w_[f] * std::fabs(nS - E) / E * g_[f];
      if (std::fabs(nT - E) >= 1) dev.dT += w_[f] * std::fabs(nT - E) / E * g_[f];
    }
  }
  auto id_at = [&](std::int32_t p) {
    return p >= 0 && static_cast<std::size_t>(p) < ids_.size() ? ids_[p]
                                                               : engine::ClassIdAt(state_, r_, p);
  };
  if (x >= 0) dev.dT += names_.Test(x, class_count_, id_at(T)).graded;
  if (y >= 0) dev.dS += names_.Test(y, class_count_, id_at(S)).graded;
  return dev;
}

std::optional<double> RangeMeasures::ClassAverage(const engine::New_ClassInf& range,
                                                  const engine::New_ClassInf& cls,
                                                  const model::student* in,
                                                  const model::student* out, bool out_first) const {
  return engine::ClassAverageDeviation(
      range, cls, in, out, total_level_, out_first,
      [this](std::size_t j) { return j < subject_levels_.size() ? subject_levels_[j] : 3.0; });
}

std::optional<Deviation> RangeMeasures::Average(const std::vector<engine::PjInf>& average_info,
                                                std::int32_t S, std::int32_t x, std::int32_t T,
                                                std::int32_t y) const {
  if (r_ >= average_info.size()) return std::nullopt;
  const auto& classes = average_info[r_].Classes;
  auto valid = [&](std::int32_t p) {
    return p >= 0 && static_cast<std::size_t>(p) < classes.size();
  };
  if (classes.empty() || !valid(S) || !valid(T)) return std::nullopt;
  const model::student* X = x >= 0 ? &students_[x] : nullptr;
  const model::student* Y = y >= 0 ? &students_[y] : nullptr;
  auto dS = ClassAverage(classes[0], classes[S], Y, X, false);
  if (!dS) return std::nullopt;
  auto dT = ClassAverage(classes[0], classes[T], X, Y, true);
  if (!dT) return std::nullopt;
  return Deviation{*dS, *dT};
}

}  // namespace tessaly::adjust
