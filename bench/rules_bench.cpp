// Entering the first rules page with "按学号" chosen: the weights grid, the
// range grid and both range boxes filled with the main table's student
// numbers. Generated cohorts (tools/cohort) of 20,000 students and more.
// Also the second page's entry (conditions grid and balance items).

#include <benchmark/benchmark.h>

#include "cohort/cohort.h"
#include "model/silent_user.h"
#include "rules/first_rules_page.h"
#include "rules/second_rules_page.h"

namespace {

using namespace tessaly;

model::ProgramState MakeState(int students) {
  cohort::CohortOptions o;
  o.students = students;
  o.seed = 2026;
  return cohort::MakeCohort(o);
}

void BM_EnterFirstRulesPage(benchmark::State& bs) {
  model::ProgramState state = MakeState(static_cast<int>(bs.range(0)));
  rules::FirstRulesPage page;
  model::SilentUser user;
  rules::ChooseRangeType(page.ranges, rules::RangeType::kByNumber, state, user);
  for (auto _ : bs) {
    rules::EnterFirstRulesPage(page, state);
    benchmark::DoNotOptimize(page.ranges.end.items.data());
  }
  bs.counters["students"] = static_cast<double>(page.ranges.start.items.size());
}
BENCHMARK(BM_EnterFirstRulesPage)->Arg(20000)->Arg(60000)->Unit(benchmark::kMillisecond);

void BM_AddRangeByNumber(benchmark::State& bs) {
  model::ProgramState state = MakeState(static_cast<int>(bs.range(0)));
  state.ClassRangeRows.clear();
  model::SilentUser user;
  for (auto _ : bs) {
    bs.PauseTiming();
    rules::FirstRulesPage page;
    rules::ChooseRangeType(page.ranges, rules::RangeType::kByNumber, state, user);
    rules::EnterFirstRulesPage(page, state);
    const auto& items = page.ranges.start.items;
    rules::SetRangeBoxText(page.ranges.start, items.front());
    rules::SetRangeBoxText(page.ranges.end, items.back());
    page.ranges.class_count = "2";
    page.ranges.class_ids = "1,2,";
    bs.ResumeTiming();
    benchmark::DoNotOptimize(rules::AddRange(page.ranges, user));
  }
}
BENCHMARK(BM_AddRangeByNumber)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_EnterSecondRulesPage(benchmark::State& bs) {
  model::ProgramState state = MakeState(static_cast<int>(bs.range(0)));
  rules::SecondRulesPage page;
  for (auto _ : bs) {
    rules::EnterSecondRulesPage(page, state);
    benchmark::DoNotOptimize(page.items.grid.rows.data());
  }
}
BENCHMARK(BM_EnterSecondRulesPage)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace
