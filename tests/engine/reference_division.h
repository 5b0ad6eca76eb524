#pragma once
// A straightforward reading of the division and of the average balancing,
// for comparison with the fast versions on small cohorts: every cost counts
// over the whole set, candidate lists keep their costs as 15-digit text and
// are filled by ordered insertion, the conflict search rescans all classes,
// and balancing transfers go through TransferStudent, which rebuilds every
// statistic on every attempt.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/balance.h"
#include "engine/combine.h"
#include "engine/costs.h"
#include "engine/division_batch.h"
#include "engine/evaluation.h"
#include "engine/names/same_names.h"
#include "engine/statistics.h"
#include "engine/transfer.h"
#include "model/number_format.h"
#include "model/rule_lists.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::testing {

// A name (UTF-8) of a surname and a given name from small pools: about one
// student in twenty has a namesake in a cohort of sixty, some of them by
// sound only (张 and 章).
template <typename Random>
std::string RandomName(Random& rnd) {
  static const char* kSurnames[] = {"张", "王", "李", "刘", "陈", "杨", "赵", "黄", "周", "吴",
                                    "徐", "孙", "马", "朱", "胡", "郭", "何", "高", "林", "章"};
  static const char* kGiven[] = {"伟", "芳", "娜", "洋", "静", "帆", "磊", "敏", "杰", "昊",
                                 "丽", "强", "超", "琳", "军", "涛", "平", "峰", "立", "兰",
                                 "明", "华", "红", "英", "刚", "建", "文", "云", "海", "燕"};
  std::string name = kSurnames[rnd() % 20];
  name += kGiven[rnd() % 30];
  if (rnd() % 2) name += kGiven[rnd() % 30];
  return name;
}

struct TextEntry {
  std::int32_t pos;
  std::string cost;  // general number form
  double Value() const { return std::strtod(cost.c_str(), nullptr); }
};

// Literal settlement of one batch's candidate lists.
inline void ReferenceSettle(std::vector<std::vector<TextEntry>>& lists, engine::Coin& coin) {
  const std::size_t y = lists.size();
  std::vector<std::size_t> order;
  for (std::size_t p = 0; p < y; ++p) {
    if (!lists[p].empty()) order.push_back(p);
  }
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return lists[a][0].Value() < lists[b][0].Value();
  });
  for (;;) {
    bool found = false;
    for (std::size_t a : order) {
      if (lists[a].empty()) continue;
      for (std::size_t b = 0; b < y && !found; ++b) {
        if (b == a || lists[b].empty() || lists[b][0].pos != lists[a][0].pos) continue;
        found = true;
        auto& la = lists[a];
        auto& lb = lists[b];
        bool drop_a;
        if (la.size() >= 2 && lb.size() >= 2) {
          double keep_a = la[0].Value() + lb[1].Value();
          double keep_b = la[1].Value() + lb[0].Value();
          drop_a = keep_b > keep_a ? false : keep_b < keep_a ? true : coin.DropFirst();
        } else if (la.size() == 1 && lb.size() >= 2) {
          drop_a = false;
        } else if (la.size() >= 2 && lb.size() == 1) {
          drop_a = true;
        } else {
          double a1 = la[0].Value(), b1 = lb[0].Value();
          drop_a = a1 < b1 ? false : a1 > b1 ? true : coin.DropFirst();
        }
        auto& l = drop_a ? la : lb;
        l.erase(l.begin());
      }
      if (found) break;
    }
    if (!found) return;
  }
}

// Literal balancing of the class average totals, or of the averages of one
// subject when `subject` is given.
inline void ReferenceBalance(model::ProgramState& state, model::UserPort& user, double control,
                             const std::string* subject = nullptr) {
  std::set<std::pair<std::int32_t, std::int32_t>> excluded;
  auto is_excluded = [&](std::int32_t a, std::int32_t b) {
    return excluded.count({std::min(a, b), std::max(a, b)}) > 0;
  };
  for (std::size_t r = 0; r < state.ClassRangeRows.size(); ++r) {
    const std::string ids = model::FieldAt(state.ClassRangeRows[r], '|', 4);
    const std::int32_t c = model::CountChar(ids, ',');
    std::int32_t g = -1;
    if (subject != nullptr) {
      const auto& heads = state.RangeSets[r].Headings.SubjectHeadings;
      for (std::size_t j = 0; j < heads.size() && g < 0; ++j) {
        if (heads[j] == *subject) g = static_cast<std::int32_t>(j);
      }
      if (g < 0) continue;
    }
    for (std::int32_t pass = 1;; ++pass) {
      std::vector<engine::New_ClassInf> sums(c + 1);
      std::vector<double> value(c + 1, 0);
      for (std::int32_t k = 1; k <= c; ++k) {
        const std::int32_t id = model::FirstInteger(model::FieldAt(ids, ',', k));
        engine::SummariseClass(state.RangeSets[r], id, sums[k]);
        sums[k].ClassId = id;
        value[k] = g < 0 ? sums[k].AverageTotal
                   : static_cast<std::size_t>(g) < sums[k].SubjectAverages.size()
                       ? sums[k].SubjectAverages[g].Average
                       : 0;
      }
      std::int32_t high = 0, low = 0;
      double top = 0, bottom = 100000000;
      if (g < 0) {
        for (std::int32_t k = 1; k <= c; ++k) {
          if (value[k] > top) top = value[k], high = k;
        }
        if (high == 0) break;
        for (std::int32_t k = 1; k <= c; ++k) {
          if (is_excluded(sums[high].ClassId, sums[k].ClassId)) continue;
          if (value[k] < bottom) bottom = value[k], low = k;
        }
      } else {
        for (std::int32_t k = 1; k <= c; ++k) {
          if (value[k] < bottom) bottom = value[k], low = k;
        }
        if (low == 0) break;
        for (std::int32_t k = 1; k <= c; ++k) {
          if (is_excluded(sums[low].ClassId, sums[k].ClassId)) continue;
          if (value[k] > top) top = value[k], high = k;
        }
      }
      if (low == 0 || high == 0 || std::fabs(value[high] - value[low]) <= control) break;
      std::vector<engine::AllCountInf> counts;
      engine::RebuildCountInfo(state, user, counts);
      std::vector<std::int32_t> candidates;
      for (auto& e : engine::ImbalanceCandidates(state, counts, r, sums[high].ClassId)) {
        candidates.push_back(e.position);
      }
      if (candidates.empty()) {
        candidates = engine::FallbackCandidates(state, r, sums[high].ClassId);
      }
      std::vector<model::student> movers;
      for (std::int32_t x : candidates) movers.push_back(state.RangeSets[r].Students[x]);
      std::string saved;
      std::int32_t item = -1;
      if (g >= 0) {
        for (std::size_t i = 0; i < state.BalanceItemRows.size() && item < 0; ++i) {
          if (model::FieldAt(state.BalanceItemRows[i], '|', 1) == *subject) item = i;
        }
        if (item >= 0) {
          saved = state.BalanceItemRows[item];
          state.BalanceItemRows[item] = *subject + "|8|";
        }
      }
      bool moved = false;
      for (const model::student& X : movers) {
        if (engine::TransferStudent(state, user, X.Number, X.Name, sums[low].ClassId, 0,
                                    engine::BackFillMode::BackFillByBalance)
                .success()) {
          moved = true;
          break;
        }
      }
      if (item >= 0) state.BalanceItemRows[item] = saved;
      if (!moved || g >= 0) {
        excluded.insert({std::min(sums[high].ClassId, sums[low].ClassId),
                         std::max(sums[high].ClassId, sums[low].ClassId)});
      }
      if (pass > 2 * c) break;
    }
  }
}

// Literal division of `state` (range sets rebuilt) with the coin of `seed`;
// returns the score taken before the balancing pass.
inline double ReferenceDivide(model::ProgramState& state, model::UserPort& user,
                              std::uint32_t seed) {
  engine::Coin coin(seed);
  engine::BuildRangeSets(state);
  const engine::SoundRules rules = engine::SoundRulesOf(state);
  double gap_sum = 0;
  double classes = 0;
  for (std::size_t r = 0; r < state.RangeSets.size(); ++r) {
    model::Student_F& set = state.RangeSets[r];
    auto& st = set.Students;
    const std::string& row = state.ClassRangeRows[r];
    const std::int32_t y = model::FirstInteger(model::FieldAt(row, '|', 3));
    const std::string ids = model::FieldAt(row, '|', 4);
    const std::string key = model::RangeKey(row);
    const model::RuleList keys = engine::BuildSoundKeys(set, rules);
    const engine::BalanceValueTallies values = engine::TallyBalanceValues(set);
    const engine::BandConditionTallies bands = engine::TallyBandConditions(state, key, set);
    classes += y;
    if (y <= 0) continue;
    const std::size_t subjects = set.Headings.SubjectHeadings.size();
    std::vector<engine::New_ClassInf> list;
    for (std::int32_t p = 1; p <= y; ++p) {
      list.push_back(
          engine::EmptySummary(model::FirstInteger(model::FieldAt(ids, ',', p)), subjects));
    }
    engine::New_ClassInf so_far = engine::EmptySummary(-1, subjects);
    for (auto batch = engine::PickBatch(set, y); !batch.empty();
         batch = engine::PickBatch(set, y)) {
      for (std::int32_t pos : batch) engine::AddToSummary(so_far, st[pos]);
      std::vector<std::int32_t> claimed;
      for (std::int32_t pos : batch) {
        if (st[pos].PresetClass >= 0) claimed.push_back(st[pos].PresetClass);
      }
      std::vector<std::vector<TextEntry>> lists(y);
      for (std::int32_t p = 0; p < y; ++p) {
        const std::int32_t k = list[p].ClassId;
        if (std::find(claimed.begin(), claimed.end(), k) != claimed.end()) continue;
        for (std::int32_t pos : batch) {
          const model::student& s = st[pos];
          if (s.PresetClass >= 0) continue;
          double cost = engine::SameNameTest(set, keys, pos, y, k, rules).full ? 350.0 : 0.0;
          cost += engine::GenderCost(state, set, s, y, k);
          cost += engine::BalanceValueCost(state, values, set, s, y, k);
          engine::New_ClassInf candidate = list[p];
          engine::AddToSummary(candidate, s);
          cost += engine::AverageGap(so_far, candidate, true, state);
          cost += engine::BandCost(state, bands, key, set, s, k, y);
          TextEntry e{pos, model::FormatNumber(cost)};
          auto& l = lists[p];
          auto it = l.begin();
          while (it != l.end() && !(e.Value() < it->Value())) ++it;
          l.insert(it, e);
        }
      }
      ReferenceSettle(lists, coin);
      for (std::int32_t pos : batch) {
        if (st[pos].PresetClass < 0) continue;
        st[pos].AssignedClass = st[pos].PresetClass;
        for (auto& c : list) {
          if (c.ClassId == st[pos].PresetClass) engine::AddToSummary(c, st[pos]);
        }
      }
      for (std::int32_t p = 0; p < y; ++p) {
        if (lists[p].empty()) continue;
        st[lists[p][0].pos].AssignedClass = list[p].ClassId;
        engine::AddToSummary(list[p], st[lists[p][0].pos]);
      }
    }
    for (const auto& c : list) gap_sum += engine::AverageGap(so_far, c, false, state);
  }
  ReferenceBalance(state, user, 1.2);
  const double n = static_cast<double>(state.RangeSets.back().Headings.SubjectHeadings.size());
  return 100 - gap_sum / ((n + 1) * 0.5 * classes) * 2;
}

}  // namespace tessaly::testing
