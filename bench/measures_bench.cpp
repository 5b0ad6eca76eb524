// The division's measures at cohort scale: range sets, the running tallies
// priced for every (student, class) pair, statistics and the score.

#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "engine/combine.h"
#include "engine/evaluation.h"
#include "engine/statistics.h"
#include "engine/tallies.h"
#include "model/program_state.h"
#include "model/silent_user.h"
#include "model/user_port.h"
#include "platform/encoding.h"

namespace {

using namespace tessaly;

// `students` students with six subjects and two balance columns, divided
// into `ranges` ranges by number, each of `classes` classes, with three band
// rows per range.
model::ProgramState Cohort(int students, int ranges, int classes) {
  std::mt19937 rng(11);
  model::ProgramState st;
  model::Student_F t;
  for (const char* h : {"语文", "数学", "英语", "物理", "化学", "生物"}) {
    t.Headings.SubjectHeadings.push_back(enc::FromUtf8(h));
  }
  t.Headings.BalanceHeadings = {enc::FromUtf8("住宿"), enc::FromUtf8("组")};
  const std::string stays[] = {enc::FromUtf8("走读"), enc::FromUtf8("住校"), ""};
  const std::string boy = enc::FromUtf8("男"), girl = enc::FromUtf8("女");
  for (int i = 0; i < students; ++i) {
    model::student s;
    s.Number = std::to_string(i + 1);
    s.Gender = rng() % 2 ? boy : girl;
    for (int j = 0; j < 6; ++j) s.Scores.push_back(rng() % 10 ? 40 + rng() % 600 / 10.0 : 0);
    for (double v : s.Scores) s.Total += v;
    std::string group = "G";
    group += std::to_string(rng() % 25);
    s.BalanceValues = {stays[rng() % 3], group};
    t.Students.push_back(s);
  }
  t.StudentCount = students;
  t.IsMainTable = true;
  st.ImportedSets.push_back(t);
  const int per = students / ranges;
  int id = 1;
  for (int r = 0; r < ranges; ++r) {
    std::string ids;
    for (int k = 0; k < classes; ++k) ids += std::to_string(id++) + ",";
    const std::string range = enc::FromUtf8("按学号|") + std::to_string(r * per + 1) + "-" +
                              std::to_string((r + 1) * per) + "-|";
    st.ClassRangeRows.push_back(range + std::to_string(classes) + "|" + ids + "|");
    st.BandConditionRows.push_back(range + enc::FromUtf8("$数学$大于等于 80$5 级$"));
    st.BandConditionRows.push_back(range + enc::FromUtf8("$总分$小于 300$4 级$"));
    st.BandConditionRows.push_back(range + enc::FromUtf8("$英语$大于 60 且小于等于 70$3 级$"));
  }
  st.BalanceItemRows = {enc::FromUtf8("性别|4 级|"), enc::FromUtf8("总分|2 级|"),
                        enc::FromUtf8("组|4 级|")};
  return st;
}

void BM_BuildRangeSets_20000in20(benchmark::State& state) {
  const model::ProgramState base = Cohort(20000, 20, 20);
  for (auto _ : state) {
    model::ProgramState st = base;
    benchmark::DoNotOptimize(engine::BuildRangeSets(st));
  }
}
BENCHMARK(BM_BuildRangeSets_20000in20)->Unit(benchmark::kMillisecond);

// Every (student, class) pair of a whole range priced once with the three
// headcount terms and the average term, placing one student per class per
// batch as the division does: 8 million pairs for 20,000 students and 400
// classes.
void PriceRange(benchmark::State& state, int students, int classes) {
  model::ProgramState st = Cohort(students, 1, classes);
  engine::BuildRangeSets(st);
  const model::Student_F& set = st.RangeSets[0];
  const std::string key = model::RangeKey(st.ClassRangeRows[0]);
  const engine::GapWeights weights = engine::MakeGapWeights(st, true);
  for (auto _ : state) {
    engine::RangeTallies t;
    t.Build(st, set, key, classes);
    std::vector<engine::New_ClassInf> summaries(classes, engine::EmptySummary(0, 6));
    engine::New_ClassInf range = engine::EmptySummary(-1, 6);
    std::vector<std::int32_t> slots(classes);
    double sum = 0;
    for (std::size_t first = 0; first < set.Students.size(); first += classes) {
      const std::size_t last = std::min(set.Students.size(), first + classes);
      for (std::size_t p = first; p < last; ++p) engine::AddToSummary(range, set.Students[p]);
      for (int k = 0; k < classes; ++k) slots[k] = t.Slot(k + 1);
      for (int k = 0; k < classes; ++k) {
        for (std::size_t p = first; p < last; ++p) {
          sum += 0 + t.GenderCost(p, slots[k]) + t.BalanceValueCost(p, slots[k]) +
                 engine::AverageGapWithStudent(range, summaries[k], set.Students[p], weights) +
                 t.BandCost(p, slots[k]);
        }
      }
      for (std::size_t p = first; p < last; ++p) {
        const int k = static_cast<int>(p - first);
        t.Place(p, k + 1);
        engine::AddToSummary(summaries[k], set.Students[p]);
      }
    }
    benchmark::DoNotOptimize(sum);
  }
}
void BM_PriceRange_20000in400(benchmark::State& state) {
  PriceRange(state, 20000, 400);
}
void BM_PriceRange_1000in20(benchmark::State& state) {
  PriceRange(state, 1000, 20);
}
BENCHMARK(BM_PriceRange_20000in400)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PriceRange_1000in20)->Unit(benchmark::kMillisecond);

model::ProgramState Placed(int students, int ranges, int classes) {
  model::ProgramState st = Cohort(students, ranges, classes);
  engine::BuildRangeSets(st);
  int id = 1;
  for (auto& set : st.RangeSets) {
    for (std::size_t i = 0; i < set.Students.size(); ++i) {
      set.Students[i].AssignedClass = id + static_cast<int>(i % classes);
    }
    id += classes;
  }
  return st;
}

void BM_RebuildStatistics_20000in400(benchmark::State& state) {
  const model::ProgramState st = Placed(20000, 1, 400);
  model::SilentUser user;
  for (auto _ : state) {
    engine::ClassStatistics stats;
    benchmark::DoNotOptimize(engine::RebuildStatistics(st, user, stats));
  }
}
BENCHMARK(BM_RebuildStatistics_20000in400)->Unit(benchmark::kMillisecond);

void BM_ScoreDivision_20000in400(benchmark::State& state) {
  const model::ProgramState st = Placed(20000, 1, 400);
  for (auto _ : state) benchmark::DoNotOptimize(engine::ScoreDivision(st));
}
BENCHMARK(BM_ScoreDivision_20000in400)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// One swap pair measured with both measures, as the balancing and the
// optimiser do for every candidate pair.
void BM_SwapMeasuresPerPair_20000in400(benchmark::State& state) {
  model::ProgramState st = Placed(20000, 1, 400);
  st.CountConditionRows = {enc::FromUtf8("按学号|1-20000-|$数学$大于等于 80$"),
                           enc::FromUtf8("按学号|1-20000-|$总分$小于 300$")};
  model::SilentUser user;
  engine::ClassStatistics stats;
  engine::RebuildStatistics(st, user, stats);
  const auto& s = st.RangeSets[0].Students;
  for (auto _ : state) {
    const auto h = engine::HeadcountDeviation(st, stats.CountInfo, 0, 1, &s[0], 2, &s[1]);
    const auto a = engine::AverageDeviation(st, stats.AverageInfo, 0, 1, &s[0], 2, &s[1]);
    benchmark::DoNotOptimize(h);
    benchmark::DoNotOptimize(a);
  }
}
BENCHMARK(BM_SwapMeasuresPerPair_20000in400)->Unit(benchmark::kMicrosecond);

}  // namespace

namespace {

// Statistics brought up to date after one exchange between two classes.
void BM_RefreshClassesAfterExchange_20000in400(benchmark::State& state) {
  model::ProgramState st = Placed(20000, 1, 400);
  st.CountConditionRows = {enc::FromUtf8("按学号|1-20000-|$数学$大于等于 80$"),
                           enc::FromUtf8("按学号|1-20000-|$总分$小于 300$"),
                           enc::FromUtf8("按学号|1-20000-|$英语$大于 60 且小于等于 70$")};
  model::SilentUser user;
  engine::ClassStatistics stats;
  engine::RebuildStatistics(st, user, stats);
  auto& s = st.RangeSets[0].Students;
  for (auto _ : state) {
    std::swap(s[0].AssignedClass, s[1].AssignedClass);
    engine::RefreshClasses(st, 0, 1, 2, stats);
  }
}
BENCHMARK(BM_RefreshClassesAfterExchange_20000in400)->Unit(benchmark::kMillisecond);

}  // namespace
