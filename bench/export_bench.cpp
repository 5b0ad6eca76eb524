// The exports at grade scale: the all-data text (refreshing the averages,
// same names and statistics) and the whole workbook export, written to a
// temporary file. A generated cohort placed round-robin into its classes
// (the export does not care how the classes came about).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "cohort/cohort.h"
#include "engine/combine.h"
#include "io/export/all_data.h"
#include "io/export/workbook_export.h"
#include "model/program_state.h"
#include "model/rule_lists.h"
#include "model/silent_user.h"
#include "model/text_fields.h"

namespace {

using namespace tessaly;

model::ProgramState DividedCohort(int students, int ranges, int classes) {
  cohort::CohortOptions o;
  o.students = students;
  o.ranges = ranges;
  o.classes = {classes};
  o.seed = 2026;
  model::ProgramState state = cohort::MakeCohort(o);
  engine::BuildRangeSets(state);
  for (std::size_t r = 0; r < state.RangeSets.size(); ++r) {
    const auto ids = model::ClassIds(model::FieldAt(state.ClassRangeRows[r], '|', 4));
    auto& students_of_range = state.RangeSets[r].Students;
    for (std::size_t i = 0; i < students_of_range.size(); ++i) {
      students_of_range[i].AssignedClass = ids[i % ids.size()];
    }
  }
  state.DivisionStarted = true;
  return state;
}

// args: students, ranges, classes per range.
void BM_CollectAllData(benchmark::State& bs) {
  const model::ProgramState input = DividedCohort(
      static_cast<int>(bs.range(0)), static_cast<int>(bs.range(1)), static_cast<int>(bs.range(2)));
  std::size_t bytes = 0;
  for (auto _ : bs) {
    bs.PauseTiming();
    model::ProgramState state = input;
    model::SilentUser user;
    bs.ResumeTiming();
    bytes = io::exports::CollectAllData(state, user).size();
  }
  bs.counters["text_bytes"] = static_cast<double>(bytes);
}

// The export as "保存所有数据到Excel" runs it: CollectAllData on a copy of the
// state, the class rosters, the charts, the workbook and its rename.
void BM_ExportWorkbook(benchmark::State& bs) {
  const model::ProgramState input = DividedCohort(
      static_cast<int>(bs.range(0)), static_cast<int>(bs.range(1)), static_cast<int>(bs.range(2)));
  char folder[] = "/tmp/tessaly-export-bench-XXXXXX";
  if (::mkdtemp(folder) == nullptr) {
    bs.SkipWithError("no temporary folder");
    return;
  }
  const std::string path = std::string(folder) + "/export.xlsx";
  for (auto _ : bs) {
    bs.PauseTiming();
    model::ProgramState state = input;
    model::SilentUser user;
    bs.ResumeTiming();
    if (io::exports::ExportWorkbook(state, user, path, std::nullopt)) {
      bs.SkipWithError("the export failed");
    }
  }
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f != nullptr) {
    std::fseek(f, 0, SEEK_END);
    bs.counters["file_bytes"] = static_cast<double>(std::ftell(f));
    std::fclose(f);
  }
  std::remove(path.c_str());
  ::rmdir(folder);
}

// The workbook writer alone, on content built beforehand.
void BM_WriteWorkbook(benchmark::State& bs) {
  model::ProgramState state = DividedCohort(
      static_cast<int>(bs.range(0)), static_cast<int>(bs.range(1)), static_cast<int>(bs.range(2)));
  model::SilentUser user;
  const std::string text = io::exports::CollectAllData(state, user);
  const io::exports::WorkbookContent content = io::exports::ExportContent(state, text);
  char folder[] = "/tmp/tessaly-export-bench-XXXXXX";
  if (::mkdtemp(folder) == nullptr) {
    bs.SkipWithError("no temporary folder");
    return;
  }
  const std::string path = std::string(folder) + "/export.xlsx";
  for (auto _ : bs) {
    if (io::exports::WriteWorkbook(content, path)) bs.SkipWithError("the write failed");
  }
  std::remove(path.c_str());
  ::rmdir(folder);
}

BENCHMARK(BM_CollectAllData)
    ->ArgNames({"students", "ranges", "classes"})
    ->Args({1500, 3, 6})
    ->Args({20000, 20, 20})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_WriteWorkbook)
    ->ArgNames({"students", "ranges", "classes"})
    ->Args({20000, 20, 20})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_ExportWorkbook)
    ->ArgNames({"students", "ranges", "classes"})
    ->Args({1500, 3, 6})
    ->Args({20000, 20, 20})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace
