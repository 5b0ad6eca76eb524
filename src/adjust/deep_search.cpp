#include "adjust/deep_search.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <exception>
#include <limits>
#include <memory>
#include <numeric>
#include <thread>
#include <unordered_map>

#include "adjust/deep_search_state.h"

namespace tessaly::adjust {
namespace deep {

Search::Search(const RangeInput& in, const DeepTuning& tuning) : guard_(&in.guard) {
  const stats::RangeMeasures& m = in.measures;
  n_ = static_cast<std::int32_t>(in.classes.size());
  class_ids_ = m.class_ids;
  assigned_ = in.classes;
  c_ = static_cast<std::int32_t>(class_ids_.size());
  D_ = 1 + static_cast<std::int32_t>(m.subject_levels.size());
  F_ = static_cast<std::int32_t>(m.features.size());
  std::unordered_map<std::int32_t, std::int32_t> position;
  for (std::int32_t k = 0; k < c_; ++k) position.emplace(class_ids_[k], k);

  val_.assign(static_cast<std::size_t>(n_) * D_, 0.0);
  has_.assign(val_.size(), 0);
  std::vector<double> sum(D_, 0), sq(D_, 0);
  std::vector<std::int32_t> cnt(D_, 0);
  for (std::int32_t i = 0; i < n_; ++i) {
    // A student counts only with a positive total, a score only when positive.
    if (!(in.totals[i] > 0)) continue;
    for (std::int32_t d = 0; d < D_; ++d) {
      double v = 0;
      if (d == 0) {
        v = in.totals[i];
      } else if (static_cast<std::size_t>(d - 1) < in.scores[i].size()) {
        v = in.scores[i][d - 1];
      }
      if (!(v > 0)) continue;
      val_[i * D_ + d] = v;
      has_[i * D_ + d] = 1;
      sum[d] += v;
      sq[d] += v * v;
      ++cnt[d];
    }
  }
  const double class_size = c_ > 0 ? static_cast<double>(n_) / c_ : 1;
  ref_.assign(D_, 0);
  wd_.assign(D_, 0);
  std::vector<double> var(D_, 1);
  double subject_var = 0;
  for (std::int32_t d = 0; d < D_; ++d) {
    if (cnt[d] > 0) ref_[d] = sum[d] / cnt[d];
    const double v = cnt[d] > 0 ? sq[d] / cnt[d] - ref_[d] * ref_[d] : 0;
    if (v > 1e-12) var[d] = v;
    if (d > 0) subject_var += var[d] / (D_ - 1);
  }
  // A subject's deviation counts in units of the spread a class average of
  // it has by chance (sigma / sqrt(class size)), so that a subject with wide
  // scores does not drown the others. The total's points weigh like those
  // of an average subject, stressed further: its target is tighter.
  if (D_ == 1) subject_var = var[0];
  for (std::int32_t d = 0; d < D_; ++d) {
    const double level = std::max(0, d == 0 ? m.total_level : m.subject_levels[d - 1]);
    wd_[d] = d == 0 ? level * class_size / subject_var * tuning.total_stress
                    : level * class_size /
                          (std::pow(var[d], 1 - tuning.point_share) *
                           std::pow(subject_var, tuning.point_share));
  }

  pscale_.assign(D_, 0);
  squarings_ = std::clamp(tuning.polish_squarings, 1, 5);
  for (std::int32_t d = 0; d < D_; ++d) {
    if (wd_[d] > 0) {
      pscale_[d] = d == 0 ? 2 * tuning.polish_total_stress / kTotalTarget : 2 / kSubjectTarget;
    }
  }

  fstart_ = m.feature_start;
  fids_ = m.feature_ids;
  std::vector<std::int32_t> range_counts(F_, 0);
  for (std::int32_t f : fids_) ++range_counts[f];
  expected_.assign(F_, 0);
  wf_.assign(F_, 0);
  for (std::int32_t f = 0; f < F_; ++f) {
    expected_[f] = c_ > 0 ? static_cast<double>(range_counts[f]) / c_ : 0;
    wf_[f] = std::max(0, m.features[f].level) * tuning.count_weight;
  }

  cls_.assign(n_, -1);
  for (std::int32_t i = 0; i < n_; ++i) {
    const auto it = position.find(in.classes[i]);
    if (it != position.end()) cls_[i] = it->second;
    if (cls_[i] >= 0 && in.movable[i]) movable_.push_back(i);
  }
  orig_ = cls_;
  // With few features, a student's features as the bits of a mask.
  if (F_ <= 64) {
    fmask_.assign(n_, 0);
    for (std::int32_t i = 0; i < n_; ++i) {
      for (std::int32_t f = fstart_[i]; f < fstart_[i + 1]; ++f)
        fmask_[i] |= std::uint64_t{1} << fids_[f];
    }
  }

  // Namesakes: students sharing a non-empty sound key.
  std::unordered_map<std::string, std::int32_t> key_group;
  group_of_.assign(n_, -1);
  for (std::int32_t i = 0; i < n_; ++i) {
    if (in.sound_keys[i].empty()) continue;
    auto [it, added] =
        key_group.emplace(in.sound_keys[i], static_cast<std::int32_t>(groups_.size()));
    if (added) groups_.emplace_back();
    groups_[it->second].push_back(i);
  }
  for (auto& g : groups_) {
    if (g.size() < 2) continue;
    for (std::int32_t i : g) group_of_[i] = static_cast<std::int32_t>(&g - groups_.data());
  }

  // Partner pools: the same headcount features, and neighbours by total.
  std::unordered_map<std::string, std::int32_t> signature;
  kind_of_.assign(n_, -1);
  for (std::int32_t i : movable_) {
    std::string sig(reinterpret_cast<const char*>(&fids_[fstart_[i]]),
                    sizeof(std::int32_t) * (fstart_[i + 1] - fstart_[i]));
    auto [it, added] = signature.emplace(sig, static_cast<std::int32_t>(kinds_.size()));
    if (added) kinds_.emplace_back();
    kinds_[it->second].push_back(i);
    kind_of_[i] = it->second;
  }
  by_total_ = movable_;
  std::stable_sort(by_total_.begin(), by_total_.end(),
                   [&](std::int32_t a, std::int32_t b) { return in.totals[a] > in.totals[b]; });
  rank_in_total_.assign(n_, -1);
  for (std::size_t r = 0; r < by_total_.size(); ++r) rank_in_total_[by_total_[r]] = r;

  Reset(cls_);

  // Guards: the measures already within their targets keep their spread.
  for (std::int32_t d = 0; d < D_; ++d) {
    const double s = DimSpread(d);
    if (s <= (d == 0 ? kTotalTarget : kSubjectTarget)) guards_.push_back({false, d, s + kEpsilon});
  }
  for (std::int32_t f = 0; f < F_; ++f) {
    const double s = FeatureSpread(f);
    if (s <= kCountTarget) guards_.push_back({true, f, s + kEpsilon});
  }
  // The measure leans on the guarded terms, so that the search keeps to
  // placements that hold the guards.
  for (const Guard& g : guards_) (g.feature ? wf_ : wd_)[g.index] *= tuning.guard_weight;
  // The average total, what a teacher reads first, never ends wider than it
  // started even when it missed its target.
  if (DimSpread(0) > kTotalTarget) guards_.push_back({false, 0, DimSpread(0) + kEpsilon});
  // Nor does the result rank lower than the start as a teacher ranks it
  // (Standing): evening out the total must not leave another average wider
  // over its target than the widest was, nor more heads apart.
  start_standing_ = Measure();
  Reset(cls_);
}

void Search::Reset(const std::vector<std::int32_t>& cls) {
  cls_ = cls;
  sum_.assign(static_cast<std::size_t>(c_) * D_, 0);
  cnt_.assign(sum_.size(), 0);
  nf_.assign(static_cast<std::size_t>(c_) * F_, 0);
  net_.assign(F_, 0);
  for (std::int32_t i = 0; i < n_; ++i) {
    const std::int32_t k = cls_[i];
    if (k < 0) continue;
    for (std::int32_t d = 0; d < D_; ++d) {
      sum_[k * D_ + d] += val_[i * D_ + d];
      cnt_[k * D_ + d] += has_[i * D_ + d];
    }
    for (std::int32_t f = fstart_[i]; f < fstart_[i + 1]; ++f) ++nf_[k * F_ + fids_[f]];
  }
  inv_.assign(sum_.size(), 0);
  dev_.assign(sum_.size(), 0);
  for (std::size_t x = 0; x < sum_.size(); ++x) {
    const std::int32_t d = static_cast<std::int32_t>(x % D_);
    inv_[x] = cnt_[x] > 0 ? 1.0 / cnt_[x] : 0;
    dev_[x] = sum_[x] * inv_[x] - ref_[d];
  }
  acost_.resize(c_);
  for (std::int32_t k = 0; k < c_; ++k) acost_[k] = ClassAverageCost(k);
  members_.assign(c_, {});
  slot_.assign(n_, -1);
  for (std::int32_t i : movable_) {
    slot_[i] = static_cast<std::int32_t>(members_[cls_[i]].size());
    members_[cls_[i]].push_back(i);
  }
}

double Search::Cost() const {
  double cost = 0;
  for (std::int32_t k = 0; k < c_; ++k) {
    for (std::int32_t d = 0; d < D_; ++d) cost += wd_[d] * dev_[k * D_ + d] * dev_[k * D_ + d];
    for (std::int32_t f = 0; f < F_; ++f) {
      const double e = nf_[k * F_ + f] - expected_[f];
      cost += wf_[f] * e * e;
    }
  }
  return cost;
}

double Search::Delta(std::int32_t a, std::int32_t b, double limit) const {
  const std::int32_t A = cls_[a], B = cls_[b];
  double delta = CountDelta(a, b);
  // The averages of the two classes can gain at most their whole cost: an
  // exchange whose headcounts cost more than that plus the limit is refused
  // without pricing the averages.
  if (delta - acost_[A] - acost_[B] > limit) return delta;
  ForEachChangedAverage(a, b,
                        [&](std::int32_t d, double oldA, double newA, double oldB, double newB) {
                          delta += wd_[d] * (newA * newA - oldA * oldA + newB * newB - oldB * oldB);
                        });
  return delta;
}

double Search::CountDelta(std::int32_t a, std::int32_t b) const {
  const std::int32_t* nA = &nf_[cls_[a] * F_];
  const std::int32_t* nB = &nf_[cls_[b] * F_];
  double delta = 0;
  ForEachMovedFeature(a, b, [&](std::int32_t f, bool from_A) {
    delta += wf_[f] * (from_A ? 2.0 * (nB[f] - nA[f]) + 2.0 : 2.0 * (nA[f] - nB[f]) + 2.0);
    return true;
  });
  return delta;
}

void Search::Apply(std::int32_t a, std::int32_t b) {
  const std::int32_t A = cls_[a], B = cls_[b];
  for (std::int32_t d = 0; d < D_; ++d) {
    const double dv = val_[b * D_ + d] - val_[a * D_ + d];
    const std::int32_t dh = has_[b * D_ + d] - has_[a * D_ + d];
    if (dv == 0 && dh == 0) continue;
    const std::int32_t iA = A * D_ + d, iB = B * D_ + d;
    sum_[iA] += dv;
    sum_[iB] -= dv;
    if (dh != 0) {
      cnt_[iA] += dh;
      cnt_[iB] -= dh;
      inv_[iA] = cnt_[iA] > 0 ? 1.0 / cnt_[iA] : 0;
      inv_[iB] = cnt_[iB] > 0 ? 1.0 / cnt_[iB] : 0;
    }
    dev_[iA] = sum_[iA] * inv_[iA] - ref_[d];
    dev_[iB] = sum_[iB] * inv_[iB] - ref_[d];
  }
  for (std::int32_t f = fstart_[a]; f < fstart_[a + 1]; ++f) {
    --nf_[A * F_ + fids_[f]];
    ++nf_[B * F_ + fids_[f]];
  }
  for (std::int32_t f = fstart_[b]; f < fstart_[b + 1]; ++f) {
    --nf_[B * F_ + fids_[f]];
    ++nf_[A * F_ + fids_[f]];
  }
  cls_[a] = B;
  cls_[b] = A;
  members_[A][slot_[a]] = b;
  members_[B][slot_[b]] = a;
  std::swap(slot_[a], slot_[b]);
  acost_[A] = ClassAverageCost(A);
  acost_[B] = ClassAverageCost(B);
}

double Search::ClassAverageCost(std::int32_t k) const {
  double cost = 0;
  for (std::int32_t d = 0; d < D_; ++d) cost += wd_[d] * dev_[k * D_ + d] * dev_[k * D_ + d];
  return cost;
}

// Student a goes to the class of b and b to the class of a. A pair of
// namesakes may share a class only when both started in it.
bool Search::NamesakesAllow(std::int32_t a, std::int32_t b) const {
  auto allowed = [&](std::int32_t s, std::int32_t other, std::int32_t to) {
    const std::int32_t g = group_of_[s];
    if (g < 0) return true;
    for (std::int32_t m : groups_[g]) {
      if (m == s || m == other || cls_[m] != to) continue;
      if (orig_[s] != to || orig_[m] != to) return false;
    }
    return true;
  };
  return allowed(a, b, cls_[b]) && allowed(b, a, cls_[a]);
}

double Search::DimSpread(std::int32_t d) const {
  double hi = dev_[d], lo = dev_[d];
  for (std::int32_t k = 1; k < c_; ++k) {
    hi = std::max(hi, dev_[k * D_ + d]);
    lo = std::min(lo, dev_[k * D_ + d]);
  }
  return hi - lo;
}

double Search::FeatureSpread(std::int32_t f) const {
  std::int32_t hi = nf_[f], lo = nf_[f];
  for (std::int32_t k = 1; k < c_; ++k) {
    hi = std::max(hi, nf_[k * F_ + f]);
    lo = std::min(lo, nf_[k * F_ + f]);
  }
  return hi - lo;
}

bool Search::GuardsHold() const {
  for (const Guard& g : guards_) {
    if ((g.feature ? FeatureSpread(g.index) : DimSpread(g.index)) > g.bound) return false;
  }
  return true;
}

bool Search::Acceptable() const {
  return GuardsHold() && CountsOver() <= start_standing_.counts_over &&
         Widest() <= start_standing_.widest + kEpsilon;
}

std::int32_t Search::Partner(std::int32_t a, DeepRandom& rng, const DeepTuning& tuning) const {
  const double pick = rng.Unit();
  if (pick < tuning.same_kind_share) {
    const auto& pool = kinds_[kind_of_[a]];
    if (pool.size() > 1) return pool[rng.Below(static_cast<std::uint32_t>(pool.size()))];
  } else if (pick < tuning.same_kind_share + tuning.near_total_share) {
    // Within a window of about two students per class either side.
    const std::int32_t w = std::max(2, 2 * c_);
    const std::int32_t r = rank_in_total_[a];
    const std::int32_t lo = std::max(0, r - w);
    const std::int32_t hi = std::min(static_cast<std::int32_t>(by_total_.size()) - 1, r + w);
    return by_total_[lo + rng.Below(static_cast<std::uint32_t>(hi - lo + 1))];
  }
  return movable_[rng.Below(static_cast<std::uint32_t>(movable_.size()))];
}

RangeOutcome Search::Run(const DeepTuning& tuning, std::uint64_t seed, double seconds,
                         bool every_start_groups) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                           std::chrono::duration<double>(std::max(0.0, seconds)));
  DeepRandom rng(seed);
  RangeOutcome out;
  const std::vector<std::int32_t> start = cls_;
  out.start_cost = Cost();
  const std::uint32_t movable = static_cast<std::uint32_t>(movable_.size());

  // The start temperature from the cost rise of random exchanges.
  double rise = 0;
  std::int32_t rises = 0;
  for (int t = 0; t < 2000; ++t) {
    const std::int32_t a = movable_[rng.Below(movable)];
    const std::int32_t b = movable_[rng.Below(movable)];
    if (cls_[a] == cls_[b]) continue;
    const double d = Delta(a, b, std::numeric_limits<double>::infinity());
    if (d > 0) rise += d, ++rises;
  }
  const double t0 = rises > 0 ? tuning.start_temperature * rise / rises : 1;

  const std::int64_t total =
      static_cast<std::int64_t>(tuning.proposals_per_student * static_cast<double>(movable));
  const std::int64_t annealing = static_cast<std::int64_t>(total * (1 - tuning.finish_share));
  // The best placement is the current one with the exchanges of `journal`
  // undone, or, once the journal grew long, the copy in `best`.
  double cur = out.start_cost, best_cost = out.start_cost;
  std::vector<std::pair<std::int32_t, std::int32_t>> journal;
  std::vector<std::int32_t> best;
  bool in_journal = true;
  double temperature = t0;
  const double cooling = annealing > 0 ? std::log(tuning.end_temperature) / annealing : 0;

  std::int64_t it = 0;
  bool finishing = false;
  for (; it < total; ++it) {
    if ((it & 1023) == 0) {
      if (Clock::now() > deadline) {
        out.budget_reached = true;
        break;
      }
      temperature = it < annealing ? t0 * std::exp(cooling * it) : 0;
      if (it >= annealing && !finishing) {
        finishing = true;
        // The greedy finish starts from the best placement.
        if (!in_journal) {
          Reset(best);
        } else {
          for (auto j = journal.rbegin(); j != journal.rend(); ++j) Apply(j->first, j->second);
        }
        journal.clear();
        in_journal = true;
        // The annealing kept its best by the guards alone (the rank of a
        // placement costs more to tell); one ranking below the start gives
        // way to the start.
        if (!Acceptable()) {
          Reset(start);
          best_cost = out.start_cost;
        }
        cur = best_cost;
      }
    }
    const std::int32_t a = movable_[rng.Below(movable)];
    // The best of a few partners.
    std::int32_t b = -1;
    double delta = std::numeric_limits<double>::infinity();
    for (int j = 0; j < tuning.partners; ++j) {
      const std::int32_t p = Partner(a, rng, tuning);
      if (cls_[a] == cls_[p]) continue;
      const double d = Delta(a, p, std::min(delta, 30 * temperature));
      if (d < delta) delta = d, b = p;
    }
    if (b < 0) continue;
    if (delta >= 0) {
      if (temperature <= 0 || delta > 30 * temperature) continue;
      if (rng.Unit() >= std::exp(-delta / temperature)) continue;
    }
    if (!RulesAllow(a, b)) continue;
    Apply(a, b);
    ++out.exchanges;
    cur += delta;
    if (cur < best_cost - kEpsilon && (finishing ? Acceptable() : GuardsHold())) {
      cur = Cost();  // no drift from the running sum
      best_cost = cur;
      journal.clear();
      in_journal = true;
      continue;
    }
    if (in_journal) {
      journal.emplace_back(a, b);
      if (journal.size() > static_cast<std::size_t>(n_)) {
        best = cls_;
        for (auto j = journal.rbegin(); j != journal.rend(); ++j) {
          std::swap(best[j->first], best[j->second]);
        }
        journal.clear();
        in_journal = false;
      }
    }
  }
  out.proposals = it;
  if (!in_journal) {
    Reset(best);
  } else {
    for (auto j = journal.rbegin(); j != journal.rend(); ++j) Apply(j->first, j->second);
  }
  if (!out.budget_reached && tuning.polish_per_student > 0) {
    const auto steps =
        static_cast<std::int64_t>(tuning.polish_per_student * static_cast<double>(movable));
    out.exchanges += Polish(tuning, rng, steps, out.start_cost, deadline);
    out.proposals += steps;
  }
  if (!out.budget_reached && every_start_groups) {
    out.exchanges += GroupExchanges(tuning, rng, deadline);
  }
  out.best_cost = Cost();
  if (!(out.best_cost < out.start_cost - kEpsilon) || !Acceptable()) {
    Reset(start);
    out.best_cost = out.start_cost;
  }
  out.starts = 1;
  Conclude(out, start);
  return out;
}

void Search::Finish(const DeepTuning& tuning, std::uint64_t seed, double seconds,
                    RangeOutcome& out) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                           std::chrono::duration<double>(std::max(0.0, seconds)));
  DeepRandom rng(seed);
  out.exchanges += GroupExchanges(tuning, rng, deadline);
  if (Clock::now() > deadline) out.budget_reached = true;
  Conclude(out, orig_);
}

void Search::Conclude(RangeOutcome& out, const std::vector<std::int32_t>& start) const {
  out.best_cost = Cost();
  out.changed = cls_ != start;
  out.standing = Measure();
  out.classes = assigned_;
  for (std::int32_t i = 0; i < n_; ++i) {
    if (cls_[i] >= 0) out.classes[i] = class_ids_[cls_[i]];
  }
}

std::int32_t Search::CountsOver() const {
  std::int32_t over = 0;
  for (std::int32_t f = 0; f < F_; ++f) {
    if (wf_[f] > 0)
      over += static_cast<std::int32_t>(std::max(0.0, FeatureSpread(f) - kCountTarget));
  }
  return over;
}

Standing Search::Measure() const {
  Standing s;
  s.counts_over = CountsOver();
  s.widest = Widest();
  s.cost = Cost();
  return s;
}

}  // namespace deep

namespace {

// Calls f(i) for i in [first, first + count) side by side, the first on this
// thread, and returns when all have returned; a failure of any is thrown
// here once all have ended.
template <typename F>
void SideBySide(std::size_t first, std::size_t count, F&& f) {
  std::vector<std::exception_ptr> failures(count);
  auto guarded = [&](std::size_t i) {
    try {
      f(first + i);
    } catch (...) {
      failures[i] = std::current_exception();
    }
  };
  {
    std::vector<std::jthread> side;
    for (std::size_t i = 1; i < count; ++i) side.emplace_back(guarded, i);
    if (count > 0) guarded(0);
  }
  for (const std::exception_ptr& e : failures) {
    if (e) std::rethrow_exception(e);
  }
}

}  // namespace

RangeOutcome SearchRange(const RangeInput& input, const DeepTuning& tuning, std::uint64_t seed,
                         double seconds, int threads) {
  using Clock = std::chrono::steady_clock;
  const auto begin = Clock::now();
  RangeOutcome best;
  best.classes = input.classes;
  std::unique_ptr<deep::Search> chosen;
  // The starts that changed something and were not chosen.
  struct Other {
    RangeOutcome outcome;
    std::unique_ptr<deep::Search> search;
  };
  std::vector<Other> others;
  const int starts = std::max(1, tuning.starts);
  // Where the classes make few pairs the group exchanges cost little and
  // every start makes them, so that the starts are ranked by their result;
  // elsewhere the chosen start alone makes them.
  const std::size_t classes = input.measures.class_ids.size();
  const bool every_start = tuning.group_sweeps > 0 && classes * (classes - 1) / 2 <= 6;
  // The starts are independent: they run side by side, a batch of
  // `threads` at a time, and are then ranked in their order, so that the
  // result is the same however many run at once.
  const int batch = std::clamp(threads, 1, starts);
  for (int first = 0; first < starts; first += batch) {
    const int count = std::min(batch, starts - first);
    const double used = std::chrono::duration<double>(Clock::now() - begin).count();
    std::vector<std::unique_ptr<deep::Search>> searches(count);
    std::vector<RangeOutcome> outcomes(count);
    SideBySide(0, static_cast<std::size_t>(count), [&](std::size_t i) {
      searches[i] = std::make_unique<deep::Search>(input, tuning);
      // Every start but the first has its own stream of the seed.
      if (searches[i]->Ready()) {
        outcomes[i] = searches[i]->Run(
            tuning, seed + 0x5851F42D4C957F2Dull * static_cast<std::uint64_t>(first + i),
            seconds - used, every_start);
      }
    });
    for (int i = 0; i < count; ++i) {
      const int k = first + i;
      if (!searches[i]->Ready()) return best;
      RangeOutcome& o = outcomes[i];
      const std::int64_t proposals = best.proposals + o.proposals;
      const std::int64_t exchanges = best.exchanges + o.exchanges;
      const bool cut = o.budget_reached;
      if (k == 0 || (o.changed && o.standing < best.standing)) {
        if (chosen && best.changed) others.push_back({std::move(best), std::move(chosen)});
        best = std::move(o);
        chosen = std::move(searches[i]);
      } else if (o.changed) {
        others.push_back({std::move(o), std::move(searches[i])});
      }
      best.proposals = proposals;
      best.exchanges = exchanges;
      best.budget_reached = best.budget_reached || cut;
      best.starts = k + 1;
      // A start cut by the budget ends the starts: those after it in its
      // batch are not ranked.
      if (cut) break;
    }
    if (best.budget_reached) break;
  }
  // The group exchanges finish the chosen start, and the runners-up the plan
  // names (best first) side by side with it: they keep every headcount, and
  // the total and the widest average each start reached. The best result
  // wins, the chosen start on a tie.
  if (!best.budget_reached && tuning.group_sweeps > 0 && !every_start) {
    std::stable_sort(others.begin(), others.end(), [](const Other& x, const Other& y) {
      return x.outcome.standing < y.outcome.standing;
    });
    const std::size_t extra = std::min<std::size_t>(
        others.size(), static_cast<std::size_t>(std::max(0, tuning.finished_starts - 1)));
    others.resize(extra);
    const double used = std::chrono::duration<double>(Clock::now() - begin).count();
    std::vector<RangeOutcome*> outs{&best};
    std::vector<deep::Search*> finishing{chosen.get()};
    for (Other& o : others) {
      o.outcome.exchanges = 0;  // counted with the range already; only its finish is added
      outs.push_back(&o.outcome);
      finishing.push_back(o.search.get());
    }
    const std::size_t at_once = static_cast<std::size_t>(std::max(1, threads));
    for (std::size_t first = 0; first < outs.size(); first += at_once) {
      SideBySide(first, std::min(at_once, outs.size() - first), [&](std::size_t i) {
        finishing[i]->Finish(tuning, seed ^ 0xD1B54A32D192ED03ull, seconds - used, *outs[i]);
      });
    }
    // What the whole range did, whichever start wins.
    const std::int64_t proposals = best.proposals;
    const int starts_run = best.starts;
    std::int64_t exchanges = best.exchanges;
    bool cut = best.budget_reached;
    for (const Other& o : others) {
      exchanges += o.outcome.exchanges;
      cut = cut || o.outcome.budget_reached;
    }
    for (Other& o : others) {
      if (o.outcome.standing < best.standing) best = std::move(o.outcome);
    }
    best.proposals = proposals;
    best.starts = starts_run;
    best.exchanges = exchanges;
    best.budget_reached = cut;
  }
  return best;
}

}  // namespace tessaly::adjust
