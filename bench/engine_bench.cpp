// The division command at cohort scale: from the tables and rules to the
// balanced result with its averages and same-name tables (no file I/O).
// Generated cohorts: nine subjects, two balance columns, six band conditions
// per range, about 3 % namesakes. Fixed coin seed, so every run divides
// alike.

#include <benchmark/benchmark.h>

#include <optional>
#include <string>
#include <vector>

#include "cohort/cohort.h"
#include "engine/balance.h"
#include "engine/division.h"
#include "group_cohort.h"
#include "model/program_state.h"
#include "model/silent_user.h"

namespace {

using namespace tessaly;

model::ProgramState MakeState(int students, int ranges, int classes) {
  cohort::CohortOptions o;
  o.students = students;
  o.ranges = ranges;
  o.classes = {classes};
  o.bands_per_range = 6;
  o.seed = 2026;
  return cohort::MakeCohort(o);
}

// args: students, ranges, classes per range, the teacher's groups.
void BM_Divide(benchmark::State& bs) {
  model::ProgramState input = MakeState(
      static_cast<int>(bs.range(0)), static_cast<int>(bs.range(1)), static_cast<int>(bs.range(2)));
  bench::AddGroups(input, static_cast<int>(bs.range(3)));
  double score = 0;
  for (auto _ : bs) {
    bs.PauseTiming();
    model::ProgramState state = input;
    model::SilentUser user;
    engine::Coin coin(7);
    bs.ResumeTiming();
    engine::DivisionResult r = engine::bsSkinButton10Click(state, user, coin);
    if (!r.completed || user.warnings + user.errors != 0)
      bs.SkipWithError("the division did not complete");
    score = r.score;
    benchmark::DoNotOptimize(state);
  }
  bs.counters["score"] = score;
}
BENCHMARK(BM_Divide)
    ->ArgNames({"students", "ranges", "classes", "groups"})
    ->Args({1000, 1, 20, 0})
    ->Args({3000, 3, 20, 0})
    ->Args({3000, 3, 20, 20})
    ->Args({20000, 20, 20, 0})
    ->Args({20000, 1, 400, 0})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The balancing of the class average totals alone, on a divided cohort with
// a control score of 0 (as many passes as the pass limit allows).
void BM_BalanceTotals(benchmark::State& bs) {
  model::ProgramState divided = MakeState(
      static_cast<int>(bs.range(0)), static_cast<int>(bs.range(1)), static_cast<int>(bs.range(2)));
  {
    model::SilentUser user;
    engine::Coin coin(7);
    engine::bsSkinButton10Click(divided, user, coin);
  }
  for (auto _ : bs) {
    bs.PauseTiming();
    model::ProgramState state = divided;
    model::SilentUser user;
    bs.ResumeTiming();
    engine::BalanceTotals(state, user, engine::AllRangesChoice(), false, 0.0);
    benchmark::DoNotOptimize(state);
  }
}
BENCHMARK(BM_BalanceTotals)
    ->ArgNames({"students", "ranges", "classes"})
    ->Args({3000, 3, 20})
    ->Args({20000, 1, 400})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
