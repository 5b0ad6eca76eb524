#include "adjust/optimiser.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "adjust/range_measures.h"
#include "engine/balance.h"
#include "engine/evaluation.h"
#include "engine/group_guard.h"
#include "model/rule_lists.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::adjust {

using engine::AllCountInf;

void ExcludePair(ExcludedPairs& pairs, std::int32_t a, std::int32_t b) {
  pairs.insert({std::min(a, b), std::max(a, b)});
}

bool IsExcluded(const ExcludedPairs& pairs, std::int32_t a, std::int32_t b) {
  return pairs.count({std::min(a, b), std::max(a, b)}) > 0;
}

const std::string& OptimiserGroupCaption() {
  static const std::string caption = "优化选项"_gb;
  return caption;
}

const std::vector<std::string>& OptimiserOptionItems() {
  static const std::vector<std::string> items = {"优化平均分"_gb, "优化均衡人数"_gb,
                                                 "综合因素优化"_gb};
  return items;
}

const std::vector<std::string>& OptimiserNoteLines() {
  static const std::vector<std::string> lines = {
      "注意：优化分班结果时，优化选项可交替、轮流选择进行。理论"_gb,
      "上讲，优化次数越多越符合您设定的分班条件！优化过程"_gb,
      "中，需随时统计观察分班结果，以确定是否继续优化。"_gb};
  return lines;
}

namespace {

// The headcount features of a range as ChoosePair weighs them: the range
// count and level of each, and its count at every class position.
struct PairFeatures {
  std::vector<double> N, w;
  std::vector<std::vector<std::int32_t>> by_position;  // [position][feature]
};

PairFeatures ReadFeatures(const model::ProgramState& state, const AllCountInf& C,
                          const std::string& key, std::size_t positions) {
  static const std::string kGender = "性别"_gb;
  PairFeatures f;
  f.by_position.resize(positions);
  const double wg = engine::ItemLevel(state, kGender);
  f.N = {static_cast<double>(C.GenderCounts[0].Boys), static_cast<double>(C.GenderCounts[0].Girls)};
  f.w = {wg, wg};
  for (std::size_t p = 0; p < positions; ++p) {
    f.by_position[p] = {C.GenderCounts[p].Boys, C.GenderCounts[p].Girls};
  }
  const auto& items = C.ValueCounts[0].Items;
  for (std::size_t j = 0; j < items.size(); ++j) {
    const double w = engine::ItemLevel(state, items[j].ItemName);
    for (std::size_t i = 0; i < items[j].Values.size(); ++i) {
      f.N.push_back(items[j].Values[i].Count);
      f.w.push_back(w);
      for (std::size_t p = 0; p < positions; ++p) {
        f.by_position[p].push_back(C.ValueCounts[p].Items[j].Values[i].Count);
      }
    }
  }
  const auto& subjects = C.BandCounts[0];
  for (std::size_t j = 0; j < subjects.size(); ++j) {
    for (std::size_t b = 0; b < subjects[j].Bands.size(); ++b) {
      f.N.push_back(subjects[j].Bands[b].Count);
      f.w.push_back(
          engine::BandLevel(state, key, subjects[j].Subject, subjects[j].Bands[b].Condition));
      for (std::size_t p = 0; p < positions; ++p) {
        f.by_position[p].push_back(C.BandCounts[p][j].Bands[b].Count);
      }
    }
  }
  return f;
}

}  // namespace

std::optional<ClassPair> ChoosePair(const model::ProgramState& state,
                                    const std::vector<AllCountInf>& count_info,
                                    const std::string& range_key, const ExcludedPairs& excluded) {
  std::size_t r = 0;
  while (r < state.ClassRangeRows.size() && model::RangeKey(state.ClassRangeRows[r]) != range_key)
    ++r;
  if (r >= state.ClassRangeRows.size() || r >= count_info.size()) return std::nullopt;
  const AllCountInf& C = count_info[r];
  const std::int32_t class_count =
      model::FirstInteger(model::FieldAt(state.ClassRangeRows[r], '|', 3));
  const std::size_t positions = C.GenderCounts.size();
  if (class_count < 1 || positions < 2 || C.ValueCounts.size() != positions ||
      C.BandCounts.size() != positions) {
    return std::nullopt;
  }
  const std::size_t c = std::min<std::size_t>(class_count, positions - 1);
  const double cd = class_count;
  const PairFeatures f = ReadFeatures(state, C, range_key, positions);
  const std::size_t F = f.N.size();
  std::vector<double> E(F);
  for (std::size_t i = 0; i < F; ++i) E[i] = f.N[i] / cd;

  // The imbalance of every class.
  std::vector<double> imbalance(c + 1, 0.0);
  for (std::size_t k = 1; k <= c; ++k) {
    for (std::size_t i = 0; i < F; ++i) {
      const double d = std::fabs(f.by_position[k][i] - E[i]);
      if (d >= 1) imbalance[k] += f.w[i] * d / E[i];
    }
  }
  std::vector<std::size_t> order(c);
  std::iota(order.begin(), order.end(), 1);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return imbalance[a] > imbalance[b]; });

  std::vector<std::int32_t> ids(c + 1, -1);
  for (std::size_t k = 1; k <= c; ++k) ids[k] = C.GenderCounts[k].ClassId;
  for (std::size_t a : order) {
    const auto& na = f.by_position[a];
    double best = 0;
    std::size_t chosen = 0;
    for (std::size_t k = 1; k <= c; ++k) {
      if (k == a || IsExcluded(excluded, ids[a], ids[k])) continue;
      const auto& nk = f.by_position[k];
      double score = 0;
      for (std::size_t i = 0; i < F; ++i) {
        if (!(std::fabs(na[i] - E[i]) >= 1)) continue;
        if ((na[i] > E[i] && nk[i] < E[i]) || (na[i] < E[i] && nk[i] > E[i])) {
          score += f.w[i] * std::fabs(nk[i] - E[i]) / E[i];
        }
      }
      if (score > best) {
        best = score;
        chosen = k;
      }
    }
    if (chosen > 0) {
      return ClassPair{r, static_cast<std::int32_t>(a), static_cast<std::int32_t>(chosen), ids[a],
                       ids[chosen]};
    }
  }
  return std::nullopt;
}

namespace {

// The averages of a class after it gained G and lost L, as the optimiser
// keeps them between rebuilds.
void GainAndLose(engine::New_ClassInf& cls, const model::student& G, const model::student& L) {
  for (std::size_t j = 0; j < cls.SubjectAverages.size(); ++j) {
    engine::SubjectAverage& e = cls.SubjectAverages[j];
    const double gs = j < G.Scores.size() ? G.Scores[j] : 0;
    const double ls = j < L.Scores.size() ? L.Scores[j] : 0;
    const std::int32_t n = e.Counted - (ls > 0 ? 1 : 0) + (gs > 0 ? 1 : 0);
    e.Average = n == 0 ? 0 : (e.Counted * e.Average - ls + gs) / n;
    e.Counted = n;
  }
  const std::int32_t n = cls.CountedStudents - (L.Total > 0 ? 1 : 0) + (G.Total > 0 ? 1 : 0);
  cls.AverageTotal = n == 0 ? 0 : (cls.CountedStudents * cls.AverageTotal - L.Total + G.Total) / n;
  cls.CountedStudents = n;
}

void UpdateAverages(engine::PjInf& info, std::int32_t a_id, std::int32_t b_id,
                    const model::student& X, const model::student& Y) {
  auto entry = [&](std::int32_t id) -> engine::New_ClassInf* {
    for (auto& c : info.Classes) {
      if (c.ClassId == id) return &c;
    }
    return nullptr;
  };
  if (auto* b = entry(b_id)) GainAndLose(*b, X, Y);
  if (auto* a = entry(a_id)) GainAndLose(*a, Y, X);
}

int PassProgress(double p) {
  return std::min(100, static_cast<int>(std::trunc(p / 10 * 90)) + 2);
}

}  // namespace

OptimiseResult OptimiseDivision(model::ProgramState& state, model::UserPort& user,
                                OptimiseOption option) {
  static const std::string kStale =
      "请先分班后，再进行此操作。或者您已更改分班类型，需重新分班才能进行此操作。"_gb;
  static const std::string kDone = "该类型优化已完成！"_gb, kTitle = "分班进度"_gb;
  OptimiseResult result;
  if (state.RangeSets.empty()) return result;
  if (state.ClassRangeRows.size() != state.RangeSets.size()) {
    user.Warning(kStale);
    return result;
  }
  user.ProgressStart(kTitle);
  user.ProgressSet(2);
  std::vector<AllCountInf> counts;
  if (!engine::RebuildCountInfo(state, user, counts)) {
    user.ProgressSet(100);
    return result;
  }
  std::vector<engine::PjInf> averages;
  engine::RebuildAverageInfo(state, averages);
  user.ProgressSet(5);
  result.ran = true;
  double p = 0;
  bool run_over = false;
  for (std::size_t r = 0; r < state.ClassRangeRows.size() && !run_over; ++r) {
    const std::string key = model::RangeKey(state.ClassRangeRows[r]);
    ExcludedPairs excluded;
    std::int32_t passes = 0;
    RangeMeasures measures(state, counts, r);
    auto& students = state.RangeSets[r].Students;
    const engine::GroupGuard guard = engine::GroupGuard::ForSet(state, state.RangeSets[r]);
    const engine::AssignedClassOf class_of{&state.RangeSets[r]};
    while (auto pair = ChoosePair(state, counts, key, excluded)) {
      ++passes;
      ++result.passes;
      p += 0.5;
      user.ProgressSet(PassProgress(p));
      const std::int32_t A = pair->a_position, B = pair->b_position;
      const auto candidates = engine::ImbalanceCandidates(state, counts, r, pair->a_id);
      const engine::Deviation h0 = measures.Headcount(A, -1, B, -1);
      const auto a0 = measures.Average(averages, A, -1, B, -1);
      const double H0 = h0.dS + h0.dT;
      for (std::size_t ci = 0; ci < candidates.size(); ++ci) {
        const std::int32_t x = candidates[ci].position;
        const double xt = students[x].Total;
        double best = 200000;
        std::int32_t chosen = -1;
        // Without a baseline no exchange can be shown to keep the averages.
        for (std::size_t yi = 0; a0 && yi < students.size(); ++yi) {
          const model::student& Y = students[yi];
          if (Y.AssignedClass != pair->b_id || Y.PresetClass >= 0 ||
              !(std::fabs(Y.Total - xt) < 30)) {
            continue;
          }
          const auto y = static_cast<std::int32_t>(yi);
          if (!guard.Allows(x, pair->b_id, y, pair->a_id, class_of)) continue;
          double value = 0;
          if (option == OptimiseOption::kAverages) {
            const engine::Deviation h = measures.Headcount(A, x, B, y);
            if (!(h.dS <= h0.dS && h.dT <= h0.dT)) continue;
            const auto a = measures.Average(averages, A, x, B, y);
            if (!a || !(a->dS + a->dT < a0->dS + a0->dT)) continue;
            value = a->dS + a->dT;
          } else if (option == OptimiseOption::kHeadcounts) {
            const auto a = measures.Average(averages, A, x, B, y);
            if (!a || !(a->dS + a->dT <= a0->dS + a0->dT)) continue;
            const engine::Deviation h = measures.Headcount(A, x, B, y);
            if (!(h.dS + h.dT < H0)) continue;
            value = h.dS + h.dT;
          } else {
            const engine::Deviation h = measures.Headcount(A, x, B, y);
            const auto a = measures.Average(averages, A, x, B, y);
            if (!a || !(h.dS + h.dT + a->dS + a->dT < H0 + a0->dS + a0->dT)) continue;
            value = h.dS + h.dT + a->dS + a->dT;
          }
          if (value < best) {
            best = value;
            chosen = y;
          }
        }
        if (chosen >= 0) {
          students[x].AssignedClass = pair->b_id;
          students[chosen].AssignedClass = pair->a_id;
          ++result.exchanges;
          measures.Exchanged(counts, x, chosen, pair->a_id, pair->b_id);
          UpdateAverages(averages[r], pair->a_id, pair->b_id, students[x], students[chosen]);
          break;
        }
        if (ci + 1 == candidates.size()) ExcludePair(excluded, pair->a_id, pair->b_id);
      }
      p += 0.5;
      user.ProgressSet(PassProgress(p));
      if (passes > 9) {
        user.ProgressSet(100);
        run_over = true;
        break;
      }
    }
  }
  if (result.exchanges == 0) user.Information(kDone);
  user.ProgressSet(100);
  return result;
}

OptimiseButtonResult bsSkinXFormButton2Click(model::ProgramState& state, model::UserPort& user,
                                             const OptimiserPage& page) {
  OptimiseButtonResult out;
  if (page.option_index >= 0 && page.option_index <= 2) {
    out.run = OptimiseDivision(state, user, static_cast<OptimiseOption>(page.option_index));
  }
  out.averages = engine::ShowAverages(state);
  out.score = engine::ScoreDivision(state);
  return out;
}

}  // namespace tessaly::adjust
