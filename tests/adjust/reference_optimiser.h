#pragma once
// A straightforward reading of the optimiser, for comparison with the fast
// run on random cohorts: the pair choice recomputes every level from the
// rule lists, every exchange rebuilds all headcounts, and the swap measures
// are the engine's own, with the namesake grades of the literal same-name
// test over the range's sound keys.

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "adjust/optimiser.h"
#include "engine/balance.h"
#include "engine/cohort_builder.h"
#include "engine/names/same_names.h"
#include "engine/statistics.h"
#include "model/rule_lists.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::testing {

struct RefFeature {
  double N, w;
  std::vector<std::int32_t> n;  // by position
};

inline std::vector<RefFeature> RefFeatures(const model::ProgramState& st,
                                           const engine::AllCountInf& C, const std::string& key) {
  std::vector<RefFeature> out;
  const std::size_t P = C.GenderCounts.size();
  RefFeature boys{double(C.GenderCounts[0].Boys), double(engine::ItemLevel(st, Gb("性别"))), {}};
  RefFeature girls{double(C.GenderCounts[0].Girls), boys.w, {}};
  for (std::size_t p = 0; p < P; ++p) {
    boys.n.push_back(C.GenderCounts[p].Boys);
    girls.n.push_back(C.GenderCounts[p].Girls);
  }
  out.push_back(boys);
  out.push_back(girls);
  for (std::size_t j = 0; j < C.ValueCounts[0].Items.size(); ++j) {
    const auto& item = C.ValueCounts[0].Items[j];
    for (std::size_t i = 0; i < item.Values.size(); ++i) {
      RefFeature f{double(item.Values[i].Count), double(engine::ItemLevel(st, item.ItemName)), {}};
      for (std::size_t p = 0; p < P; ++p) f.n.push_back(C.ValueCounts[p].Items[j].Values[i].Count);
      out.push_back(f);
    }
  }
  for (std::size_t j = 0; j < C.BandCounts[0].size(); ++j) {
    const auto& s = C.BandCounts[0][j];
    for (std::size_t b = 0; b < s.Bands.size(); ++b) {
      RefFeature f{double(s.Bands[b].Count),
                   double(engine::BandLevel(st, key, s.Subject, s.Bands[b].Condition)),
                   {}};
      for (std::size_t p = 0; p < P; ++p) f.n.push_back(C.BandCounts[p][j].Bands[b].Count);
      out.push_back(f);
    }
  }
  return out;
}

// ChoosePair as written: positions of A and B.
inline std::optional<std::pair<std::int32_t, std::int32_t>> RefChoosePair(
    const model::ProgramState& st, const std::vector<engine::AllCountInf>& count_info,
    const std::string& key, const adjust::ExcludedPairs& excluded) {
  std::size_t r = 0;
  while (r < st.ClassRangeRows.size() && model::RangeKey(st.ClassRangeRows[r]) != key) ++r;
  if (r == st.ClassRangeRows.size()) return std::nullopt;
  const double c = model::FirstInteger(model::FieldAt(st.ClassRangeRows[r], '|', 3));
  const auto& C = count_info[r];
  const auto features = RefFeatures(st, C, key);
  std::vector<std::pair<double, std::int32_t>> classes;
  for (std::int32_t k = 1; k <= std::int32_t(c); ++k) {
    double imbalance = 0;
    for (const auto& f : features) {
      const double E = f.N / c;
      if (std::fabs(f.n[k] - E) >= 1) imbalance += f.w * std::fabs(f.n[k] - E) / E;
    }
    classes.push_back({imbalance, k});
  }
  std::stable_sort(classes.begin(), classes.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  for (const auto& [imbalance, A] : classes) {
    std::int32_t B = 0;
    double best = 0;
    for (std::int32_t k = 1; k <= std::int32_t(c); ++k) {
      if (k == A ||
          adjust::IsExcluded(excluded, C.GenderCounts[A].ClassId, C.GenderCounts[k].ClassId)) {
        continue;
      }
      double score = 0;
      for (const auto& f : features) {
        const double E = f.N / c;
        if (std::fabs(f.n[A] - E) < 1) continue;
        if ((f.n[A] > E && f.n[k] < E) || (f.n[A] < E && f.n[k] > E)) {
          score += f.w * std::fabs(f.n[k] - E) / E;
        }
      }
      if (score > best) {
        best = score;
        B = k;
      }
    }
    if (B > 0) return std::make_pair(A, B);
  }
  return std::nullopt;
}

inline void RefGainLose(engine::New_ClassInf& c, const model::student& G, const model::student& L) {
  for (std::size_t j = 0; j < c.SubjectAverages.size(); ++j) {
    auto& e = c.SubjectAverages[j];
    const std::int32_t n = e.Counted - (L.Scores[j] > 0) + (G.Scores[j] > 0);
    e.Average = n == 0 ? 0 : (e.Counted * e.Average - L.Scores[j] + G.Scores[j]) / n;
    e.Counted = n;
  }
  const std::int32_t n = c.CountedStudents - (L.Total > 0) + (G.Total > 0);
  c.AverageTotal = n == 0 ? 0 : (c.CountedStudents * c.AverageTotal - L.Total + G.Total) / n;
  c.CountedStudents = n;
}

// OptimiseDivision as written; returns the number of exchanges.
inline int ReferenceOptimise(model::ProgramState& st, model::UserPort& user, int option) {
  if (st.RangeSets.empty()) return 0;
  if (st.ClassRangeRows.size() != st.RangeSets.size()) {
    user.Warning(Gb("请先分班后，再进行此操作。或者您已更改分班类型，需重新分班才能进行此操作。"));
    return 0;
  }
  user.ProgressStart(Gb("分班进度"));
  user.ProgressSet(2);
  std::vector<engine::AllCountInf> count_info;
  if (!engine::RebuildCountInfo(st, user, count_info)) {
    user.ProgressSet(100);
    return 0;
  }
  std::vector<engine::PjInf> average_info;
  engine::RebuildAverageInfo(st, average_info);
  user.ProgressSet(5);
  double p = 0;
  int exchanges = 0;
  auto progress = [&] { user.ProgressSet(std::min(100, int(std::trunc(p / 10 * 90)) + 2)); };
  const engine::SoundRules rules = engine::SoundRulesOf(st);
  for (std::size_t r = 0; r < st.ClassRangeRows.size(); ++r) {
    const std::string key = model::RangeKey(st.ClassRangeRows[r]);
    adjust::ExcludedPairs excluded;
    int passes = 0;
    const model::RuleList keys = engine::BuildSoundKeys(st.RangeSets[r], rules);
    const std::int32_t c = model::FirstInteger(model::FieldAt(st.ClassRangeRows[r], '|', 3));
    auto& set = st.RangeSets[r];
    engine::NamesakeGrade grade = [&](const model::student& s, std::int32_t cls) {
      const auto pos = static_cast<std::int32_t>(&s - set.Students.data());
      return engine::SameNameTest(set, keys, pos, c, cls, rules).graded;
    };
    bool over = false;
    while (auto pair = RefChoosePair(st, count_info, key, excluded)) {
      passes += 1;
      p += 0.5;
      progress();
      const auto [A, B] = *pair;
      const std::int32_t a_id = count_info[r].GenderCounts[A].ClassId;
      const std::int32_t b_id = count_info[r].GenderCounts[B].ClassId;
      const auto candidates = engine::ImbalanceCandidates(st, count_info, r, a_id);
      const auto h0 = engine::HeadcountDeviation(st, count_info, r, A, nullptr, B, nullptr, grade);
      const auto a0 = engine::AverageDeviation(st, average_info, r, A, nullptr, B, nullptr);
      for (std::size_t ci = 0; ci < candidates.size(); ++ci) {
        model::student& X = set.Students[candidates[ci].position];
        double best = 200000;
        model::student* chosen = nullptr;
        for (model::student& Y : set.Students) {
          if (Y.AssignedClass != b_id || Y.PresetClass >= 0 || !(std::fabs(Y.Total - X.Total) < 30))
            continue;
          if (!a0) continue;
          const auto h = engine::HeadcountDeviation(st, count_info, r, A, &X, B, &Y, grade);
          const auto a = engine::AverageDeviation(st, average_info, r, A, &X, B, &Y);
          if (!a) continue;
          const double H = h.dS + h.dT, H0 = h0.dS + h0.dT;
          const double Av = a->dS + a->dT, A0 = a0->dS + a0->dT;
          double value;
          if (option == 0) {
            if (!(h.dS <= h0.dS && h.dT <= h0.dT) || !(Av < A0)) continue;
            value = Av;
          } else if (option == 1) {
            if (!(Av <= A0) || !(H < H0)) continue;
            value = H;
          } else {
            if (!(H + Av < H0 + A0)) continue;
            value = H + Av;
          }
          if (value < best) {
            best = value;
            chosen = &Y;
          }
        }
        if (chosen != nullptr) {
          X.AssignedClass = b_id;
          chosen->AssignedClass = a_id;
          ++exchanges;
          if (!engine::RebuildCountInfo(st, user, count_info)) return exchanges;
          auto entry = [&](std::int32_t id) {
            for (auto& e : average_info[r].Classes)
              if (e.ClassId == id) return &e;
            return static_cast<engine::New_ClassInf*>(nullptr);
          };
          RefGainLose(*entry(b_id), X, *chosen);
          RefGainLose(*entry(a_id), *chosen, X);
          break;
        }
        if (ci + 1 == candidates.size()) adjust::ExcludePair(excluded, a_id, b_id);
      }
      p += 0.5;
      progress();
      if (passes > 9) {
        user.ProgressSet(100);
        over = true;
        break;
      }
    }
    if (over) break;
  }
  if (exchanges == 0) user.Information(Gb("该类型优化已完成！"));
  user.ProgressSet(100);
  return exchanges;
}

}  // namespace tessaly::testing
