#include "adjust/deep_optimiser.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "engine/evaluation.h"
#include "engine/names/same_names.h"
#include "engine/statistics.h"
#include "platform/encoding.h"
#include "stats/evenness.h"

namespace tessaly::adjust {
namespace {

// What the search reads of range r.
RangeInput InputOf(const model::ProgramState& state, std::size_t r,
                   const engine::SoundRules& rules) {
  const model::Student_F& set = state.RangeSets[r];
  RangeInput in;
  in.measures = stats::MeasuresOf(state, r);
  const std::size_t n = set.Students.size();
  in.totals.reserve(n);
  in.scores.reserve(n);
  in.classes.reserve(n);
  in.movable.reserve(n);
  in.guard = engine::GroupGuard::ForSet(state, set);
  const engine::AssignedClassOf class_of{&set};
  for (std::size_t i = 0; i < n; ++i) {
    const model::student& s = set.Students[i];
    in.totals.push_back(s.Total);
    in.scores.push_back(s.Scores);
    in.classes.push_back(s.AssignedClass);
    // A student kept together with others moves only with them, which no
    // exchange of two does.
    in.movable.push_back(s.PresetClass < 0 &&
                         !in.guard.Bound(static_cast<std::int32_t>(i), class_of));
  }
  in.sound_keys = engine::BuildSoundKeys(set, rules);
  return in;
}

// What a proposal of the search costs on an ordinary machine, for the first
// range, before any has been measured.
constexpr double kAssumedSecondsPerProposal = 1e-7;

}  // namespace

double PlannedProposals(const DeepTuning& t, double size) {
  return std::max(1, t.starts) * (t.proposals_per_student + t.polish_per_student) * size;
}

void FitToBudget(DeepTuning& t, double size, double seconds_per_proposal, double share) {
  const double margin = 0.9;  // the rate is a measurement, not a promise
  auto seconds = [&] { return PlannedProposals(t, size) * seconds_per_proposal; };
  if (seconds() <= share) return;
  // The group exchanges are not counted in proposals: a plan that must be
  // shortened goes without them first.
  t.group_sweeps = 0;
  t.starts = std::max(1, static_cast<int>(std::max(1, t.starts) * margin * share / seconds()));
  if (seconds() <= share) return;
  const double f = margin * share / seconds();
  t.proposals_per_student *= f;
  t.polish_per_student *= f;
}

std::string DeepOptionCaption() {
  return "深度优化"_gb;
}

DeepResult DeepOptimiseDivision(model::ProgramState& state, model::UserPort& user,
                                const DeepOptions& options) {
  using Clock = std::chrono::steady_clock;
  static const std::string kTitle = "分班进度"_gb;
  static const std::string kDone = "该类型优化已完成！"_gb;
  DeepResult result;
  if (!state.RangeSets.empty()) {
    // The checks of the class statistics, with their warnings.
    std::vector<engine::AllCountInf> counts;
    if (!engine::RebuildCountInfo(state, user, counts)) return result;
    result.ran = true;
    user.ProgressStart(kTitle);
    user.ProgressSet(2);
    const auto start = Clock::now();
    const engine::SoundRules rules = engine::SoundRulesOf(state);
    std::size_t students = 0;
    for (const auto& set : state.RangeSets) students += set.Students.size();
    std::size_t done = 0;
    const double range_count = static_cast<double>(state.RangeSets.size());
    // The new classes of every range, swapped in at the end.
    std::vector<std::vector<std::int32_t>> classes(state.RangeSets.size());
    // The planned search of every range: every range has an equal share of
    // the planned starts, so a small range gets more of them.
    std::vector<DeepTuning> plans(state.RangeSets.size(), options.tuning);
    std::vector<double> work(plans.size(), 0);  // proposals planned per range
    double work_left = 0;
    for (std::size_t r = 0; r < plans.size(); ++r) {
      const double size =
          static_cast<double>(std::max<std::size_t>(1, state.RangeSets[r].Students.size()));
      if (plans[r].starts <= 0) {
        const double fit = plans[r].start_students / (range_count * size);
        plans[r].starts = std::clamp(static_cast<int>(fit), 1, 8);
      }
      if (plans[r].group_sweeps < 0) {
        const double fit = plans[r].group_students / (range_count * size);
        plans[r].group_sweeps = std::clamp(static_cast<int>(std::lround(fit)), 0, 4);
      }
      if (plans[r].finished_starts <= 0) {
        const double fit = plans[r].finish_students / (range_count * size);
        plans[r].finished_starts =
            std::clamp(static_cast<int>(std::lround(fit)), 1, std::max(1, plans[r].starts));
      }
      work[r] = PlannedProposals(plans[r], size);
      work_left += work[r];
    }
    // The ranges are independent: `workers` search them side by side, each
    // taking the next range not yet taken. A range's share of the time left
    // is by its planned work, of the time all workers have left together
    // (no more than the time left itself); its plan is fitted to that share
    // at the seconds per proposal measured on the ranges searched so far.
    // This thread shows the progress as the ranges end, in their order.
    const std::size_t range_total = state.RangeSets.size();
    std::vector<RangeInput> inputs;
    inputs.reserve(range_total);
    for (std::size_t r = 0; r < range_total; ++r) inputs.push_back(InputOf(state, r, rules));
    // Every range searched at once holds its own lists of triples (some tens
    // of megabytes for a range of 20 classes): no more than eight at once.
    const int threads =
        options.threads > 0
            ? options.threads
            : std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 8);
    const std::size_t workers = std::clamp<std::size_t>(threads, 1, range_total);
    // A range searched alone may run its starts side by side.
    const int starts_at_once = std::max(1, threads / static_cast<int>(workers));
    std::vector<RangeOutcome> outcomes(range_total);
    std::vector<bool> finished(range_total, false);
    std::mutex mutex;
    std::condition_variable ended;
    std::size_t next = 0;
    double spent = 0, proposals_done = 0;
    std::exception_ptr failure;
    auto search_ranges = [&] {
      for (;;) {
        std::size_t r;
        DeepTuning tuning;
        double share;
        {
          std::lock_guard<std::mutex> lock(mutex);
          if (next == range_total) return;
          r = next++;
          const double used = std::chrono::duration<double>(Clock::now() - start).count();
          const double left = std::max(0.0, options.seconds - used);
          const double side_by_side =
              static_cast<double>(std::min<std::size_t>(workers, range_total - r));
          share = work_left > 0 ? std::min(left, left * side_by_side * work[r] / work_left) : left;
          work_left -= work[r];
          tuning = plans[r];
          const double rate =
              proposals_done > 0 ? spent / proposals_done : kAssumedSecondsPerProposal;
          FitToBudget(tuning,
                      static_cast<double>(std::max<std::size_t>(1, inputs[r].classes.size())), rate,
                      share);
        }
        const std::uint64_t seed = options.seed * 0x9E3779B97F4A7C15ull + r;
        const auto begin = Clock::now();
        RangeOutcome o = SearchRange(inputs[r], tuning, seed, share, starts_at_once);
        const double took = std::chrono::duration<double>(Clock::now() - begin).count();
        {
          std::lock_guard<std::mutex> lock(mutex);
          spent += took;
          proposals_done += static_cast<double>(o.proposals);
          outcomes[r] = std::move(o);
          finished[r] = true;
        }
        ended.notify_all();
      }
    };
    // A search that fails (out of memory) ends the run on this thread, as
    // it would have without workers; the ranges not taken are left.
    auto work_through = [&] {
      try {
        search_ranges();
      } catch (...) {
        {
          std::lock_guard<std::mutex> lock(mutex);
          if (!failure) failure = std::current_exception();
          next = range_total;
        }
        ended.notify_all();
      }
    };
    std::vector<std::jthread> side;
    if (workers > 1) {
      for (std::size_t w = 0; w < workers; ++w) side.emplace_back(work_through);
    } else {
      work_through();
    }
    for (std::size_t r = 0; r < range_total; ++r) {
      {
        std::unique_lock<std::mutex> lock(mutex);
        ended.wait(lock, [&] { return finished[r] || failure; });
        if (failure) break;
      }
      const RangeOutcome& o = outcomes[r];
      result.ranges.push_back({model::RangeKey(state.ClassRangeRows[r]), o.start_cost, o.best_cost,
                               o.proposals, o.exchanges, o.budget_reached, o.changed});
      result.changed = result.changed || o.changed;
      classes[r] = o.classes;
      done += inputs[r].classes.size();
      user.ProgressSet(5 + static_cast<int>(90.0 * static_cast<double>(done) /
                                            std::max<std::size_t>(1, students)));
    }
    side.clear();
    if (failure) std::rethrow_exception(failure);
    for (std::size_t r = 0; r < classes.size(); ++r) {
      auto& list = state.RangeSets[r].Students;
      for (std::size_t i = 0; i < list.size() && i < classes[r].size(); ++i) {
        list[i].AssignedClass = classes[r][i];
      }
    }
    if (!result.changed) user.Information(kDone);
    user.ProgressSet(100);
  }
  result.averages = engine::ShowAverages(state);
  result.score = engine::ScoreDivision(state);
  return result;
}

}  // namespace tessaly::adjust
