// The ranking of the students of a class by how strongly they belong to
// groups whose headcount in the class is off the per-class expectation, and
// the fallback list of the balancing.

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "engine/balance.h"
#include "engine/division_batch.h"
#include "model/rule_lists.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::engine {

using model::FieldAt;
using model::FirstInteger;

namespace {

constexpr std::size_t kMaxCandidates = 20;
constexpr std::size_t kMaxFallback = 25;

bool HasBandRowFor(const model::ProgramState& state, const std::string& key) {
  for (const auto& row : state.BandConditionRows) {
    if (FieldAt(row, '$', 1) == key) return true;
  }
  return false;
}

}  // namespace

std::vector<ImbalanceCandidate> ImbalanceCandidates(const model::ProgramState& state,
                                                    const std::vector<AllCountInf>& count_info,
                                                    std::size_t r, std::int32_t class_id) {
  static const std::string kBoy = "男"_gb, kGirl = "女"_gb, kGender = "性别"_gb, kTotal = "总分"_gb;
  std::vector<ImbalanceCandidate> list;
  if (r >= count_info.size() || r >= state.RangeSets.size() || r >= state.ClassRangeRows.size()) {
    return list;
  }
  const AllCountInf& info = count_info[r];
  std::int32_t p = -1;
  for (std::size_t k = 1; k < info.GenderCounts.size(); ++k) {
    if (info.GenderCounts[k].ClassId == class_id) {
      p = static_cast<std::int32_t>(k);
      break;
    }
  }
  if (p < 0) return list;
  const std::string& row = state.ClassRangeRows[r];
  const std::string key = model::RangeKey(row);
  const double c = FirstInteger(FieldAt(row, '|', 3));
  const auto& st = state.RangeSets[r].Students;
  const auto n = static_cast<std::int32_t>(st.size());
  if (n == 0) return list;

  // The terms of every feature whose count in the class is off by 1 or more;
  // a student collects the terms of the features it has.
  auto deviation = [&](std::int32_t whole, std::int32_t in_class, double& e, double& dev) {
    e = whole / c;
    dev = std::fabs(in_class - e);
    return dev >= 1;
  };
  const double gender_level = ItemLevel(state, kGender);
  double e = 0, dev = 0;
  const double boy_term = deviation(info.GenderCounts[0].Boys, info.GenderCounts[p].Boys, e, dev)
                              ? gender_level * dev / e * 3
                              : 0;
  const double girl_term = deviation(info.GenderCounts[0].Girls, info.GenderCounts[p].Girls, e, dev)
                               ? gender_level * dev / e * 3
                               : 0;
  struct ValueTerm {
    std::size_t column;
    const std::string* value;
    double term;
  };
  std::vector<ValueTerm> value_terms;
  if (p < static_cast<std::int32_t>(info.ValueCounts.size())) {
    const auto& whole = info.ValueCounts[0].Items;
    const auto& mine = info.ValueCounts[p].Items;
    for (std::size_t j = 0; j < whole.size() && j < mine.size(); ++j) {
      const double level = ItemLevel(state, whole[j].ItemName);
      for (std::size_t t = 0; t < whole[j].Values.size() && t < mine[j].Values.size(); ++t) {
        if (deviation(whole[j].Values[t].Count, mine[j].Values[t].Count, e, dev)) {
          value_terms.push_back({j, &whole[j].Values[t].Value, level * dev / e});
        }
      }
    }
  }
  struct BandTerm {
    bool total;
    std::vector<std::size_t> subjects;  // every heading equal to the subject
    const std::string* condition;
    double term;
  };
  std::vector<BandTerm> band_terms;
  if (p < static_cast<std::int32_t>(info.BandCounts.size())) {
    const auto& whole = info.BandCounts[0];
    const auto& mine = info.BandCounts[p];
    const auto& heads = state.RangeSets[r].Headings.SubjectHeadings;
    for (std::size_t j = 0; j < whole.size() && j < mine.size(); ++j) {
      BandTerm base{whole[j].Subject == kTotal, {}, nullptr, 0};
      for (std::size_t h = 0; h < heads.size(); ++h) {
        if (heads[h] == whole[j].Subject) base.subjects.push_back(h);
      }
      for (std::size_t b = 0; b < whole[j].Bands.size() && b < mine[j].Bands.size(); ++b) {
        if (!deviation(whole[j].Bands[b].Count, mine[j].Bands[b].Count, e, dev)) continue;
        BandTerm t = base;
        t.condition = &whole[j].Bands[b].Condition;
        t.term = BandLevel(state, key, whole[j].Subject, *t.condition) * dev / e;
        band_terms.push_back(std::move(t));
      }
    }
  }

  std::int32_t from, to;
  if (HasBandRowFor(state, key)) {
    from = n - 1;
    to = 0;
  } else {
    from = static_cast<std::int32_t>(std::trunc((n - 1) * 0.95));
    to = static_cast<std::int32_t>(std::trunc((n - 1) * 0.15));
  }
  std::vector<double> read_back;  // the scores of `list` as written and read back
  for (std::int32_t i = from; i >= to; --i) {
    const model::student& s = st[i];
    if (s.AssignedClass != class_id || s.PresetClass >= 0) continue;
    double score = 0;
    if (s.Gender == kBoy) score += boy_term;
    if (s.Gender == kGirl) score += girl_term;
    for (const auto& v : value_terms) {
      if (v.column < s.BalanceValues.size() && s.BalanceValues[v.column] == *v.value) {
        score += v.term;
      }
    }
    for (const auto& b : band_terms) {
      if (b.total) {
        if (model::ConditionHolds(*b.condition, s.Total)) score += b.term;
        continue;
      }
      for (std::size_t h : b.subjects) {
        if (h < s.Scores.size() && model::ConditionHolds(*b.condition, s.Scores[h])) {
          score += b.term;
        }
      }
    }
    if (!(score > 0)) continue;
    const double rb = FastReadBack(score);
    const bool late = i > 0.42 * n;
    std::size_t at = list.size() + 1;  // beyond the end: not inserted
    if (list.empty()) {
      at = 0;
    } else {
      for (std::size_t e2 = 0; e2 < list.size(); ++e2) {
        if (rb > read_back[e2] || (rb == read_back[e2] && late)) {
          at = e2;
          break;
        }
        if (rb < read_back[e2] && e2 + 1 == list.size() && list.size() < kMaxCandidates) {
          at = list.size();
          break;
        }
      }
    }
    if (at > list.size()) continue;
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), {i, score});
    read_back.insert(read_back.begin() + static_cast<std::ptrdiff_t>(at), rb);
    if (list.size() > kMaxCandidates) {
      list.pop_back();
      read_back.pop_back();
    }
  }
  return list;
}

std::vector<std::int32_t> FallbackCandidates(const model::ProgramState& state, std::size_t r,
                                             std::int32_t class_id) {
  std::vector<std::int32_t> list;
  if (r >= state.RangeSets.size()) return list;
  const auto& st = state.RangeSets[r].Students;
  const auto n = static_cast<std::int32_t>(st.size());
  const std::int32_t from = std::min(n - 1, n - static_cast<std::int32_t>(std::trunc(0.12 * n)));
  const auto to = static_cast<std::int32_t>(std::trunc(0.13 * n));
  for (std::int32_t i = from; i >= to && i >= 0 && list.size() < kMaxFallback; --i) {
    if (st[i].AssignedClass == class_id && st[i].PresetClass < 0) list.push_back(i);
  }
  return list;
}

}  // namespace tessaly::engine
