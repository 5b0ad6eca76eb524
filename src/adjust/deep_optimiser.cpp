#include "adjust/deep_optimiser.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>

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
// The cores the final stage's length is planned for: a teacher's computer
// has two at least (a single range is searched on one).
constexpr double kNominalCores = 2;
// The time limits are a safety net for a machine slower than planned for:
// this many times the planned time, and a second more.
constexpr double kSafety = 2;

std::uint64_t RangeSeed(const DeepOptions& options, std::size_t r) {
  return options.seed * 0x9E3779B97F4A7C15ull + r;
}

// Runs search(r, mutex) for the ranges 0 .. count-1 with `workers` side by
// side, each taking the next range not yet taken (the mutex guards what
// they share); this thread calls shown(r) for every range in order as they
// end, and tick() every tenth of a second while it waits. A search that
// fails (out of memory) ends the run on this thread, as it would have
// without workers; the ranges not taken are left.
template <typename Run, typename Shown, typename Tick>
void ForEachRange(std::size_t count, std::size_t workers, Run&& search, Shown&& shown,
                  Tick&& tick) {
  std::mutex mutex;
  std::condition_variable ended;
  std::size_t next = 0;
  std::vector<bool> finished(count, false);
  std::exception_ptr failure;
  auto work_through = [&] {
    try {
      for (;;) {
        std::size_t r;
        {
          std::lock_guard<std::mutex> lock(mutex);
          if (next == count) return;
          r = next++;
        }
        search(r, mutex);
        {
          std::lock_guard<std::mutex> lock(mutex);
          finished[r] = true;
        }
        ended.notify_all();
      }
    } catch (...) {
      {
        std::lock_guard<std::mutex> lock(mutex);
        if (!failure) failure = std::current_exception();
        next = count;
      }
      ended.notify_all();
    }
  };
  // Even one worker runs beside this thread, which shows the progress.
  std::vector<std::jthread> side;
  for (std::size_t w = 0; w < std::max<std::size_t>(1, workers); ++w) {
    side.emplace_back(work_through);
  }
  for (std::size_t r = 0; r < count; ++r) {
    {
      std::unique_lock<std::mutex> lock(mutex);
      while (!ended.wait_for(lock, std::chrono::milliseconds(100),
                             [&] { return finished[r] || failure; })) {
        lock.unlock();
        tick();
        lock.lock();
      }
      if (failure) break;
    }
    shown(r);
  }
  side.clear();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace

double DefaultDeepSeconds(std::size_t students) {
  return std::clamp(2 * std::sqrt(static_cast<double>(students) / 3000), 2.0, 6.0);
}

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
    const double seconds = options.seconds > 0 ? options.seconds : DefaultDeepSeconds(students);
    std::size_t done = 0;
    const double range_count = static_cast<double>(state.RangeSets.size());
    // The new classes of every range, swapped in at the end.
    std::vector<std::vector<std::int32_t>> classes(state.RangeSets.size());
    // The planned search of every range: every range has an equal share of
    // the planned starts, so a small range gets more of them.
    std::vector<DeepTuning> plans(state.RangeSets.size(), options.tuning);
    std::vector<double> work(plans.size(), 0);  // proposals planned per range
    double work_total = 0;
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
      work_total += work[r];
    }
    // The ranges are independent: `workers` search them side by side, each
    // taking the next range not yet taken; this thread shows the progress
    // as the ranges end, in their order.
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
    // The search of every range, its plan fitted to its share of the time
    // (by its planned work) at the seconds a proposal takes on an ordinary
    // machine: the plan, and so the result, is the same on any machine.
    // Twice its share and a second more is a safety net for a slow one.
    std::vector<double> shares(range_total, 0);
    const double cores = std::min(kNominalCores, range_count);
    for (std::size_t r = 0; r < range_total; ++r) {
      shares[r] = work_total > 0
                      ? seconds * (1 - options.tuning.leximax_share) * cores * work[r] / work_total
                      : seconds;
      FitToBudget(plans[r], static_cast<double>(std::max<std::size_t>(1, inputs[r].classes.size())),
                  kAssumedSecondsPerProposal, shares[r]);
    }
    ForEachRange(
        range_total, workers,
        [&](std::size_t r, std::mutex&) {
          outcomes[r] = SearchRange(inputs[r], plans[r], RangeSeed(options, r),
                                    kSafety * shares[r] + 1, starts_at_once);
        },
        [&](std::size_t r) {
          done += inputs[r].classes.size();
          user.ProgressSet(5 + static_cast<int>(60.0 * static_cast<double>(done) /
                                                std::max<std::size_t>(1, students)));
        },
        [] {});
    // The final stage of every range, aimed at the widest subjects: its
    // length is priced exchanges, the range's share of the budget by its
    // size (equal seeds and budgets give equal results on any machine, and
    // a longer budget continues a shorter one); twice the budget and a
    // second more is a safety net for a slow machine.
    const double stage_seconds = kSafety * seconds + 1;
    std::vector<std::int64_t> evaluations(range_total, 0);
    double planned = 0;
    for (std::size_t r = 0; r < range_total; ++r) {
      evaluations[r] = static_cast<std::int64_t>(
          options.tuning.leximax_per_second * seconds * options.tuning.leximax_share * cores *
          static_cast<double>(inputs[r].classes.size()) /
          static_cast<double>(std::max<std::size_t>(1, students)));
      planned += static_cast<double>(evaluations[r]);
    }
    // The exchanges priced so far per range, read by this thread for the
    // progress while the stage runs (a long budget takes many seconds).
    std::vector<std::atomic<std::int64_t>> priced(range_total);
    std::vector<bool> shown(range_total, false);
    int progress = 65;
    auto show_progress = [&] {
      double sum = 0;
      for (std::size_t r = 0; r < range_total; ++r) {
        sum += shown[r] ? static_cast<double>(evaluations[r])
                        : static_cast<double>(
                              std::min(priced[r].load(std::memory_order_relaxed), evaluations[r]));
      }
      const int now = 65 + static_cast<int>(30.0 * (planned > 0 ? sum / planned : 1));
      if (now > progress) user.ProgressSet(progress = now);
    };
    ForEachRange(
        range_total, workers,
        [&](std::size_t r, std::mutex&) {
          const double left =
              stage_seconds - std::chrono::duration<double>(Clock::now() - start).count();
          outcomes[r] = SearchWidest(inputs[r], plans[r], std::move(outcomes[r]),
                                     RangeSeed(options, r) ^ 0x2545F4914F6CDD1Dull, evaluations[r],
                                     left, &priced[r]);
        },
        [&](std::size_t r) {
          const RangeOutcome& o = outcomes[r];
          result.ranges.push_back({model::RangeKey(state.ClassRangeRows[r]), o.start_cost,
                                   o.best_cost, o.proposals, o.exchanges, o.budget_reached,
                                   o.changed, o.leximax_priced, o.leximax_exchanges});
          result.changed = result.changed || o.changed;
          classes[r] = o.classes;
          shown[r] = true;
          show_progress();
        },
        show_progress);
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
