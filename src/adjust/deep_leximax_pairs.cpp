// Exchanges of two students for two in the final stage of the deep
// optimiser. A single exchange moves every subject's class averages at once,
// in a class of a hundred by about as much as the widest subject's classes
// lie apart once the stage has worked a while, and most exchanges move a
// headcount past its bound or the total past its target: the descent soon
// finds none. Two students of one class and two of another who hold the
// same headcount features taken together (two boys for a boy and a girl
// would not do; a boy boarder and a girl day pupil for a girl boarder and a
// boy day pupil do) move no headcount, there are thousands of such pairs,
// and among them some whose summed scores differ by little in every
// subject, yet enough to narrow the widest without widening the rest.
//
// Per class every pair of its movable students is listed with the sum of
// its features' hashes (and of the scores it misses) and its scores summed,
// sorted by hash and then total. Two classes' lists are joined on equal
// hashes, only pairs whose totals keep the total's target are looked at,
// and of those only the ones whose every subject stays within its window
// are priced by the stage's order. A list is brought up to date after exchanges by
// dropping the pairs of students who left and merging in those of students
// who came, so that it is the same as one listed anew.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

#include "adjust/deep_search_state.h"

namespace tessaly::adjust::deep {
namespace {

// A class lists the pairs of at most this many of its students.
constexpr std::size_t kPairStudents = 300;
// How much wider than exact a window is: every pair found is priced in full.
constexpr double kWindowSlack = 1e-7;
// Mixed with a dimension for the hash of a score missing there.
constexpr std::uint64_t kMissingSalt = 0x6D697373696E6700ull;

}  // namespace

void Search::PreparePairs(bool on, bool anew) {
  pairs_on_ = on;
  pairs_anew_ = anew;
  if (on && student_hash_.size() != static_cast<std::size_t>(n_)) HashStudents();
  // A pair's key: its features' hashes and those of its missing scores,
  // summed. Joined pairs then miss the same scores as many times, and no
  // class's count of a score changes.
  pair_hash_.assign(on ? n_ : 0, 0);
  for (std::int32_t i = 0; i < static_cast<std::int32_t>(pair_hash_.size()); ++i) {
    pair_hash_[i] = student_hash_[i];
    for (std::int32_t d = 0; d < D_; ++d) {
      if (!has_[i * D_ + d]) {
        pair_hash_[i] += SplitMix(kMissingSalt + static_cast<std::uint64_t>(d));
      }
    }
  }
  pairs_.assign(on ? c_ : 0, {});
  class_version_.assign(c_, 0);
  listed_in_.assign(n_, -1);
  pairs_failed_.clear();
  placement_hash_ = 0;
  for (std::int32_t i = 0; i < n_; ++i) {
    if (cls_[i] >= 0) placement_hash_ ^= PlacementTerm(i, cls_[i]);
  }
}

void Search::ResetWidest(const std::vector<std::int32_t>& cls) {
  // A student whose class changes is listed nowhere, his classes' lists
  // are brought up to date when next joined.
  for (std::int32_t i = 0; i < n_; ++i) {
    if (cls_[i] == cls[i]) continue;
    listed_in_[i] = -1;
    for (const std::int32_t k : {cls_[i], cls[i]}) {
      if (k >= 0) {
        ++class_version_[k];
        placement_hash_ ^= PlacementTerm(i, k);
      }
    }
  }
  Reset(cls);
  RefreshWidest();
}

void Search::BuildPairs(std::int32_t k, std::int64_t& priced) {
  Pairs& p = pairs_[k];
  if (p.version == class_version_[k]) return;
  // The students listed now, the movable students of the class (the first
  // kPairStudents of a larger class, listed anew every time); those not
  // listed here since they came are new.
  std::vector<std::int32_t> now, fresh;
  for (const std::int32_t i : members_[k]) {
    if (now.size() == kPairStudents) {
      p.version = -1;
      break;
    }
    now.push_back(i);
  }
  if (p.version < 0) {
    for (const std::int32_t i : members_[k]) listed_in_[i] = -1;
  }
  for (const std::int32_t i : now) {
    if (listed_in_[i] != k) fresh.push_back(i);
  }
  // Counted as pricings: a pair kept costs about two, one listed anew six
  // (counted so when every list is listed anew too, for equal results).
  const std::int64_t N = static_cast<std::int64_t>(now.size());
  const std::int64_t F = static_cast<std::int64_t>(fresh.size());
  priced += N * (N - 1) + 4 * (F * (N - F) + F * (F - 1) / 2);
  if (pairs_anew_) {
    p.version = -1;
    for (const std::int32_t i : members_[k]) listed_in_[i] = -1;
    fresh = now;
  }
  struct Entry {
    std::uint64_t key;
    double total;
    std::int32_t a, b;
    bool operator<(const Entry& y) const {
      if (key != y.key) return key < y.key;
      if (total != y.total) return total < y.total;
      return a != y.a ? a < y.a : b < y.b;
    }
  };
  auto entry = [&](std::int32_t a, std::int32_t b) {
    if (b < a) std::swap(a, b);
    return Entry{pair_hash_[a] + pair_hash_[b], val_[a * D_] + val_[b * D_], a, b};
  };
  // The pairs of every new student with every other, two new ones once:
  // while they are paired, a new student is marked kNew, then kPaired.
  constexpr std::int32_t kNew = -2, kPaired = -3;
  for (const std::int32_t i : fresh) listed_in_[i] = kNew;
  std::vector<Entry> added;
  for (const std::int32_t i : fresh) {
    for (const std::int32_t y : now) {
      if (y != i && listed_in_[y] != kPaired) added.push_back(entry(i, y));
    }
    listed_in_[i] = kPaired;
  }
  std::sort(added.begin(), added.end());
  // The pairs kept: both students listed here since before (one who left
  // is listed nowhere, see ApplyWidest; one who came back is new again),
  // merged with the new ones in order.
  const std::size_t old = p.version >= 0 ? p.key.size() : 0;
  std::vector<std::uint32_t> kept;
  kept.reserve(old);
  for (std::size_t i = 0; i < old; ++i) {
    const auto& w = p.who[i];
    if (listed_in_[w[0]] == k && listed_in_[w[1]] == k) {
      kept.push_back(static_cast<std::uint32_t>(i));
    }
  }
  for (const std::int32_t i : fresh) listed_in_[i] = k;
  const std::size_t m = kept.size() + added.size();
  Pairs next;
  next.key.resize(m);
  next.who.resize(m);
  next.sums.resize(m * D_);
  const std::size_t om = p.key.size();
  std::size_t x = 0, y = 0;
  for (std::size_t i = 0; i < m; ++i) {
    bool from_old = y == added.size();
    if (!from_old && x < kept.size()) {
      const std::size_t o = kept[x];
      from_old = Entry{p.key[o], p.sums[o], p.who[o][0], p.who[o][1]} < added[y];
    }
    if (from_old) {
      const std::size_t o = kept[x++];
      next.key[i] = p.key[o];
      next.who[i] = p.who[o];
      for (std::int32_t d = 0; d < D_; ++d) next.sums[d * m + i] = p.sums[d * om + o];
    } else {
      const Entry& e = added[y++];
      next.key[i] = e.key;
      next.who[i] = {e.a, e.b};
      for (std::int32_t d = 0; d < D_; ++d) {
        next.sums[d * m + i] = val_[e.a * D_ + d] + val_[e.b * D_ + d];
      }
    }
  }
  next.version = class_version_[k];
  p = std::move(next);
}

void Search::PairWindows(std::int32_t A, std::int32_t B, double ceiling) {
  // A pair moves x in dimension d: A's deviation becomes a' = dA + x iA and
  // B's b' = dB - x iB. The spread, the highest of a', b' and the others'
  // highest H less the lowest of a', b' and the others' lowest L, stays
  // within U when a' and b' lie within [H - U, L + U] and |a' - b'| <= U:
  // each a bound on x.
  const double inf = std::numeric_limits<double>::infinity();
  xlo_.assign(D_, -inf);
  xhi_.assign(D_, inf);
  pair_dims_.clear();
  for (std::int32_t d = 0; d < D_; ++d) {
    double U = dim_bound_[d];
    if (d == 0) U = std::min(U, kTotalTarget);
    if (d > 0 && pscale_[d] > 0) U = std::min(U, ceiling);
    const double iA = inv_[A * D_ + d], iB = inv_[B * D_ + d];
    // A class without a score here: joined pairs miss it alike, x is 0.
    if (!std::isfinite(U) || iA <= 0 || iB <= 0) continue;
    U += kWindowSlack;
    const double dA = dev_[A * D_ + d], dB = dev_[B * D_ + d];
    const std::int32_t kH = Extremes::Other(dext_[d].high, A, B);
    const std::int32_t kL = Extremes::Other(dext_[d].low, A, B);
    const double H = kH >= 0 ? dev_[kH * D_ + d] : -inf;
    const double L = kL >= 0 ? dev_[kL * D_ + d] : inf;
    double lo = -inf, hi = inf;
    if (H - L > U) {
      lo = 1, hi = 0;  // the others alone are wider: nothing keeps it
    } else {
      if (H > -inf) {
        lo = std::max({lo, (H - U - dA) / iA, (dB - L - U) / iB});
        hi = std::min({hi, (L + U - dA) / iA, (dB - H + U) / iB});
      }
      lo = std::max(lo, (dB - dA - U) / (iA + iB));
      hi = std::min(hi, (dB - dA + U) / (iA + iB));
    }
    xlo_[d] = lo;
    xhi_[d] = hi;
    if (d > 0) pair_dims_.push_back(d);
  }
  std::sort(pair_dims_.begin(), pair_dims_.end(),
            [&](std::int32_t x, std::int32_t y) { return xhi_[x] - xlo_[x] < xhi_[y] - xlo_[y]; });
}

bool Search::BestPairs(std::int32_t A, std::int32_t B, std::array<std::int32_t, 4>& best,
                       std::int64_t budget, std::int64_t& priced) {
  BuildPairs(A, priced);
  BuildPairs(B, priced);
  const Pairs& pa = pairs_[A];
  const Pairs& pb = pairs_[B];
  const std::size_t na = pa.key.size(), nb = pb.key.size();
  PairWindows(A, B, pick_[kSubjectsAt] + kEpsilon);
  const double lo = xlo_[0], hi = xhi_[0];
  if (!(lo <= hi)) return false;
  const double* ta = pa.sums.data();  // the totals come first
  const double* tb = pb.sums.data();
  bool found = false;
  std::size_t i = 0, j = 0;
  while (i < na && j < nb) {
    const std::uint64_t u = pa.key[i], v = pb.key[j];
    if (u != v) {
      i += u < v;
      j += v < u;
      continue;
    }
    std::size_t i2 = i, j2 = j;
    while (i2 < na && pa.key[i2] == u) ++i2;
    while (j2 < nb && pb.key[j2] == u) ++j2;
    // B's pairs of this key whose totals keep the total's target: both
    // lists sorted by total, the window slides up with A's pair.
    const double* first = tb + j;
    const double* last = tb + j;
    const double* end = tb + j2;
    for (std::size_t p = i; p < i2; ++p) {
      while (first < end && *first < ta[p] + lo) ++first;
      last = std::max(last, first);
      while (last < end && *last <= ta[p] + hi) ++last;
      for (const double* at = first; at < last; ++at) {
        if (priced >= budget) return found;
        ++priced;
        const std::size_t q = static_cast<std::size_t>(at - tb);
        bool within = true;
        for (const std::int32_t d : pair_dims_) {
          const double x = pb.sums[d * nb + q] - pa.sums[d * na + p];
          if (x < xlo_[d] || x > xhi_[d]) {
            within = false;
            break;
          }
        }
        if (!within) continue;
        for (std::int32_t d = 0; d < D_ && within; ++d) {
          const double x = pb.sums[d * nb + q] - pa.sums[d * na + p];
          nsp_[d] = SpreadWith(d, A, dev_[A * D_ + d] + x * inv_[A * D_ + d], B,
                               dev_[B * D_ + d] - x * inv_[B * D_ + d]);
          within = nsp_[d] <= dim_bound_[d];
        }
        if (!within) continue;
        KeyOf(nsp_, 0, 0, cand_);
        if (!Less(cand_, pick_)) continue;
        pick_.swap(cand_);
        best = {pa.who[p][0], pa.who[p][1], pb.who[q][0], pb.who[q][1]};
        found = true;
        PairWindows(A, B, pick_[kSubjectsAt] + kEpsilon);
      }
    }
    i = i2;
    j = j2;
  }
  // The join itself, counted as pricings: a step costs about half of one.
  priced += static_cast<std::int64_t>(na + nb) / 2;
  return found;
}

bool Search::DescendPairs(DeepRandom& rng, std::int64_t budget, std::int64_t& priced,
                          std::chrono::steady_clock::time_point deadline) {
  if (!pairs_on_ || !total_hard_ || heads_over_ > 0 || key_.size() <= kSubjectsAt) return false;
  // A placement where nothing was found is not searched again (a round of
  // the iterated search often ends where an earlier one did).
  if (pairs_failed_.count(placement_hash_) > 0) return false;
  const std::vector<std::int32_t> critical = CriticalClasses();
  std::vector<std::pair<std::int32_t, std::int32_t>> order;
  for (const std::int32_t A : critical) {
    for (std::int32_t B = 0; B < c_; ++B) {
      const bool both = std::find(critical.begin(), critical.end(), B) != critical.end();
      if (B != A && !(both && B < A)) order.push_back({A, B});
    }
  }
  // In random order: of equal keys the first found is kept.
  for (std::size_t i = order.size(); i > 1; --i) {
    std::swap(order[i - 1], order[rng.Below(static_cast<std::uint32_t>(i))]);
  }
  pick_ = key_;
  std::array<std::int32_t, 4> best{};
  bool found = false;
  for (const auto& [A, B] : order) {
    if (priced >= budget || std::chrono::steady_clock::now() > deadline) return false;
    found = BestPairs(A, B, best, budget, priced) || found;
    if (live_) live_->store(priced, std::memory_order_relaxed);
  }
  // A search cut short by the budget makes nothing: a longer budget, which
  // goes on searching from here, must pass through this placement too.
  if (priced >= budget) return false;
  auto failed = [&] {
    if (pairs_failed_.size() >= 1u << 20) pairs_failed_.clear();
    pairs_failed_.insert(placement_hash_);
    return false;
  };
  if (!found) return failed();
  // Made as two exchanges, each checked by the rules; kept when every
  // headcount of the two classes is as it was (a hash shared by different
  // features would move some), every spread within its bound, the total
  // within its target (checked exactly) and the key before the present one.
  const std::vector<double> before = key_;
  const std::int32_t A = cls_[best[0]];
  const std::vector<std::int32_t> heads(nf_.begin() + A * F_, nf_.begin() + (A + 1) * F_);
  if (!RulesAllow(best[0], best[2])) return failed();
  ApplyWidest(best[0], best[2]);
  if (!RulesAllow(best[1], best[3])) {
    ApplyWidest(best[0], best[2]);
    return failed();
  }
  ApplyWidest(best[1], best[3]);
  bool within = true;
  for (std::int32_t d = 0; d < D_; ++d) within = within && spread_[d] <= dim_bound_[d] + kEpsilon;
  if (!within || !std::equal(heads.begin(), heads.end(), nf_.begin() + A * F_) || heads_over_ > 0 ||
      !total_hard_ || !Less(key_, before)) {
    ApplyWidest(best[1], best[3]);
    ApplyWidest(best[0], best[2]);
    return failed();
  }
  return true;
}

}  // namespace tessaly::adjust::deep
