// Group exchanges of the deep optimiser: three students of one class trade
// places with three of another whose headcount features are the same taken
// together (two boys and a girl for two boys and a girl, the same boarders,
// talents and bands), so that no headcount moves at all, while the averages
// of the two classes move towards each other. A single exchange that keeps
// every headcount needs two students of the same kind, of whom a class has
// few; three for three have thousands of combinations per pair of classes,
// and among them ones whose scores, summed, differ by nearly what the two
// classes' averages need. This is what narrows the averages once single
// exchanges no longer find anything.
//
// Per class the triples of its movable students (all of them, or a sample
// where a class has too many) are listed with the sum of their features'
// hashes and of their scores, sorted by the hash; two classes' lists are
// joined on equal hashes, and the pair of triples that brings the two
// classes' averages closest together is priced exactly and made when it
// lowers the search's measure, keeps the guards and the rank of the start,
// and adds no pair of namesakes.

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <limits>

#include "adjust/deep_search_state.h"

namespace tessaly::adjust::deep {
namespace {

constexpr std::uint64_t kIndexMask = (std::uint64_t{1} << 24) - 1;
// Exchanges of one pair of classes in one sweep, at most.
constexpr int kRepeats = 16;

}  // namespace

void Search::HashStudents() {
  // A hash per feature, so that a group's key, the sum of its students'
  // hashes, tells its multiset of features (a collision only costs a wasted
  // pricing: every exchange is priced in full).
  student_hash_.assign(n_, 0);
  std::vector<std::uint64_t> feature_hash(F_);
  for (std::int32_t f = 0; f < F_; ++f) {
    feature_hash[f] = SplitMix(static_cast<std::uint64_t>(f) + 1);
  }
  for (std::int32_t i = 0; i < n_; ++i) {
    for (std::int32_t f = fstart_[i]; f < fstart_[i + 1]; ++f) {
      student_hash_[i] += feature_hash[fids_[f]];
    }
  }
}

void Search::BuildTriples(std::int32_t k, const DeepTuning& tuning, DeepRandom& rng) {
  Triples& t = triples_[k];
  t.key.clear();
  t.who.clear();
  const auto& m = members_[k];
  const std::size_t n = m.size();
  if (n < 3) {
    t.sums.clear();
    return;
  }
  const double all = static_cast<double>(n) * (n - 1) * (n - 2) / 6;
  const std::size_t cap =
      static_cast<std::size_t>(std::clamp(tuning.group_cap, 1.0, static_cast<double>(kIndexMask)));
  std::vector<std::array<std::int32_t, 3>> picked;
  if (all <= static_cast<double>(cap)) {
    picked.reserve(static_cast<std::size_t>(all));
    for (std::size_t a = 0; a < n; ++a) {
      for (std::size_t b = a + 1; b < n; ++b) {
        for (std::size_t c = b + 1; c < n; ++c) picked.push_back({m[a], m[b], m[c]});
      }
    }
  } else {
    // A sample of distinct members; a triple drawn twice costs nothing.
    picked.reserve(cap);
    const auto size = static_cast<std::uint32_t>(n);
    while (picked.size() < cap) {
      const std::uint32_t a = rng.Below(size), b = rng.Below(size), c = rng.Below(size);
      if (a != b && a != c && b != c) picked.push_back({m[a], m[b], m[c]});
    }
  }
  // Sorted by key: the key's upper 40 bits above the triple's index (a
  // class lists far fewer than 2^24 triples), one plain sort of numbers.
  std::vector<std::uint64_t> order(picked.size());
  for (std::size_t i = 0; i < picked.size(); ++i) {
    const auto& p = picked[i];
    const std::uint64_t key = student_hash_[p[0]] + student_hash_[p[1]] + student_hash_[p[2]];
    order[i] = (key & ~kIndexMask) | i;
  }
  std::sort(order.begin(), order.end());
  t.key.resize(order.size());
  t.who.resize(order.size());
  t.sums.assign(order.size() * D_, 0);
  t.total.resize(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    t.key[i] = order[i] & ~kIndexMask;
    t.who[i] = picked[order[i] & kIndexMask];
    const auto& w = t.who[i];
    float* sum = &t.sums[i * D_];
    for (std::int32_t d = 0; d < D_; ++d) {
      sum[d] = static_cast<float>(val_[w[0] * D_ + d]) + static_cast<float>(val_[w[1] * D_ + d]) +
               static_cast<float>(val_[w[2] * D_ + d]);
    }
    t.total[i] = sum[0];
  }
  t.stale = false;
}

double Search::PairShift(std::int32_t A, std::int32_t B) {
  // The scores that go from B to A, summed, less those from A to B: a shift
  // s moves the deviations to e_A + s / n_A and e_B - s / n_B, and the
  // measure of the two classes by w (s - x)^2 per dimension, least at
  // x = (e_B / n_B - e_A / n_A) / (1 / n_A^2 + 1 / n_B^2) with
  // w = weight * (1 / n_A^2 + 1 / n_B^2). The sum of w x^2 is what the
  // two classes could gain at most.
  shift_.assign(D_, 0);
  shift_weight_.assign(D_, 0);
  double gain = 0;
  for (std::int32_t d = 0; d < D_; ++d) {
    const double nA = cnt_[A * D_ + d], nB = cnt_[B * D_ + d];
    if (nA <= 0 || nB <= 0 || wd_[d] <= 0) continue;
    const double q = 1 / (nA * nA) + 1 / (nB * nB);
    shift_[d] = (dev_[B * D_ + d] / nB - dev_[A * D_ + d] / nA) / q;
    shift_weight_[d] = wd_[d] * q;
    gain += shift_weight_[d] * shift_[d] * shift_[d];
  }
  return gain;
}

bool Search::ExchangeTriples(std::int32_t A, std::int32_t B) {
  const Triples& ta = triples_[A];
  const Triples& tb = triples_[B];
  // A pair of triples is ranked by how far its shift is from the best one.
  const double now = PairShift(A, B);
  const std::vector<double>& x = shift_;
  const std::vector<double>& w = shift_weight_;
  // The best few pairs of triples, best first: the first may be refused
  // (a pair of namesakes, a bound), the next then tried.
  constexpr int kTried = 4;
  struct Candidate {
    double r;
    std::size_t p, q;
  };
  std::array<Candidate, kTried> top;
  int kept = 0;
  double best = now;  // what the last kept candidate must beat
  // The two lists merged; equal keys are rare, so the steps past unequal
  // ones are made without a branch.
  const std::uint64_t* ka = ta.key.data();
  const std::uint64_t* kb = tb.key.data();
  const std::size_t na = ta.key.size(), nb = tb.key.size();
  std::size_t i = 0, j = 0;
  while (i < na && j < nb) {
    const std::uint64_t u = ka[i], v = kb[j];
    if (u != v) [[likely]] {
      i += u < v;
      j += v < u;
      continue;
    }
    std::size_t i2 = i, j2 = j;
    while (i2 < na && ka[i2] == u) ++i2;
    while (j2 < nb && kb[j2] == u) ++j2;
    for (std::size_t p = i; p < i2; ++p) {
      const double target = static_cast<double>(ta.total[p]) + x[0];
      for (std::size_t q = j; q < j2; ++q) {
        // The total first, from its own array: most pairs end there.
        const double z0 = static_cast<double>(tb.total[q]) - target;
        double r = w[0] * z0 * z0;
        if (r >= best) continue;
        const float* sa = &ta.sums[p * D_];
        const float* sb = &tb.sums[q * D_];
        for (std::int32_t d = 1; d < D_ && r < best; ++d) {
          const double z = static_cast<double>(sb[d]) - sa[d] - x[d];
          r += w[d] * z * z;
        }
        if (r >= best) continue;
        int at = kept < kTried ? kept++ : kTried - 1;
        while (at > 0 && top[at - 1].r > r) top[at] = top[at - 1], --at;
        top[at] = {r, p, q};
        if (kept == kTried) best = top[kTried - 1].r;
      }
    }
    i = i2;
    j = j2;
  }
  for (int c = 0; c < kept; ++c) {
    // Priced in full: made one exchange at a time, namesakes checked on each.
    const auto a = ta.who[top[c].p], b = tb.who[top[c].q];
    const double before = Cost();
    int made = 0;
    for (; made < 3; ++made) {
      if (!RulesAllow(a[made], b[made])) break;
      Apply(a[made], b[made]);
    }
    if (made == 3 && Cost() < before - kEpsilon && Acceptable() &&
        DimSpread(0) <= group_total_bound_ && Widest() <= group_widest_bound_) {
      UpdateTriples(A, a, b);
      UpdateTriples(B, b, a);
      return true;
    }
    while (made-- > 0) Apply(a[made], b[made]);
  }
  return false;
}

// After an exchange the students that came in take the places of those who
// left, in every triple of the class: only those triples change, and they
// are merged back into the order of the rest.
void Search::UpdateTriples(std::int32_t k, const std::array<std::int32_t, 3>& left,
                           const std::array<std::int32_t, 3>& came) {
  Triples& t = triples_[k];
  const std::size_t size = t.key.size();
  std::vector<std::uint32_t> kept, changed;
  kept.reserve(size);
  for (std::size_t i = 0; i < size; ++i) {
    bool hit = false;
    for (std::int32_t& s : t.who[i]) {
      for (int m = 0; m < 3; ++m) {
        if (s == left[m]) s = came[m], hit = true;
      }
    }
    if (!hit) {
      kept.push_back(static_cast<std::uint32_t>(i));
      continue;
    }
    changed.push_back(static_cast<std::uint32_t>(i));
    const auto& w = t.who[i];
    t.key[i] = (student_hash_[w[0]] + student_hash_[w[1]] + student_hash_[w[2]]) & ~kIndexMask;
    float* sum = &t.sums[i * D_];
    for (std::int32_t d = 0; d < D_; ++d) {
      sum[d] = static_cast<float>(val_[w[0] * D_ + d]) + static_cast<float>(val_[w[1] * D_ + d]) +
               static_cast<float>(val_[w[2] * D_ + d]);
    }
    t.total[i] = sum[0];
  }
  if (changed.empty()) return;
  auto by_key = [&](std::uint32_t x, std::uint32_t y) { return t.key[x] < t.key[y]; };
  std::sort(changed.begin(), changed.end(), by_key);
  std::vector<std::uint32_t> order(size);
  std::merge(kept.begin(), kept.end(), changed.begin(), changed.end(), order.begin(), by_key);
  Triples sorted;
  sorted.key.resize(size);
  sorted.who.resize(size);
  sorted.sums.resize(size * D_);
  sorted.total.resize(size);
  for (std::size_t i = 0; i < size; ++i) {
    sorted.key[i] = t.key[order[i]];
    sorted.total[i] = t.total[order[i]];
    sorted.who[i] = t.who[order[i]];
    std::copy_n(&t.sums[order[i] * D_], D_, &sorted.sums[i * D_]);
  }
  sorted.stale = false;
  t = std::move(sorted);
}

std::int64_t Search::GroupExchanges(const DeepTuning& tuning, DeepRandom& rng,
                                    std::chrono::steady_clock::time_point deadline) {
  if (tuning.group_sweeps <= 0 || c_ < 2) return 0;
  HashStudents();
  triples_.assign(c_, {});
  // As in the polish: the total gets no wider than its target or than the
  // search left it, the widest average over its target no wider either.
  group_total_bound_ = std::max(DimSpread(0), kTotalTarget) + kEpsilon;
  group_widest_bound_ = std::max(Widest(), 1.0) + kEpsilon;
  std::int64_t made = 0;
  bool out_of_time = false;
  // Per class the exchanges it took part in; per pair of classes those of
  // its two classes when the pair last found nothing.
  std::vector<std::int64_t> version(c_, 0);
  std::vector<std::pair<std::int64_t, std::int64_t>> failed(static_cast<std::size_t>(c_) * c_,
                                                            {-1, -1});
  std::vector<std::int32_t> best = cls_;
  Standing best_standing = Measure();
  auto keep_best = [&] {
    const Standing now = Measure();
    if (now < best_standing) best_standing = now, best = cls_;
  };
  // Every sweep takes the pairs of classes that could gain most first, and
  // only the share of them that gains most of all.
  std::vector<std::pair<double, std::pair<std::int32_t, std::int32_t>>> pairs;
  const std::size_t all = static_cast<std::size_t>(c_) * (c_ - 1) / 2;
  const std::size_t taken = std::clamp<std::size_t>(
      static_cast<std::size_t>(std::ceil(tuning.group_pair_share * static_cast<double>(all))),
      std::min<std::size_t>(all, static_cast<std::size_t>(c_ - 1)), all);
  for (int sweep = 0; sweep < tuning.group_sweeps; ++sweep) {
    pairs.clear();
    for (std::int32_t A = 0; A < c_; ++A) {
      for (std::int32_t B = A + 1; B < c_; ++B) pairs.push_back({-PairShift(A, B), {A, B}});
    }
    std::sort(pairs.begin(), pairs.end());
    std::int64_t here = 0;
    for (std::size_t p = 0; p < taken; ++p) {
      const auto [A, B] = pairs[p].second;
      if (std::chrono::steady_clock::now() > deadline) {
        out_of_time = true;
        break;
      }
      // A pair that found nothing is passed over until one of its classes
      // changes: what it could exchange depends on its two classes (on the
      // others only through the bounds, which rarely decide).
      std::pair<std::int64_t, std::int64_t>& tried = failed[A * c_ + B];
      if (tried.first == version[A] && tried.second == version[B]) continue;
      if (triples_[A].stale) BuildTriples(A, tuning, rng);
      if (triples_[B].stale) BuildTriples(B, tuning, rng);
      // A pair exchanges again while it still gains, a few times at most.
      int again = 0;
      while (again < kRepeats && ExchangeTriples(A, B)) ++again;
      here += again;
      if (again > 0) {
        ++version[A];
        ++version[B];
        keep_best();
      } else {
        tried = {version[A], version[B]};
      }
    }
    made += here;
    if (here == 0 || out_of_time) break;
  }
  triples_.clear();
  // The measure is a sum over every class, so the widest average may widen
  // again on the way (within the bound): the result is the placement that
  // ranked best.
  if (cls_ != best) Reset(best);
  return 3 * made;
}

}  // namespace tessaly::adjust::deep
