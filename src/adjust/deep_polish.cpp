#include <algorithm>
#include <chrono>
#include <cmath>

#include "adjust/deep_search_state.h"

namespace tessaly::adjust::deep {

double Search::PolishTerm(std::int32_t d, double dev) const {
  double x = dev * pscale_[d];
  x *= x;
  for (int q = 1; q < squarings_; ++q) x *= x;
  return x;
}

double Search::PolishDelta(std::int32_t a, std::int32_t b) const {
  double delta = 0;
  ForEachChangedAverage(
      a, b, [&](std::int32_t d, double oldA, double newA, double oldB, double newB) {
        if (pscale_[d] == 0) return;
        delta +=
            PolishTerm(d, newA) - PolishTerm(d, oldA) + PolishTerm(d, newB) - PolishTerm(d, oldB);
      });
  return delta;
}

// Every head that changes class goes from a class with more of its kind to
// one with fewer, so no headcount gets wider apart.
bool Search::CountsNarrow(std::int32_t a, std::int32_t b) const {
  const std::int32_t* nA = &nf_[cls_[a] * F_];
  const std::int32_t* nB = &nf_[cls_[b] * F_];
  return ForEachMovedFeature(a, b, [&](std::int32_t f, bool from_A) {
    return from_A ? nB[f] + 1 <= nA[f] : nA[f] + 1 <= nB[f];
  });
}

bool Search::PairCountsNarrow(std::int32_t a, std::int32_t b, std::int32_t d, std::int32_t c) {
  const std::int32_t A = cls_[a], B = cls_[b];
  if (!fmask_.empty()) {
    // The heads of a feature that go to B (of a and d) less those that come
    // back (of b and c), read off the students' feature masks.
    const std::uint64_t ma = fmask_[a], md = fmask_[d], mb = fmask_[b], mc = fmask_[c];
    const std::int32_t* nA = &nf_[A * F_];
    const std::int32_t* nB = &nf_[B * F_];
    for (std::uint64_t u = ma | md | mb | mc; u != 0; u &= u - 1) {
      const int f = __builtin_ctzll(u);
      const std::uint64_t bit = std::uint64_t{1} << f;
      const std::int32_t m =
          ((ma & bit) != 0) + ((md & bit) != 0) - ((mb & bit) != 0) - ((mc & bit) != 0);
      const std::int32_t gap = nA[f] - nB[f];
      if ((m > 0 && gap < m) || (m < 0 && gap > m)) return false;
    }
    return true;
  }
  const std::int32_t students[4] = {a, d, b, c};
  for (int s = 0; s < 4; ++s) {
    for (std::int32_t f = fstart_[students[s]]; f < fstart_[students[s] + 1]; ++f) {
      net_[fids_[f]] += s < 2 ? 1 : -1;
    }
  }
  bool narrow = true;
  for (int s = 0; s < 4; ++s) {
    for (std::int32_t f = fstart_[students[s]]; f < fstart_[students[s] + 1]; ++f) {
      const std::int32_t m = net_[fids_[f]];
      const std::int32_t gap = nf_[A * F_ + fids_[f]] - nf_[B * F_ + fids_[f]];
      if ((m > 0 && gap < m) || (m < 0 && gap > m)) narrow = false;
    }
  }
  for (int s = 0; s < 4; ++s) {
    for (std::int32_t f = fstart_[students[s]]; f < fstart_[students[s] + 1]; ++f) {
      net_[fids_[f]] = 0;
    }
  }
  return narrow;
}

double Search::Compound(std::int32_t a, std::int32_t b, double delta, double total_bound,
                        double widest_bound, DeepRandom& rng) {
  const std::int32_t A = cls_[a], B = cls_[b];
  const auto& inA = members_[A];
  const auto& inB = members_[B];
  if (inA.size() < 2 || inB.size() < 2) return 0;
  // d leaves A for B: half the time one of b's headcount features, which a
  // partner of a's features in B then balances exactly.
  const std::uint32_t start = rng.Below(static_cast<std::uint32_t>(inA.size()));
  std::int32_t d = -1;
  if (rng.Unit() < 0.5) {
    for (std::size_t i = 0; i < inA.size() && d < 0; ++i) {
      const std::int32_t s = inA[(start + i) % inA.size()];
      if (s != a && kind_of_[s] == kind_of_[b]) d = s;
    }
  }
  if (d < 0) d = inA[start] != a ? inA[start] : inA[(start + 1) % inA.size()];
  std::vector<std::int32_t> fits;
  for (std::int32_t c : inB) {
    if (c != b && PairCountsNarrow(a, b, d, c)) fits.push_back(c);
  }
  if (fits.empty() || !RulesAllow(a, b)) return 0;
  Apply(a, b);
  double best = -kEpsilon;
  std::int32_t pick = -1;
  for (std::int32_t c : fits) {
    const double total = delta + PolishDelta(d, c);
    if (total < best && RulesAllow(d, c)) best = total, pick = c;
  }
  if (pick >= 0) {
    Apply(d, pick);
    if (DimSpread(0) <= total_bound && Widest() <= widest_bound) return best;
    Apply(d, pick);
  }
  Apply(a, b);
  return 0;
}

// A dimension drawn with the pull of its spread over its target.
std::int32_t Search::ExtremeDimension(DeepRandom& rng) const {
  const double pick = rng.Unit() * roulette_.back();
  return static_cast<std::int32_t>(std::upper_bound(roulette_.begin(), roulette_.end(), pick) -
                                   roulette_.begin());
}

double Search::Widest() const {
  double widest = 0;
  for (std::int32_t d = 0; d < D_; ++d) {
    if (pscale_[d] > 0) {
      widest = std::max(widest, DimSpread(d) / (d == 0 ? kTotalTarget : kSubjectTarget));
    }
  }
  return widest;
}

double Search::PolishCost() const {
  double cost = 0;
  for (std::int32_t k = 0; k < c_; ++k) {
    for (std::int32_t d = 0; d < D_; ++d) {
      if (pscale_[d] > 0) cost += PolishTerm(d, dev_[k * D_ + d]);
    }
  }
  return cost;
}

// An exchange for the polish: most take a student out of the class that
// holds the highest or lowest average of a wide dimension, half of those
// into the class at the other end.
std::pair<std::int32_t, std::int32_t> Search::PolishProposal(const DeepTuning& tuning,
                                                             DeepRandom& rng) const {
  if (rng.Unit() < tuning.extreme_share) {
    const std::int32_t d = ExtremeDimension(rng);
    std::int32_t hi = 0, lo = 0;
    for (std::int32_t k = 1; k < c_; ++k) {
      if (dev_[k * D_ + d] > dev_[hi * D_ + d]) hi = k;
      if (dev_[k * D_ + d] < dev_[lo * D_ + d]) lo = k;
    }
    if (rng.Unit() < 0.5) std::swap(hi, lo);
    const auto& from = members_[hi];
    if (!from.empty()) {
      const std::int32_t a = from[rng.Below(static_cast<std::uint32_t>(from.size()))];
      const auto& to = members_[lo];
      if (rng.Unit() < 0.5 && !to.empty()) {
        return {a, to[rng.Below(static_cast<std::uint32_t>(to.size()))]};
      }
      return {a, Partner(a, rng, tuning)};
    }
  }
  const std::int32_t a = movable_[rng.Below(static_cast<std::uint32_t>(movable_.size()))];
  return {a, Partner(a, rng, tuning)};
}

// Annealing on the polish measure (none at temperature 0), then greedy,
// keeping the best placement whose guards hold and whose measure of the
// search stays within `ceiling`. No placement on the way widens the total
// past its target or the widest average, both over their targets. Returns the exchanges
// made.
std::int64_t Search::Polish(const DeepTuning& tuning, DeepRandom& rng, std::int64_t steps,
                            double ceiling, std::chrono::steady_clock::time_point deadline) {
  roulette_.assign(D_, 0);
  auto pull = [&] {
    double acc = 0;
    for (std::int32_t d = 0; d < D_; ++d) {
      const double r = pscale_[d] * DimSpread(d) / 2;
      acc += pscale_[d] > 0 ? r * r * r * r : 0;
      roulette_[d] = acc;
    }
    return acc > 0;
  };
  if (!pull()) return 0;
  // The total gets no wider than its target or the search left it, and the
  // widest average over its target no wider than the search left it.
  const double total_bound = std::max(DimSpread(0), kTotalTarget) + kEpsilon;
  const double widest_bound = std::max(Widest(), 1.0) + kEpsilon;
  // The start temperature: a share of the measure's mean term.
  const double t0 = tuning.polish_temperature * PolishCost() / (c_ * D_);
  const std::int64_t annealing = static_cast<std::int64_t>(steps * (1 - tuning.finish_share));
  const double cooling = annealing > 0 ? std::log(1e-3) / annealing : 0;
  double cur = PolishCost(), best_cost = cur;
  std::vector<std::int32_t> best = cls_;
  double temperature = t0;
  std::int64_t made = 0;
  for (std::int64_t it = 0; it < steps; ++it) {
    if ((it & 63) == 0) {
      if ((it & 1023) == 0 && std::chrono::steady_clock::now() > deadline) break;
      if (!pull()) break;  // every balanced average level: nothing left to narrow
      temperature = it < annealing ? t0 * std::exp(cooling * it) : 0;
    }
    const auto [a, b] = PolishProposal(tuning, rng);
    if (cls_[a] == cls_[b]) continue;
    const double delta = PolishDelta(a, b);
    bool single = true;
    if (delta >= 0) {
      single = temperature > 0 && delta <= 30 * temperature &&
               rng.Unit() < std::exp(-delta / temperature);
    }
    if (single && CountsNarrow(a, b) && RulesAllow(a, b)) {
      Apply(a, b);
      if (DimSpread(0) > total_bound || Widest() > widest_bound) {
        Apply(a, b);  // undone
        continue;
      }
      ++made;
      cur += delta;
    } else {
      // An exchange the headcounts or the measure refuse may still pay
      // together with a second one between the same classes.
      if (delta >= 0 && rng.Unit() >= tuning.compound_share) continue;
      const double pair = Compound(a, b, delta, total_bound, widest_bound, rng);
      if (pair == 0) continue;
      made += 2;
      cur += pair;
    }
    if (cur < best_cost - kEpsilon && Acceptable() && Cost() <= ceiling) {
      cur = PolishCost();
      best_cost = cur;
      best = cls_;
    }
  }
  Reset(best);
  return made;
}

}  // namespace tessaly::adjust::deep
