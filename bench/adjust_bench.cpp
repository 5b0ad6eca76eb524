// The commands that adjust a finished division, at cohort scale, each from a
// loaded (divided) state: one optimiser run per option, the batch transfer
// of 500 moves with back-fill, one query of the query page, and the
// headcount statistics ("开始统计"). Generated cohorts as in engine_bench.

#include <benchmark/benchmark.h>

#include <map>
#include <random>
#include <string>
#include <utility>

#include "adjust/batch_transfer.h"
#include "adjust/optimiser.h"
#include "adjust/query_page.h"
#include "cohort/cohort.h"
#include "engine/division.h"
#include "group_cohort.h"
#include "model/program_state.h"
#include "model/silent_user.h"
#include "platform/encoding.h"
#include "stats/headcount_page.h"

namespace {

using namespace tessaly;

// A divided cohort: students, ranges, classes per range. Divided once per
// shape and kept for every benchmark that needs it.
const model::ProgramState& Divided(int students, int ranges, int classes, int groups = 0) {
  static std::map<std::tuple<int, int, int, int>, model::ProgramState> cache;
  auto key = std::make_tuple(students, ranges, classes, groups);
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  cohort::CohortOptions o;
  o.students = students;
  o.ranges = ranges;
  o.classes = {classes};
  o.bands_per_range = 6;
  o.seed = 2026;
  model::ProgramState state = cohort::MakeCohort(o);
  bench::AddGroups(state, groups);
  model::SilentUser user;
  engine::Coin coin(7);
  engine::bsSkinButton10Click(state, user, coin);
  return cache.emplace(key, std::move(state)).first->second;
}

// args: students, ranges, classes per range, option, the teacher's groups.
void BM_Optimise(benchmark::State& bs) {
  const model::ProgramState& divided =
      Divided(static_cast<int>(bs.range(0)), static_cast<int>(bs.range(1)),
              static_cast<int>(bs.range(2)), static_cast<int>(bs.range(4)));
  const auto option = static_cast<adjust::OptimiseOption>(bs.range(3));
  int exchanges = 0;
  for (auto _ : bs) {
    bs.PauseTiming();
    model::ProgramState state = divided;
    model::SilentUser user;
    bs.ResumeTiming();
    exchanges = adjust::OptimiseDivision(state, user, option).exchanges;
    benchmark::DoNotOptimize(state);
  }
  bs.counters["exchanges"] = exchanges;
}
BENCHMARK(BM_Optimise)
    ->ArgNames({"students", "ranges", "classes", "option", "groups"})
    ->ArgsProduct({{3000}, {3}, {20}, {0, 1, 2}, {0, 20}})
    ->ArgsProduct({{20000}, {20}, {20}, {0, 1, 2}, {0}})
    ->ArgsProduct({{20000}, {1}, {400}, {0, 1, 2}, {0}})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// "开始统计" with the headcount conditions seeded from the band conditions.
void BM_HeadcountStatistics(benchmark::State& bs) {
  const model::ProgramState& divided = Divided(
      static_cast<int>(bs.range(0)), static_cast<int>(bs.range(1)), static_cast<int>(bs.range(2)));
  model::ProgramState state = divided;
  stats::HeadcountPage page = stats::NewHeadcountPage();
  stats::bsSkinTabSheet8Enter(state, page);
  for (auto _ : bs) {
    stats::bsSkinButton11Click(state, page);
    benchmark::DoNotOptimize(page.statistics);
  }
  bs.counters["rows"] = static_cast<double>(page.statistics.RowCount());
}
BENCHMARK(BM_HeadcountStatistics)
    ->ArgNames({"students", "ranges", "classes"})
    ->Args({20000, 20, 20})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// "批量调整" of 500 moves with back-fill (limit 20): random students to a
// random other class of their own range.
void BM_BatchTransfer(benchmark::State& bs) {
  const model::ProgramState& divided = Divided(
      static_cast<int>(bs.range(0)), static_cast<int>(bs.range(1)), static_cast<int>(bs.range(2)));
  std::mt19937 rnd(5);
  std::string moves;
  const int classes = static_cast<int>(bs.range(2));
  for (int i = 0; i < 500; ++i) {
    const std::size_t r = rnd() % divided.RangeSets.size();
    const auto& set = divided.RangeSets[r].Students;
    const model::student& s = set[rnd() % set.size()];
    const int target = static_cast<int>(r) * classes + 1 + static_cast<int>(rnd() % classes);
    moves += s.Number + "\t" + s.Name + "\t" + std::to_string(target) + "\r\n";
  }
  int moved = 0;
  for (auto _ : bs) {
    bs.PauseTiming();
    model::ProgramState state = divided;
    model::SilentUser user;
    adjust::BatchGrid grid;
    adjust::ResetBatchGrid(grid);
    adjust::PasteIntoBatchGrid(grid, moves, 1, 0);
    bs.ResumeTiming();
    moved = static_cast<int>(adjust::bsSkinButton14Click(state, user, grid, {}));
    benchmark::DoNotOptimize(state);
  }
  bs.counters["moved"] = moved;
}
BENCHMARK(BM_BatchTransfer)
    ->ArgNames({"students", "ranges", "classes"})
    ->Args({20000, 20, 20})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// One query of the page (the index built when the page was entered):
// kind 3 with an empty text lists everyone, kind 1 a few initials.
void BM_Query(benchmark::State& bs) {
  const model::ProgramState& divided = Divided(20000, 20, 20);
  adjust::QueryPage page;
  adjust::bsSkinTabSheet10Enter(divided, page);
  const auto kind = static_cast<adjust::QueryKind>(bs.range(0));
  const std::string text = kind == adjust::QueryKind::kInitials ? "ZW"
                           : kind == adjust::QueryKind::kName   ? "伟"_gb
                           : kind == adjust::QueryKind::kClass  ? "37 班"_gb
                                                                : "";
  std::size_t rows = 0;
  for (auto _ : bs) {
    model::Grid g = adjust::QueryStudents(page.index, kind, text);
    rows = g.RowCount();
    benchmark::DoNotOptimize(g);
  }
  bs.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_Query)->ArgName("kind")->DenseRange(1, 4)->Unit(benchmark::kMillisecond);

// Entering the query page at 20,000 students: the index and the list of
// everyone.
void BM_QueryPageEnter(benchmark::State& bs) {
  const model::ProgramState& divided = Divided(20000, 20, 20);
  for (auto _ : bs) {
    adjust::QueryPage page;
    adjust::bsSkinTabSheet10Enter(divided, page);
    benchmark::DoNotOptimize(page);
  }
}
BENCHMARK(BM_QueryPageEnter)->Unit(benchmark::kMillisecond);

}  // namespace
