#pragma once
// The exchange search of the deep optimiser over one range: two movable
// students of different classes trade places. The measure of a placement is,
// per class, the squared deviation of its average total and of every subject
// average from the range (in units of the spread a class average has by
// chance, weighed by the balance levels, the total stressed further), plus
// the squared deviation of every balanced headcount from the range's
// expectation N / c (weighed by its level). Per-class sums and counts are
// kept up to date, so an exchange is priced in O(subjects + features of the
// two students).
//
// The search is simulated annealing followed by a greedy finish, started
// from the placement given and keeping the best placement seen, then a
// polish that narrows the class averages at the extremes (deep_polish.cpp):
// it never ends worse than it started. Hard rules hold for every placement it visits:
// only movable students move, sizes stay, students stay in the range, and
// no class gains a pair of namesakes it did not hold at the start. A
// measure that already met its target at the start (total spread 0.1,
// subject spread 0.5, headcount spread 1) is never wider in the result, nor
// is the spread of the average total, and the result never ranks below the
// start as a teacher ranks it (Standing).

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/group_guard.h"
#include "stats/evenness.h"

namespace tessaly::adjust {

// Tuning of the search; the defaults are the measured choice.
struct DeepTuning {
  double proposals_per_student = 2000;  // length of the search
  double finish_share = 0.2;            // share of the proposals searched greedily at the end
  double start_temperature = 0.01;      // times the mean cost rise of a random exchange
  double end_temperature = 1e-3;        // times the start temperature
  double total_stress = 12;             // extra weight of the average total
  double count_weight = 1;              // weight of a headcount term per level
  double same_kind_share = 0.4;         // partners with the same headcount features
  double near_total_share = 0.3;        // partners of nearly the same total
  // How far a subject's unit leans from its own spread (0) towards the mean
  // spread of the subjects (1), where the targets, in points, are.
  double point_share = 0.5;
  double guard_weight = 10;  // extra weight of a measure that met its target at the start
  int partners = 1;          // partners priced per proposal, the best one proposed
  // The polish after the search: exchanges that narrow the widest class
  // averages, priced by a high power of each deviation over its target.
  double polish_per_student = 150;  // proposals of the polish per movable student
  int polish_squarings = 3;         // the power is 2^squarings
  double polish_total_stress = 2;   // the total's deviation counts this many times more
  double polish_temperature = 0;    // times the mean term of the polish measure; 0: greedy
  double extreme_share = 0.7;       // proposals that move a student out of an extreme class
  // Rejected polish proposals followed by a search for a second exchange
  // between the same two classes that makes the pair acceptable together.
  double compound_share = 0.05;
  // Three-for-three exchanges keeping every headcount, after the polish of
  // the chosen start: sweeps over all pairs of classes, and the most triples listed per class
  // (a sample beyond). 0 sweeps: none; below 0: every range gets an equal
  // share of `group_students` students, in whole sweeps (rounded) up to 4,
  // so that a school of ordinary size gets four, one of 20,000 students one
  // and a larger one, whose time they would outrun, none.
  int group_sweeps = -1;
  double group_students = 20000;
  double group_cap = 20000;
  double group_pair_share = 1;  // the pairs of a sweep that could gain most
  // Starts the group exchanges finish: the chosen one and the runners-up
  // after it (the range keeps the best result). 0: every range gets an
  // equal share of `finish_students` students, in whole starts (rounded)
  // between 1 and its starts, so that a single range of ordinary size
  // finishes two (side by side on a machine with two cores) and ranges that
  // share the cores among them one.
  int finished_starts = 0;
  double finish_students = 2000;
  // Independent starts per range, each from the placement given with its
  // own seed; the range keeps the result a teacher would prefer (see
  // Standing). 0: every range gets an equal share of `start_students`
  // students searched, in whole starts between 1 and 8, so that a small
  // school gets several starts per range and one of 3,000 or more one. A
  // range of few classes needs them most: there nearly every exchange of
  // the final stage moves some headcount past its bound, so the stage
  // cannot mend a poor start (ranges of four classes of 100: the widest
  // subject 0.19 from four starts, 0.22 from two), and the search of such
  // a range is short.
  int starts = 0;
  double start_students = 5000;
  // The final stage (deep_leximax.cpp), after the search of every range:
  // exchanges aimed at the widest subject averages, in an iterated local
  // search. Its length is counted in exchanges priced, so that equal seeds
  // and budgets give equal results: `leximax_per_second` of them per second
  // of the run's budget and core, for `leximax_share` of the budget, shared
  // by the ranges by their size. 0: no final stage.
  double leximax_per_second = 3e7;
  double leximax_share = 0.45;
  int leximax_subjects = 3;  // the widest subjects whose extreme classes are critical
  double leximax_window =
      2;  // partners' totals within this many total targets times the class size
  int perturb_exchanges = 3;  // random exchanges of a perturbation, at most
  double perturb_slack =
      0.5;  // how much wider than the widest subject a perturbation may leave one
  // Rounds in a row that end on the best placement after which a
  // perturbation may move a headcount one head past its bound (the next
  // descent mends it first): in a range of few classes most exchanges break
  // a headcount, and the search would otherwise stay where it is.
  int perturb_stuck_rounds = 50;
  // Exchanges of two students for two holding the same headcount features
  // taken together, where single exchanges find nothing more.
  bool pair_exchanges = true;
  // Every class's pairs listed anew whenever it changed, instead of brought
  // up to date: the same lists in the same order, only slower (a check).
  bool pairs_listed_anew = false;
};

// How a teacher ranks two results of one range: first the balanced
// headcounts further than one apart (in heads beyond one, summed), then the
// widest balanced average over its target (total 0.1, subject 0.5), then
// the search's own measure.
struct Standing {
  std::int32_t counts_over = 0;
  double widest = 0;
  double cost = 0;
  bool operator<(const Standing& o) const {
    if (counts_over != o.counts_over) return counts_over < o.counts_over;
    if (widest != o.widest) return widest < o.widest;
    return cost < o.cost;
  }
};

// One range to search: what the search needs of the range set.
struct RangeInput {
  stats::RangeMeasures measures;
  std::vector<double> totals;               // Total per student
  std::vector<std::vector<double>> scores;  // scores per student (subjects of the measures)
  std::vector<std::int32_t> classes;        // AssignedClass per student
  std::vector<bool> movable;                // PresetClass < 0
  std::vector<std::string> sound_keys;      // per student; empty key = no namesake
  engine::GroupGuard guard;                 // the teacher's groups, by position
};

// What a search did.
struct RangeOutcome {
  double start_cost = 0;
  double best_cost = 0;
  std::int64_t proposals = 0;
  std::int64_t exchanges = 0;  // exchanges accepted along the way
  bool budget_reached = false;
  bool changed = false;               // the result differs from the start
  std::vector<std::int32_t> classes;  // the resulting AssignedClass per student
  Standing standing;                  // of the result
  int starts = 0;                     // starts searched
  // The final stage: exchanges priced, and students it placed anew.
  std::int64_t leximax_priced = 0;
  std::int64_t leximax_exchanges = 0;
};

// Searches one range within `seconds` (a safety net: the planned length
// normally ends it first, so equal seeds give equal results), with
// `tuning.starts` starts (at least one) and keeps the best standing. A start
// cut by the time budget ends the starts. Up to `threads` starts run at
// once; the result does not depend on how many.
RangeOutcome SearchRange(const RangeInput& input, const DeepTuning& tuning, std::uint64_t seed,
                         double seconds, int threads = 1);

// The final stage over one range, from `searched` (the result of
// SearchRange for the same input): exchanges that make the list of the
// balanced subjects' spreads, sorted from the widest down, lexicographically
// smallest, with the spread of the average total as a hard limit once it is
// within its target (compared exactly), every headcount within its bound
// (one apart, or as far as the search left it) and every rule of the search.
// Iterated: a local optimum is perturbed by a few exchanges out of the
// critical classes and searched again, keeping the best. `evaluations`
// exchanges are priced at most, `seconds` are a safety net. A longer run
// (more evaluations, the same seed) never ends worse: it continues the
// shorter one. Returns `searched` with the stage's result.
// `live`, when given, is kept at the exchanges priced so far, for another
// thread's progress.
RangeOutcome SearchWidest(const RangeInput& input, const DeepTuning& tuning, RangeOutcome searched,
                          std::uint64_t seed, std::int64_t evaluations, double seconds,
                          std::atomic<std::int64_t>* live = nullptr);

}  // namespace tessaly::adjust
