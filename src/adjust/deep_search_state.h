#pragma once
// The state of the deep optimiser's exchange search over one range, shared
// by the search (deep_search.cpp) and its polish (deep_polish.cpp).

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <unordered_set>
#include <utility>
#include <vector>

#include "adjust/deep_random.h"
#include "adjust/deep_search.h"

namespace tessaly::adjust::deep {

constexpr double kTotalTarget = 0.1;
constexpr double kSubjectTarget = 0.5;
constexpr double kCountTarget = 1;
// A change of the measure smaller than this is no change.
constexpr double kEpsilon = 1e-9;

// The key of a placement: the heads its headcounts lie past their bounds
// (only after a perturbation that passed one), the total's spread over its
// target, how far its classes lie outside the target around the range's
// average (summed: this moves where the spread alone is held by two classes
// at one end), then the subjects' spreads from the widest down.
inline constexpr std::size_t kSubjectsAt = 3;

// Whether x comes before y in the order of the stage: the first entry that
// differs by more than rounding decides.
inline bool Less(const std::vector<double>& x, const std::vector<double>& y) {
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (x[i] < y[i] - kEpsilon) return true;
    if (x[i] > y[i] + kEpsilon) return false;
  }
  return false;
}

// A measure that met its target at the start and may not get wider.
struct Guard {
  bool feature = false;  // a headcount; otherwise an average dimension
  std::int32_t index = 0;
  double bound = 0;
};

class Search {
 public:
  // The three highest and three lowest classes of a dimension or headcount.
  struct Extremes {
    std::array<std::int32_t, 3> high{}, low{};
    // The first of `ends` (high or low) that is neither A nor B, or -1: the
    // end the other classes hold while A and B change.
    static std::int32_t Other(const std::array<std::int32_t, 3>& ends, std::int32_t A,
                              std::int32_t B) {
      for (const std::int32_t k : ends) {
        if (k >= 0 && k != A && k != B) return k;
      }
      return -1;
    }
  };

  Search(const RangeInput& in, const DeepTuning& tuning);

  bool Ready() const { return movable_.size() >= 2 && c_ >= 2; }
  // The search and polish of one start; with `groups`, the group exchanges
  // after them.
  RangeOutcome Run(const DeepTuning& tuning, std::uint64_t seed, double seconds, bool groups);
  // The group exchanges after the chosen start's search and polish
  // (deep_groups.cpp), within `seconds`; `out` then tells the result.
  void Finish(const DeepTuning& tuning, std::uint64_t seed, double seconds, RangeOutcome& out);
  // The final stage (deep_leximax.cpp) from the placement of `classes`
  // (AssignedClass per student): at most `budget` exchanges priced (counted
  // in `priced`) until `deadline`. Returns the exchanges that differ.
  std::int64_t SearchWidest(const std::vector<std::int32_t>& classes, const DeepTuning& tuning,
                            std::uint64_t seed, std::int64_t budget,
                            std::chrono::steady_clock::time_point deadline, std::int64_t& priced,
                            std::atomic<std::int64_t>* live = nullptr);
  // The outcome of the current placement against the start.
  void Conclude(RangeOutcome& out) const { Conclude(out, orig_); }
  // The standing of the current placement.
  Standing Measure() const;
  // Heads beyond one apart, summed over the balanced headcounts.
  std::int32_t CountsOver() const;

 private:
  double Cost() const;
  // The outcome's cost, standing and classes from the current placement,
  // and whether it differs from `start`.
  void Conclude(RangeOutcome& out, const std::vector<std::int32_t>& start) const;
  // The change of the measure when a and b exchange; a value above `limit`
  // may be a bound only.
  double Delta(std::int32_t a, std::int32_t b, double limit) const;
  double CountDelta(std::int32_t a, std::int32_t b) const;
  // Calls f(d, old_A, new_A, old_B, new_B) with the deviations of class A
  // (of a) and class B (of b) in every dimension an exchange of a and b
  // changes: the one pricing of the averages that the search's measure and
  // the polish's share.
  template <typename F>
  [[gnu::always_inline]] void ForEachChangedAverage(std::int32_t a, std::int32_t b, F&& f) const {
    const std::int32_t iA = cls_[a] * D_, iB = cls_[b] * D_;
    const double* va = &val_[a * D_];
    const double* vb = &val_[b * D_];
    const unsigned char* ha = &has_[a * D_];
    const unsigned char* hb = &has_[b * D_];
    for (std::int32_t d = 0; d < D_; ++d) {
      const double dv = vb[d] - va[d];
      const std::int32_t dh = hb[d] - ha[d];
      if (dv == 0 && dh == 0) continue;
      const double oldA = dev_[iA + d], oldB = dev_[iB + d];
      double newA, newB;
      if (dh == 0) {
        newA = oldA + dv * inv_[iA + d];
        newB = oldB - dv * inv_[iB + d];
      } else {
        const std::int32_t cA = cnt_[iA + d] + dh, cB = cnt_[iB + d] - dh;
        newA = (cA > 0 ? (sum_[iA + d] + dv) / cA : 0) - ref_[d];
        newB = (cB > 0 ? (sum_[iB + d] - dv) / cB : 0) - ref_[d];
      }
      f(d, oldA, newA, oldB, newB);
    }
  }
  // Calls f(feature, from_A) for every headcount feature an exchange of a
  // (class A) and b (class B) moves: from A to B when only a holds it, from
  // B to A when only b does (a feature of one student moves one head each
  // way). Stops at the first call that returns false and then returns false.
  template <typename F>
  [[gnu::always_inline]] bool ForEachMovedFeature(std::int32_t a, std::int32_t b, F&& f) const {
    if (!fmask_.empty()) {
      for (std::uint64_t m = fmask_[a] & ~fmask_[b]; m != 0; m &= m - 1) {
        if (!f(static_cast<std::int32_t>(__builtin_ctzll(m)), true)) return false;
      }
      for (std::uint64_t m = fmask_[b] & ~fmask_[a]; m != 0; m &= m - 1) {
        if (!f(static_cast<std::int32_t>(__builtin_ctzll(m)), false)) return false;
      }
      return true;
    }
    const std::int32_t* pa = &fids_[fstart_[a]];
    const std::int32_t* ea = &fids_[fstart_[a + 1]];
    const std::int32_t* pb = &fids_[fstart_[b]];
    const std::int32_t* eb = &fids_[fstart_[b + 1]];
    while (pa != ea || pb != eb) {
      if (pa != ea && pb != eb && *pa == *pb) {
        ++pa, ++pb;
      } else if (pb == eb || (pa != ea && *pa < *pb)) {
        if (!f(*pa++, true)) return false;
      } else {
        if (!f(*pb++, false)) return false;
      }
    }
    return true;
  }
  double ClassAverageCost(std::int32_t k) const;
  void Apply(std::int32_t a, std::int32_t b);
  bool NamesakesAllow(std::int32_t a, std::int32_t b) const;
  // Whether a and b may exchange: the namesakes allow it and the teacher's
  // groups stay kept (engine::GroupGuard).
  bool RulesAllow(std::int32_t a, std::int32_t b) const {
    return NamesakesAllow(a, b) &&
           guard_->Allows(a, cls_[b], b, cls_[a], [this](std::int32_t p) { return cls_[p]; });
  }
  double DimSpread(std::int32_t d) const;
  double FeatureSpread(std::int32_t f) const;
  bool GuardsHold() const;
  // The guards hold and the placement ranks no lower than the start.
  bool Acceptable() const;
  std::int32_t Partner(std::int32_t a, DeepRandom& rng, const DeepTuning& tuning) const;
  void Reset(const std::vector<std::int32_t>& cls);
  // The polish: a measure of the averages alone, a sum over classes of a
  // high power of each deviation in units of half its target, so that the
  // extreme classes dominate; it moves a head of a headcount only from a
  // class with more to one with fewer.
  double PolishTerm(std::int32_t d, double dev) const;
  double PolishDelta(std::int32_t a, std::int32_t b) const;
  bool CountsNarrow(std::int32_t a, std::int32_t b) const;
  std::int32_t ExtremeDimension(DeepRandom& rng) const;
  double PolishCost() const;
  // The widest spread of a balanced average over its target.
  double Widest() const;
  std::pair<std::int32_t, std::int32_t> PolishProposal(const DeepTuning& tuning,
                                                       DeepRandom& rng) const;
  // Whether a (to the class of b), d (the class of a) and b, c (the other
  // way) exchanging together leave every headcount between the two classes
  // within the counts the two held.
  bool PairCountsNarrow(std::int32_t a, std::int32_t b, std::int32_t d, std::int32_t c);
  // A second exchange after a and b's, priced together with it; applies the
  // pair and returns its change of the polish measure when it improves it
  // and keeps the bounds, else changes nothing and returns 0.
  double Compound(std::int32_t a, std::int32_t b, double delta, double total_bound,
                  double widest_bound, DeepRandom& rng);
  std::int64_t Polish(const DeepTuning& tuning, DeepRandom& rng, std::int64_t steps, double ceiling,
                      std::chrono::steady_clock::time_point deadline);
  // Three-for-three exchanges that keep every headcount (deep_groups.cpp):
  // sweeps over the pairs of classes, each making the best exchange of a
  // pair when it lowers the measure. Returns the students moved.
  std::int64_t GroupExchanges(const DeepTuning& tuning, DeepRandom& rng,
                              std::chrono::steady_clock::time_point deadline);
  // Per student the sum of his headcount features' hashes (student_hash_):
  // students whose hashes sum alike hold the same features taken together.
  void HashStudents();
  void BuildTriples(std::int32_t k, const DeepTuning& tuning, DeepRandom& rng);
  bool ExchangeTriples(std::int32_t A, std::int32_t B);
  void UpdateTriples(std::int32_t k, const std::array<std::int32_t, 3>& left,
                     const std::array<std::int32_t, 3>& came);
  // The shift of summed scores that levels classes A and B best (in shift_,
  // weighed in shift_weight_), and what it would gain.
  double PairShift(std::int32_t A, std::int32_t B);

  const engine::GroupGuard* guard_ = nullptr;  // the input's
  std::int32_t n_ = 0, c_ = 0, D_ = 0, F_ = 0;
  std::vector<std::int32_t> class_ids_;
  std::vector<std::int32_t> assigned_;  // AssignedClass at the start
  std::vector<double> val_;             // n * D: total then subjects, 0 when missing
  std::vector<unsigned char> has_;      // n * D
  std::vector<double> ref_, wd_;        // per dimension: range average, weight
  std::vector<std::int32_t> fstart_, fids_;
  std::vector<std::uint64_t> fmask_;   // per student, when there are at most 64 features
  std::vector<double> expected_, wf_;  // per feature
  std::vector<std::int32_t> cls_, orig_;
  std::vector<std::int32_t> movable_;
  std::vector<std::int32_t> group_of_;                  // namesake group, -1 none
  std::vector<std::vector<std::int32_t>> groups_;       // members of every group
  std::vector<std::int32_t> kind_of_;                   // headcount signature id
  std::vector<std::vector<std::int32_t>> kinds_;        // movable students per signature
  std::vector<std::int32_t> by_total_, rank_in_total_;  // movable students by total
  // Per class: sums, counts, reciprocal counts and deviation per dimension;
  // headcounts per feature.
  std::vector<double> sum_, inv_, dev_;
  std::vector<double> acost_;  // per class: the averages' part of the measure
  std::vector<std::int32_t> cnt_, nf_;
  std::vector<Guard> guards_;
  Standing start_standing_;     // no placement kept ranks below the start
  std::vector<double> pscale_;  // per dimension: 2 / target, 0 when not balanced
  int squarings_ = 3;
  std::vector<std::vector<std::int32_t>> members_;  // movable students per class
  std::vector<std::int32_t> slot_;                  // place of a student in members_
  std::vector<double> roulette_;                    // cumulative pull of the dimensions
  std::vector<std::int32_t> net_;                   // per feature: heads moved by a compound
  // The triples of movable students of a class, sorted by key (the sum of
  // their students' feature hashes), with their scores summed per dimension.
  struct Triples {
    std::vector<std::uint64_t> key;
    std::vector<std::array<std::int32_t, 3>> who;
    std::vector<float> sums;   // key.size() * D
    std::vector<float> total;  // the sums of the total again, side by side
    bool stale = true;
  };
  std::vector<Triples> triples_;

  // The final stage (deep_leximax.cpp).
  void PrepareWidest();
  void RefreshWidest();
  // The spread of dimension d or headcount f with classes A and B at the
  // values given and every other class as it is.
  double SpreadWith(std::int32_t d, std::int32_t A, double vA, std::int32_t B, double vB) const;
  std::int32_t CountSpreadWith(std::int32_t f, std::int32_t A, std::int32_t vA, std::int32_t B,
                               std::int32_t vB) const;
  // Whether the classes' average totals lie within the total's target of
  // each other, with classes A and B at the sums and counts given: exactly,
  // in whole units of the totals' smallest step, where there is one.
  bool TotalWithin(std::int32_t A, double sumA, std::int32_t cntA, std::int32_t B, double sumB,
                   std::int32_t cntB) const;
  // The key an exchange of a and b would give, in cand_; false when it
  // breaks a bound of the stage or widens a balanced subject past `ceiling`.
  bool PriceWidest(std::int32_t a, std::int32_t b, double ceiling);
  void ApplyWidest(std::int32_t a, std::int32_t b);
  // How far the classes' average totals lie outside half the total's
  // target around the range's average, summed; A and B at the deviations given.
  double TotalExcess(std::int32_t A, double devA, std::int32_t B, double devB) const;
  void KeyOf(const std::vector<double>& spreads, std::int32_t heads_over, double excess,
             std::vector<double>& key) const;
  std::vector<std::int32_t> CriticalClasses() const;
  // The heads by which headcount f lies past its bound (0 within it).
  std::int32_t HeadsPast(std::int32_t f) const {
    const Extremes& e = fext_[f];
    return std::max(0, nf_[e.high[0] * F_ + f] - nf_[e.low[0] * F_ + f] - fbound_[f]);
  }
  // Where the students of `list` (sorted by total, highest first) lie whose
  // totals are near a's: the window of the stage.
  std::pair<std::int32_t, std::int32_t> WindowIn(const std::vector<std::int32_t>& list,
                                                 std::int32_t a) const;
  // Whether an exchange of a and b keeps every headcount within its bound
  // (or, for one already past it, no wider; one more head during a
  // perturbation); what the headcounts would then lie past their bounds
  // goes to cand_heads_over_.
  bool CountsWithin(std::int32_t a, std::int32_t b);
  // Descends to a local optimum; false when the budget or deadline ended it.
  bool DescendWidest(DeepRandom& rng, std::int64_t budget, std::int64_t& priced,
                     std::chrono::steady_clock::time_point deadline);
  void PerturbWidest(DeepRandom& rng, int exchanges, std::int64_t budget, std::int64_t& priced);
  // Exchanges of two students for two (deep_leximax_pairs.cpp). Per class
  // every pair of its movable students with every score, sorted by the sum
  // of their features' hashes, then their total, then who they are.
  struct Pairs {
    std::vector<std::uint64_t> key;  // the features' hashes summed
    std::vector<std::array<std::int32_t, 2>> who;
    std::vector<double> sums;   // per dimension, key.size() each: the scores summed
    std::int64_t version = -1;  // the class's version when listed; -1 never
  };
  // The stage's pairs start empty (`on`: the stage makes such exchanges;
  // `anew`: every list is listed anew instead of brought up to date).
  void PreparePairs(bool on, bool anew);
  // The stage's placement set to `cls`, its state refreshed.
  void ResetWidest(const std::vector<std::int32_t>& cls);
  // Brings the list of class k up to date: the pairs of students who left
  // go, those of students who came are merged in.
  void BuildPairs(std::int32_t k, std::int64_t& priced);
  // Per dimension the window of the scores B's pair brings to A less those
  // A's takes, within which its spread keeps its bound (the balanced
  // subjects `ceiling`), in xlo_ and xhi_; the dimensions to check in
  // pair_dims_, the narrowest window first.
  void PairWindows(std::int32_t A, std::int32_t B, double ceiling);
  // The exchange of two for two between classes A and B whose key comes
  // first, when it comes before pick_ (then in pick_ and `best`).
  bool BestPairs(std::int32_t A, std::int32_t B, std::array<std::int32_t, 4>& best,
                 std::int64_t budget, std::int64_t& priced);
  // Makes the exchange of two for two between a critical class and any
  // other whose key comes first, when it comes before the present one.
  // Ends early, finding nothing, at the budget or the deadline.
  bool DescendPairs(DeepRandom& rng, std::int64_t budget, std::int64_t& priced,
                    std::chrono::steady_clock::time_point deadline);
  std::uint64_t PlacementTerm(std::int32_t i, std::int32_t k) const {
    return SplitMix(static_cast<std::uint64_t>(i) * 0x100000001B3ull +
                    static_cast<std::uint64_t>(k));
  }
  bool pairs_on_ = false;    // the tuning's pair_exchanges
  bool pairs_anew_ = false;  // the tuning's pairs_listed_anew
  std::vector<Pairs> pairs_;
  std::vector<std::int64_t> class_version_;  // per class: changed this often
  std::vector<std::int32_t> listed_in_;      // per student: the class listing his pairs, or -1
  std::vector<std::uint64_t> pair_hash_;     // per student: his part of a pair's key
  std::vector<double> xlo_, xhi_;
  std::vector<std::int32_t> pair_dims_;
  // A hash of the placement (every student's class, kept by the stage), and
  // those of placements where no exchange of two for two was found.
  std::uint64_t placement_hash_ = 0;
  std::unordered_set<std::uint64_t> pairs_failed_;

  std::vector<Extremes> dext_, fext_;   // per dimension, per headcount
  std::vector<double> spread_, nsp_;    // per dimension: spread now, and with an exchange
  std::vector<double> dim_bound_;       // per dimension: widest allowed spread
  std::vector<std::int32_t> fbound_;    // per headcount: most heads apart allowed
  std::vector<std::int32_t> lex_dims_;  // the balanced subjects
  std::vector<double> key_, cand_, pick_;
  std::vector<std::int64_t> tsum_;    // per class: the totals in whole steps, or empty
  double tstep_ = 0;                  // the totals' step, 0 when they have none
  bool total_hard_ = false;           // the total is within its target and stays so
  std::int32_t heads_over_ = 0;       // heads past the headcounts' bounds, summed
  std::int32_t cand_heads_over_ = 0;  // the same with the exchange priced
  bool perturbing_ = false;           // a perturbation may pass the bounds by one head
  // With at most 64 headcounts, as masks: those with a bound, those as wide
  // as it, and per class those it can lose a head of (above the lowest) or
  // gain one (below the highest) and stay within the present extremes.
  std::uint64_t bounded_ = 0, tight_ = 0;
  std::vector<std::uint64_t> give_, take_;
  // Per student the window of partners in by_total_, while the total is
  // within its target (the window is then fixed).
  std::vector<std::pair<std::int32_t, std::int32_t>> window_of_;
  int stuck_ = 0;                              // rounds in a row that ended on the best placement
  int stuck_limit_ = 50;                       // the tuning's perturb_stuck_rounds
  std::int32_t widest_dim_ = 0;                // the widest balanced subject
  std::atomic<std::int64_t>* live_ = nullptr;  // the exchanges priced, for a progress
  std::vector<unsigned char> searched_;        // per student: searched, nothing found since
  double subject_cap_ = 0;      // widest a subject may get while the total is over its target
  double window_ = 0;           // in points of total
  double window_scale_ = 2;     // the tuning's leximax_window
  int subjects_ = 3;            // the tuning's leximax_subjects
  double perturb_slack_ = 0.5;  // the tuning's perturb_slack
  std::vector<std::uint64_t> student_hash_;
  std::vector<double> shift_, shift_weight_;
  double group_total_bound_ = 0, group_widest_bound_ = 0;
};

}  // namespace tessaly::adjust::deep
