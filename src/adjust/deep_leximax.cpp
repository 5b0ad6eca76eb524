// The final stage of the deep optimiser: exchanges aimed at the widest
// subject averages. After the search a range is even by its measure, a sum
// of squares, yet a teacher reads the widest subject first, and a sum of
// squares trades a little of the widest for much of the others. This stage
// orders placements by the list of the balanced subjects' spreads, sorted
// from the widest down, compared lexicographically: the widest first, then
// the next, and so on. Only an exchange that takes a student out of a class
// at an end of one of the widest subjects can narrow them: those classes
// are critical, and for every movable student of theirs every partner of
// another class whose total lies near enough is priced; the best exchange
// that keeps every bound is made, until none improves. Where no single
// exchange does, an exchange of two students of a critical class for two
// of another who hold the same headcounts taken together may still
// (deep_leximax_pairs.cpp); when neither does, the placement is a local
// optimum. Then a few random exchanges out of the critical classes perturb
// it, the descent starts again, and the best placement is kept: an
// iterated local search, which goes on as long as its budget allows. In a
// range of few classes most exchanges move a headcount past its bound, and a
// perturbation may find none, or only ones the descent undoes: after many
// rounds that end where they began, a perturbation may pass a headcount's
// bound by one head, which the next descent must mend before anything else.
//
// The bounds of every placement visited: every rule of the search (movable
// students only, sizes, namesakes, the teacher's groups, the guards of the
// measures that met their targets at the start); every balanced headcount
// no further apart than one, or than the search left it; the widest average
// over its target no wider than the search left it; and the average total
// within its target (0.1) once it is, compared exactly in whole steps of
// the totals. A total still wider than its target leads the order, so the
// stage first brings it within reach.
//
// The three highest and lowest classes of every dimension are kept, so that
// an exchange's new spreads are priced in a few operations per dimension.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

#include "adjust/deep_search_state.h"

namespace tessaly::adjust::deep {
namespace {

constexpr std::int32_t kNoBound = std::numeric_limits<std::int32_t>::max();
// The totals' steps tried for the exact comparison: a whole point, halves,
// quarters, fifths, tenths, twentieths, hundredths, thousandths.
constexpr std::int64_t kSteps[] = {1, 2, 4, 5, 10, 20, 100, 1000};
// How far a double spread may lie from the total's target and still need
// the exact comparison.
constexpr double kExactZone = 1e-7;
// How far the subjects may widen for a total over its target, in points.
constexpr double kSubjectSlack = 0.1;

template <typename Value>
void KeepExtremes(std::array<std::int32_t, 3>& high, std::array<std::int32_t, 3>& low,
                  std::int32_t classes, Value&& value) {
  high.fill(-1);
  low.fill(-1);
  for (std::int32_t k = 0; k < classes; ++k) {
    const double v = value(k);
    for (int i = 0; i < 3; ++i) {
      if (high[i] < 0 || v > value(high[i])) {
        for (int j = 2; j > i; --j) high[j] = high[j - 1];
        high[i] = k;
        break;
      }
    }
    for (int i = 0; i < 3; ++i) {
      if (low[i] < 0 || v < value(low[i])) {
        for (int j = 2; j > i; --j) low[j] = low[j - 1];
        low[i] = k;
        break;
      }
    }
  }
}

// The spread of a measure with classes A and B at the values given and
// every other class at value(k): the highest and lowest other class are
// the first of its three highest and lowest that is neither.
template <typename T, typename Value>
T SpreadAmong(const Search::Extremes& e, std::int32_t A, T vA, std::int32_t B, T vB,
              Value&& value) {
  T hi = std::max(vA, vB), lo = std::min(vA, vB);
  if (const std::int32_t k = Search::Extremes::Other(e.high, A, B); k >= 0) {
    hi = std::max(hi, value(k));
  }
  if (const std::int32_t k = Search::Extremes::Other(e.low, A, B); k >= 0) {
    lo = std::min(lo, value(k));
  }
  return hi - lo;
}

}  // namespace

void Search::PrepareWidest() {
  lex_dims_.clear();
  for (std::int32_t d = 1; d < D_; ++d) {
    if (pscale_[d] > 0) lex_dims_.push_back(d);
  }
  dim_bound_.assign(D_, std::numeric_limits<double>::infinity());
  fbound_.assign(F_, kNoBound);
  for (std::int32_t f = 0; f < F_; ++f) {
    if (wf_[f] > 0) {
      fbound_[f] = std::max(static_cast<std::int32_t>(kCountTarget),
                            static_cast<std::int32_t>(FeatureSpread(f)));
    }
  }
  for (const Guard& g : guards_) {
    if (g.feature) {
      fbound_[g.index] = std::min(fbound_[g.index], static_cast<std::int32_t>(std::floor(g.bound)));
    } else {
      dim_bound_[g.index] = std::min(dim_bound_[g.index], g.bound);
    }
  }
  // While the total is over its target it leads, and the subjects may
  // widen a little for it, never past their target or a tenth of a point
  // beyond the widest.
  double widest = 0;
  for (const std::int32_t d : lex_dims_) widest = std::max(widest, DimSpread(d));
  subject_cap_ = std::max(kSubjectTarget, widest + kSubjectSlack) + kEpsilon;
  // The totals' smallest step: every counted total a whole number of it.
  tstep_ = 0;
  for (const std::int64_t q : kSteps) {
    bool whole = true;
    for (std::int32_t i = 0; i < n_ && whole; ++i) {
      if (!has_[i * D_]) continue;
      const double u = val_[i * D_] * static_cast<double>(q);
      whole = std::abs(u - std::round(u)) < 1e-6 && std::abs(u) < 1e12;
    }
    if (whole) {
      tstep_ = static_cast<double>(q);
      break;
    }
  }
  const std::int32_t size = c_ > 0 ? n_ / c_ : 1;
  window_ = kTotalTarget * window_scale_ * std::max(1, size);
  dext_.resize(D_);
  fext_.resize(F_);
  RefreshWidest();
  window_of_.clear();
  if (total_hard_) {
    std::vector<std::pair<std::int32_t, std::int32_t>> windows(n_);
    for (std::int32_t i = 0; i < n_; ++i) windows[i] = WindowIn(by_total_, i);
    window_of_ = std::move(windows);
  }
}

void Search::RefreshWidest() {
  spread_.assign(D_, 0);
  for (std::int32_t d = 0; d < D_; ++d) {
    Extremes& e = dext_[d];
    KeepExtremes(e.high, e.low, c_, [&](std::int32_t k) { return dev_[k * D_ + d]; });
    spread_[d] = dev_[e.high[0] * D_ + d] - dev_[e.low[0] * D_ + d];
  }
  widest_dim_ = lex_dims_.empty() ? 0 : lex_dims_[0];
  for (const std::int32_t d : lex_dims_) {
    if (spread_[d] > spread_[widest_dim_]) widest_dim_ = d;
  }
  for (std::int32_t f = 0; f < F_; ++f) {
    if (fbound_[f] == kNoBound) continue;
    Extremes& e = fext_[f];
    KeepExtremes(e.high, e.low, c_,
                 [&](std::int32_t k) { return static_cast<double>(nf_[k * F_ + f]); });
  }
  heads_over_ = 0;
  bounded_ = tight_ = 0;
  if (!fmask_.empty()) {
    give_.assign(c_, 0);
    take_.assign(c_, 0);
  }
  for (std::int32_t f = 0; f < F_; ++f) {
    if (fbound_[f] == kNoBound) continue;
    const Extremes& e = fext_[f];
    const std::int32_t hi = nf_[e.high[0] * F_ + f], lo = nf_[e.low[0] * F_ + f];
    heads_over_ += HeadsPast(f);
    if (fmask_.empty()) continue;
    const std::uint64_t bit = std::uint64_t{1} << f;
    bounded_ |= bit;
    if (hi - lo == fbound_[f]) tight_ |= bit;
    for (std::int32_t k = 0; k < c_; ++k) {
      const std::int32_t v = nf_[k * F_ + f];
      if (v > lo) give_[k] |= bit;
      if (v < hi) take_[k] |= bit;
    }
  }
  total_hard_ = pscale_[0] > 0 && TotalWithin(-1, 0, 0, -1, 0, 0);
  KeyOf(spread_, heads_over_, total_hard_ ? 0 : TotalExcess(-1, 0, -1, 0), key_);
}

double Search::SpreadWith(std::int32_t d, std::int32_t A, double vA, std::int32_t B,
                          double vB) const {
  return SpreadAmong(dext_[d], A, vA, B, vB, [&](std::int32_t k) { return dev_[k * D_ + d]; });
}

std::int32_t Search::CountSpreadWith(std::int32_t f, std::int32_t A, std::int32_t vA,
                                     std::int32_t B, std::int32_t vB) const {
  return SpreadAmong(fext_[f], A, vA, B, vB, [&](std::int32_t k) { return nf_[k * F_ + f]; });
}

bool Search::TotalWithin(std::int32_t A, double sumA, std::int32_t cntA, std::int32_t B,
                         double sumB, std::int32_t cntB) const {
  auto sum_of = [&](std::int32_t k) { return k == A ? sumA : k == B ? sumB : sum_[k * D_]; };
  auto count_of = [&](std::int32_t k) { return k == A ? cntA : k == B ? cntB : cnt_[k * D_]; };
  if (tstep_ == 0) {
    double hi = -std::numeric_limits<double>::infinity(), lo = -hi;
    for (std::int32_t k = 0; k < c_; ++k) {
      const double v = count_of(k) > 0 ? sum_of(k) / count_of(k) : 0;
      hi = std::max(hi, v);
      lo = std::min(lo, v);
    }
    return hi - lo <= kTotalTarget + kEpsilon;
  }
  // Averages as fractions u / n of whole steps: the highest and the lowest
  // found by cross-multiplying, then 10 (u_hi n_lo - u_lo n_hi) <= step n_hi n_lo.
  using Wide = __int128;
  std::int64_t uh = 0, nh = 1, ul = 0, nl = 1;
  for (std::int32_t k = 0; k < c_; ++k) {
    const std::int32_t n = count_of(k);
    const std::int64_t u = n > 0 ? std::llround(sum_of(k) * tstep_) : 0;
    const std::int64_t m = n > 0 ? n : 1;
    if (k == 0 || Wide{u} * nh > Wide{uh} * m) uh = u, nh = m;
    if (k == 0 || Wide{u} * nl < Wide{ul} * m) ul = u, nl = m;
  }
  const Wide gap = Wide{uh} * nl - Wide{ul} * nh;
  return Wide{10} * gap <= Wide{static_cast<std::int64_t>(tstep_)} * nh * nl;
}

double Search::TotalExcess(std::int32_t A, double devA, std::int32_t B, double devB) const {
  double excess = 0;
  for (std::int32_t k = 0; k < c_; ++k) {
    const double dev = k == A ? devA : k == B ? devB : dev_[k * D_];
    excess += std::max(0.0, std::abs(dev) - kTotalTarget / 2);
  }
  return excess;
}

void Search::KeyOf(const std::vector<double>& spreads, std::int32_t heads_over, double excess,
                   std::vector<double>& key) const {
  const bool over = pscale_[0] > 0 && !total_hard_;
  key.resize(kSubjectsAt + lex_dims_.size());
  key[0] = heads_over;
  key[1] = over ? std::max(0.0, spreads[0] - kTotalTarget) : 0;
  key[2] = over ? excess : 0;
  for (std::size_t j = 0; j < lex_dims_.size(); ++j) key[kSubjectsAt + j] = spreads[lex_dims_[j]];
  std::sort(key.begin() + kSubjectsAt, key.end(), [](double x, double y) { return x > y; });
}

bool Search::CountsWithin(std::int32_t a, std::int32_t b) {
  const std::int32_t A = cls_[a], B = cls_[b];
  const std::int32_t* nA = &nf_[A * F_];
  const std::int32_t* nB = &nf_[B * F_];
  const std::int32_t slack = perturbing_ ? 1 : 0;
  cand_heads_over_ = heads_over_;
  if (!fmask_.empty() && heads_over_ == 0 && slack == 0) {
    // By masks, for every headcount at once: a moved head that leaves both
    // counts within the present highest and lowest is allowed; one that
    // passes them, where the headcount is as wide as its bound, widens it
    // past the bound.
    const std::uint64_t from_A = fmask_[a] & ~fmask_[b] & bounded_;
    const std::uint64_t from_B = fmask_[b] & ~fmask_[a] & bounded_;
    const std::uint64_t out = (from_A & ~(give_[A] & take_[B])) | (from_B & ~(give_[B] & take_[A]));
    if (out == 0) return true;
    if (out & tight_) return false;
  }
  return ForEachMovedFeature(a, b, [&](std::int32_t f, bool from_A) {
    if (fbound_[f] == kNoBound) return true;
    const std::int32_t move = from_A ? 1 : -1;
    const std::int32_t vA = nA[f] - move, vB = nB[f] + move;
    const Extremes& e = fext_[f];
    const std::int32_t hi = nf_[e.high[0] * F_ + f], lo = nf_[e.low[0] * F_ + f];
    // Both new counts within the present highest and lowest of a headcount
    // within its bound: no wider, so still within.
    if (hi - lo <= fbound_[f] && std::min(vA, vB) >= lo && std::max(vA, vB) <= hi) return true;
    // A headcount past its bound may narrow or stay, never widen.
    const std::int32_t next = CountSpreadWith(f, A, vA, B, vB);
    if (next > std::max(fbound_[f] + slack, hi - lo)) return false;
    cand_heads_over_ += std::max(0, next - fbound_[f]) - std::max(0, hi - lo - fbound_[f]);
    return true;
  });
}

bool Search::PriceWidest(std::int32_t a, std::int32_t b, double ceiling) {
  const std::int32_t A = cls_[a], B = cls_[b];
  std::copy(spread_.begin(), spread_.end(), nsp_.begin());
  bool ok = true;
  double totalA = dev_[A * D_], totalB = dev_[B * D_];
  ForEachChangedAverage(a, b, [&](std::int32_t d, double, double newA, double, double newB) {
    if (!ok) return;
    if (d == 0) totalA = newA, totalB = newB;
    nsp_[d] = SpreadWith(d, A, newA, B, newB);
    if (nsp_[d] > dim_bound_[d] || (d > 0 && pscale_[d] > 0 && nsp_[d] > ceiling)) ok = false;
  });
  if (!ok) return false;
  if (total_hard_ && nsp_[0] != spread_[0]) {
    if (nsp_[0] > kTotalTarget + kExactZone) return false;
    if (nsp_[0] > kTotalTarget - kExactZone) {
      const double dv = val_[b * D_] - val_[a * D_];
      const std::int32_t dh = has_[b * D_] - has_[a * D_];
      if (!TotalWithin(A, sum_[A * D_] + dv, cnt_[A * D_] + dh, B, sum_[B * D_] - dv,
                       cnt_[B * D_] - dh)) {
        return false;
      }
    }
  }
  if (!total_hard_) {
    for (const std::int32_t d : lex_dims_) {
      if (nsp_[d] > subject_cap_) return false;
    }
  }
  KeyOf(nsp_, cand_heads_over_, total_hard_ ? 0 : TotalExcess(A, totalA, B, totalB), cand_);
  return true;
}

void Search::ApplyWidest(std::int32_t a, std::int32_t b) {
  const std::int32_t A = cls_[a], B = cls_[b];
  placement_hash_ ^=
      PlacementTerm(a, A) ^ PlacementTerm(a, B) ^ PlacementTerm(b, B) ^ PlacementTerm(b, A);
  // Whoever changes class is listed by no class's pairs until listed anew.
  listed_in_[a] = listed_in_[b] = -1;
  Apply(a, b);
  for (const std::int32_t k : {A, B}) {
    for (const std::int32_t i : members_[k]) searched_[i] = 0;
    ++class_version_[k];
  }
  RefreshWidest();
}

std::vector<std::int32_t> Search::CriticalClasses() const {
  std::vector<std::int32_t> dims = lex_dims_;
  std::stable_sort(dims.begin(), dims.end(),
                   [&](std::int32_t x, std::int32_t y) { return spread_[x] > spread_[y]; });
  dims.resize(std::min<std::size_t>(dims.size(), static_cast<std::size_t>(subjects_)));
  if (pscale_[0] > 0 && !total_hard_) dims.insert(dims.begin(), 0);
  std::vector<std::int32_t> classes;
  auto add = [&](std::int32_t k) {
    if (std::find(classes.begin(), classes.end(), k) == classes.end()) classes.push_back(k);
  };
  // The ends of a headcount past its bound, which the descent mends first.
  for (std::int32_t f = 0; f < F_ && heads_over_ > 0; ++f) {
    if (fbound_[f] == kNoBound || HeadsPast(f) == 0) continue;
    add(fext_[f].high[0]);
    add(fext_[f].low[0]);
  }
  for (const std::int32_t d : dims) {
    // A class level with an end is as critical as the end itself.
    const Extremes& e = dext_[d];
    for (int i = 0; i < 3 && e.high[i] >= 0; ++i) {
      if (i == 0 || dev_[e.high[i] * D_ + d] >= dev_[e.high[0] * D_ + d] - kEpsilon) add(e.high[i]);
    }
    for (int i = 0; i < 3 && e.low[i] >= 0; ++i) {
      if (i == 0 || dev_[e.low[i] * D_ + d] <= dev_[e.low[0] * D_ + d] + kEpsilon) add(e.low[i]);
    }
  }
  return classes;
}

std::pair<std::int32_t, std::int32_t> Search::WindowIn(const std::vector<std::int32_t>& list,
                                                       std::int32_t a) const {
  // With the total within its target the window is fixed: found once.
  if (total_hard_ && &list == &by_total_ && !window_of_.empty()) return window_of_[a];
  const double t = val_[a * D_];
  // Wider while the total is over its target: its classes are further apart.
  const double w = window_ + (total_hard_ ? 0 : spread_[0] * n_ / std::max(1, c_));
  auto total = [&](std::int32_t i) { return val_[i * D_]; };
  const auto first = std::partition_point(list.begin(), list.end(),
                                          [&](std::int32_t i) { return total(i) > t + w; });
  const auto last =
      std::partition_point(first, list.end(), [&](std::int32_t i) { return total(i) >= t - w; });
  return {static_cast<std::int32_t>(first - list.begin()),
          static_cast<std::int32_t>(last - list.begin())};
}

bool Search::DescendWidest(DeepRandom& rng, std::int64_t budget, std::int64_t& priced,
                           std::chrono::steady_clock::time_point deadline) {
  std::vector<std::int32_t> students;
  for (;;) {
    // The students of the critical classes not yet searched since their
    // class last changed (a student whose search found nothing is passed
    // over until an exchange touches his class).
    students.clear();
    for (const std::int32_t k : CriticalClasses()) {
      for (const std::int32_t i : members_[k]) {
        if (!searched_[i]) students.push_back(i);
      }
    }
    for (std::size_t i = students.size(); i > 1; --i) {
      std::swap(students[i - 1], students[rng.Below(static_cast<std::uint32_t>(i))]);
    }
    bool moved = false;
    for (const std::int32_t a : students) {
      const auto [first, last] = WindowIn(by_total_, a);
      const std::int32_t A = cls_[a];
      pick_ = key_;
      std::int32_t partner = -1;
      for (std::int32_t r = first; r < last; ++r) {
        const std::int32_t b = by_total_[r];
        if (cls_[b] == A) continue;
        if (priced >= budget) return false;
        if ((++priced & 1023) == 0) {
          if (live_) live_->store(priced, std::memory_order_relaxed);
          if (std::chrono::steady_clock::now() > deadline) return false;
        }
        // Once the total is within its target no subject may end wider than
        // the widest of the best key so far: the widest subject first (one
        // dimension, the cheapest refusal), then all in the pricing.
        double ceiling = std::numeric_limits<double>::infinity();
        if (pick_[0] == 0 && pick_[1] == 0 && pick_[2] == 0 && pick_.size() > kSubjectsAt) {
          ceiling = pick_[kSubjectsAt] + kEpsilon;
          const std::int32_t d = widest_dim_;
          const std::int32_t B = cls_[b];
          const double dv = val_[b * D_ + d] - val_[a * D_ + d];
          const std::int32_t dh = has_[b * D_ + d] - has_[a * D_ + d];
          double newA, newB;
          if (dh == 0) {
            newA = dev_[A * D_ + d] + dv * inv_[A * D_ + d];
            newB = dev_[B * D_ + d] - dv * inv_[B * D_ + d];
          } else {
            const std::int32_t cA = cnt_[A * D_ + d] + dh, cB = cnt_[B * D_ + d] - dh;
            newA = (cA > 0 ? (sum_[A * D_ + d] + dv) / cA : 0) - ref_[d];
            newB = (cB > 0 ? (sum_[B * D_ + d] - dv) / cB : 0) - ref_[d];
          }
          if (SpreadWith(d, A, newA, B, newB) > ceiling) continue;
        }
        if (!CountsWithin(a, b)) continue;
        if (!PriceWidest(a, b, ceiling) || !Less(cand_, pick_) || !RulesAllow(a, b)) continue;
        pick_.swap(cand_);
        partner = b;
      }
      if (partner >= 0) {
        ApplyWidest(a, partner);
        moved = true;
        break;
      }
      searched_[a] = 1;
    }
    // No single exchange: two students for two may still narrow them.
    if (!moved && !DescendPairs(rng, budget, priced, deadline)) return true;
  }
}

void Search::PerturbWidest(DeepRandom& rng, int exchanges, std::int64_t budget,
                           std::int64_t& priced) {
  const std::vector<std::int32_t> critical = CriticalClasses();
  if (critical.empty()) return;
  // Stuck: a headcount may pass its bound by one head.
  perturbing_ = stuck_ >= stuck_limit_;
  for (int made = 0, tries = 0; made < exchanges && tries < 100 * exchanges; ++tries) {
    const auto& from = members_[critical[rng.Below(static_cast<std::uint32_t>(critical.size()))]];
    if (from.empty()) continue;
    const std::int32_t a = from[rng.Below(static_cast<std::uint32_t>(from.size()))];
    // A partner of a near total whom the headcount bounds allow.
    if (priced >= budget) break;
    ++priced;
    const auto [first, last] = WindowIn(by_total_, a);
    if (last <= first) continue;
    const std::int32_t b = by_total_[first + rng.Below(static_cast<std::uint32_t>(last - first))];
    if (cls_[b] == cls_[a] || !CountsWithin(a, b)) continue;
    // No subject much wider than the widest now.
    const double ceiling = total_hard_ && key_.size() > kSubjectsAt
                               ? key_[kSubjectsAt] * (1 + perturb_slack_) + kEpsilon
                               : std::numeric_limits<double>::infinity();
    if (PriceWidest(a, b, ceiling) && RulesAllow(a, b)) {
      ApplyWidest(a, b);
      ++made;
    }
  }
  perturbing_ = false;
}

std::int64_t Search::SearchWidest(const std::vector<std::int32_t>& classes,
                                  const DeepTuning& tuning, std::uint64_t seed, std::int64_t budget,
                                  std::chrono::steady_clock::time_point deadline,
                                  std::int64_t& priced, std::atomic<std::int64_t>* live) {
  live_ = live;
  std::vector<std::int32_t> start(n_, -1);
  for (std::int32_t i = 0; i < n_; ++i) {
    const auto it = std::find(class_ids_.begin(), class_ids_.end(), classes[i]);
    start[i] = it != class_ids_.end() ? static_cast<std::int32_t>(it - class_ids_.begin()) : -1;
  }
  Reset(start);
  subjects_ = std::max(1, tuning.leximax_subjects);
  window_scale_ = tuning.leximax_window;
  perturb_slack_ = tuning.perturb_slack;
  stuck_ = 0;
  stuck_limit_ = std::max(1, tuning.perturb_stuck_rounds);
  nsp_.assign(D_, 0);
  PrepareWidest();
  if (lex_dims_.empty() && !(pscale_[0] > 0 && !total_hard_)) return 0;
  searched_.assign(n_, 0);
  // The best placement with what was searched there, so that a return to it
  // does not search its local optimum again.
  std::vector<unsigned char> best_searched = searched_;
  PreparePairs(tuning.pair_exchanges, tuning.pairs_listed_anew);
  auto restore = [&](const std::vector<std::int32_t>& cls, const std::vector<unsigned char>& seen) {
    ResetWidest(cls);
    searched_ = seen;
  };
  DeepRandom rng(seed);
  std::vector<std::int32_t> best = cls_;
  std::vector<double> best_key = key_;
  for (;;) {
    const bool going = DescendWidest(rng, budget, priced, deadline);
    // Rounds in a row that ended on the best placement.
    stuck_ = cls_ == best ? stuck_ + 1 : 0;
    if (Less(key_, best_key)) {
      best = cls_;
      best_key = key_;
      best_searched = searched_;
    } else if (cls_ == best) {
      best_searched = searched_;
    } else {
      // A perturbation that led nowhere better: on from the best again
      // (an equal placement is kept, to wander across a plateau).
      if (Less(best_key, key_)) restore(best, best_searched);
    }
    // A round costs about as much as pricing an exchange per student (the
    // return to the best, the critical classes): counted, so that the
    // budget measures the time of small ranges too.
    priced += n_;
    if (live_) live_->store(priced, std::memory_order_relaxed);
    if (!going || priced >= budget || std::chrono::steady_clock::now() > deadline) break;
    PerturbWidest(rng,
                  1 + static_cast<int>(rng.Below(
                          static_cast<std::uint32_t>(std::max(1, tuning.perturb_exchanges)))),
                  budget, priced);
  }
  if (cls_ != best) restore(best, best_searched);
  // The bounds of the stage keep every placement acceptable; should one not
  // be, the stage's start stands.
  if (!Acceptable()) restore(start, best_searched);
  std::int64_t moved = 0;
  for (std::int32_t i = 0; i < n_; ++i) moved += cls_[i] != start[i];
  return moved;
}

}  // namespace tessaly::adjust::deep

namespace tessaly::adjust {

RangeOutcome SearchWidest(const RangeInput& input, const DeepTuning& tuning, RangeOutcome searched,
                          std::uint64_t seed, std::int64_t evaluations, double seconds,
                          std::atomic<std::int64_t>* live) {
  if (evaluations <= 0 || searched.classes.size() != input.classes.size()) return searched;
  deep::Search search(input, tuning);
  if (!search.Ready()) return searched;
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                           std::chrono::duration<double>(std::max(0.0, seconds)));
  std::int64_t priced = 0;
  searched.leximax_exchanges =
      search.SearchWidest(searched.classes, tuning, seed, evaluations, deadline, priced, live);
  searched.leximax_priced = priced;
  if (priced < evaluations && Clock::now() > deadline) searched.budget_reached = true;
  search.Conclude(searched);
  return searched;
}

}  // namespace tessaly::adjust
