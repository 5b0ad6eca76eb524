// The deep optimiser at cohort scale, from the result of "开始分班": time per
// run and the evenness before and after, as counters (spreads in points for
// averages, in students for headcounts). Generated cohorts: nine subjects, two
// balance columns, six band conditions per range, about 3 % namesakes, a few
// preset classes; and the bundled sample. Fixed seeds, so every run alike.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "adjust/deep_optimiser.h"
#include "cohort/cohort.h"
#include "engine/division.h"
#include "group_cohort.h"
#include "io/division_file.h"
#include "model/program_state.h"
#include "model/silent_user.h"
#include "stats/evenness.h"

namespace {

using namespace tessaly;

model::ProgramState Divided(model::ProgramState state) {
  model::SilentUser user;
  engine::Coin coin(7);
  engine::bsSkinButton10Click(state, user, coin);
  return state;
}

model::ProgramState Generated(int students, int ranges, int classes, int groups = 0) {
  cohort::CohortOptions o;
  o.students = students;
  o.ranges = ranges;
  o.classes = {classes};
  o.bands_per_range = 6;
  o.preset_share = 0.005;
  o.seed = 2026;
  model::ProgramState state = cohort::MakeCohort(o);
  bench::AddGroups(state, groups);
  return Divided(std::move(state));
}

model::ProgramState Sample() {
  const io::DivisionRead read =
      io::LoadDivisionFile(std::string(TESSALY_SOURCE_DIR) + "/data/sample.fb", {});
  return Divided(read.state);
}

// Tuning experiments: DEEP_TUNE="proposals=3000 stress=25 ..." overrides.
void Tune(adjust::DeepTuning& t) {
  const char* env = std::getenv("DEEP_TUNE");
  if (!env) return;
  std::istringstream in(env);
  std::string item;
  while (in >> item) {
    const auto eq = item.find('=');
    if (eq == std::string::npos) continue;
    const std::string k = item.substr(0, eq);
    const double v = std::stod(item.substr(eq + 1));
    if (k == "proposals") t.proposals_per_student = v;
    if (k == "finish") t.finish_share = v;
    if (k == "t0") t.start_temperature = v;
    if (k == "t1") t.end_temperature = v;
    if (k == "stress") t.total_stress = v;
    if (k == "count") t.count_weight = v;
    if (k == "same") t.same_kind_share = v;
    if (k == "near") t.near_total_share = v;
    if (k == "point") t.point_share = v;
    if (k == "guard") t.guard_weight = v;
    if (k == "partners") t.partners = static_cast<int>(v);
    if (k == "polish") t.polish_per_student = v;
    if (k == "squarings") t.polish_squarings = static_cast<int>(v);
    if (k == "extreme") t.extreme_share = v;
    if (k == "pt") t.polish_temperature = v;
    if (k == "ptotal") t.polish_total_stress = v;
    if (k == "compound") t.compound_share = v;
    if (k == "starts") t.starts = static_cast<int>(v);
    if (k == "gsweeps") t.group_sweeps = static_cast<int>(v);
    if (k == "gcap") t.group_cap = v;
    if (k == "gshare") t.group_pair_share = v;
    if (k == "gstudents") t.group_students = v;
    if (k == "start_students") t.start_students = v;
    if (k == "finished") t.finished_starts = static_cast<int>(v);
    if (k == "lex") t.leximax_per_second = v;
    if (k == "lexshare") t.leximax_share = v;
    if (k == "lexsubjects") t.leximax_subjects = static_cast<int>(v);
    if (k == "lexwindow") t.leximax_window = v;
    if (k == "perturb") t.perturb_exchanges = static_cast<int>(v);
    if (k == "pslack") t.perturb_slack = v;
    if (k == "stuck") t.perturb_stuck_rounds = static_cast<int>(v);
    if (k == "pairs") t.pair_exchanges = v != 0;
    if (k == "anew") t.pairs_listed_anew = v != 0;
  }
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// The spreads of one range: the total's, the widest subject's and the
// widest headcount's.
struct Spreads {
  double total = 0, subject = 0, count = 0;
};

std::vector<Spreads> SpreadsOf(const model::ProgramState& state) {
  std::vector<Spreads> out;
  for (const stats::RangeEvenness& r : stats::MeasureEvenness(state)) {
    Spreads s;
    for (const stats::SpreadRow& row : r.rows) {
      if (row.kind == stats::MeasureKind::kTotal) s.total = row.spread();
      if (row.kind == stats::MeasureKind::kSubject) s.subject = std::max(s.subject, row.spread());
      if (row.kind != stats::MeasureKind::kTotal && row.kind != stats::MeasureKind::kSubject)
        s.count = std::max(s.count, row.spread());
    }
    out.push_back(s);
  }
  return out;
}

// The spreads of a division: the median and the worst over the ranges.
void Count(benchmark::State& bs, const model::ProgramState& state, const std::string& when) {
  std::vector<double> total, subject, count;
  for (const Spreads& s : SpreadsOf(state)) {
    total.push_back(s.total);
    subject.push_back(s.subject);
    count.push_back(s.count);
  }
  bs.counters[when + "_total_med"] = Median(total);
  bs.counters[when + "_total_max"] = *std::max_element(total.begin(), total.end());
  bs.counters[when + "_subj_max"] = *std::max_element(subject.begin(), subject.end());
  bs.counters[when + "_subj_med"] = Median(subject);
  bs.counters[when + "_count_med"] = Median(count);
  bs.counters[when + "_count_max"] = *std::max_element(count.begin(), count.end());
}

// DEEP_RANGES=1: every range's spreads, one line each; DEEP_RANGES=2 also
// every measure's spread under its range, the highest and lowest class.
void PrintRanges(const std::string& name, const model::ProgramState& state, bool rows) {
  const std::vector<stats::RangeEvenness> evenness = stats::MeasureEvenness(state);
  const std::vector<Spreads> spreads = SpreadsOf(state);
  for (std::size_t r = 0; r < spreads.size(); ++r) {
    const Spreads& s = spreads[r];
    std::fprintf(stderr, "range %s | total %.4f | widest subject %.4f | widest headcount %.0f\n",
                 name.c_str(), s.total, s.subject, s.count);
    if (!rows) continue;
    for (const stats::SpreadRow& row : evenness[r].rows) {
      std::fprintf(stderr, "  %-12s %8.4f  high %2d  low %2d\n", row.label.c_str(), row.spread(),
                   row.high_class, row.low_class);
    }
  }
}

void Run(benchmark::State& bs, const model::ProgramState& divided, const std::string& label) {
  model::ProgramState result;
  for (auto _ : bs) {
    bs.PauseTiming();
    model::ProgramState state = divided;
    model::SilentUser user;
    bs.ResumeTiming();
    adjust::DeepOptions options;
    Tune(options.tuning);
    if (const char* s = std::getenv("DEEP_SEED")) options.seed = std::stoull(s);
    // The default budget, or DEEP_SECONDS (the long runs the default is
    // compared with).
    if (const char* s = std::getenv("DEEP_SECONDS")) options.seconds = std::stod(s);
    adjust::DeepResult r = adjust::DeepOptimiseDivision(state, user, options);
    bool cut = false;
    for (const auto& range : r.ranges) cut = cut || range.budget_reached;
    // The figures of a run the safety net cut short (a machine busy with
    // other work) are not those of the planned run: reported, not counted.
    if (!r.ran || user.warnings + user.errors != 0 || cut) {
      bs.SkipWithError(cut ? "the time budget's safety net ended the run (a busy machine?)"
                           : "the run did not complete");
      return;
    }
    bs.PauseTiming();
    result = std::move(state);
    bs.ResumeTiming();
  }
  Count(bs, divided, "before");
  Count(bs, result, "after");
  // DEEP_RANGES=1 or 2: every range's spreads after the run (PrintRanges).
  if (const char* ranges = std::getenv("DEEP_RANGES"))
    PrintRanges(label, result, std::string(ranges) == "2");
}

// args: students, ranges, classes per range, the teacher's groups.
void BM_DeepOptimise(benchmark::State& bs) {
  Run(bs,
      Generated(static_cast<int>(bs.range(0)), static_cast<int>(bs.range(1)),
                static_cast<int>(bs.range(2)), static_cast<int>(bs.range(3))),
      std::to_string(bs.range(0)) + "/" + std::to_string(bs.range(1)) + "/" +
          std::to_string(bs.range(2)) + "/" + std::to_string(bs.range(3)));
}
BENCHMARK(BM_DeepOptimise)
    ->ArgNames({"students", "ranges", "classes", "groups"})
    ->Args({1000, 1, 20, 0})
    ->Args({3000, 3, 20, 0})
    ->Args({3000, 3, 20, 20})
    ->Args({1000, 3, 6, 0})
    ->Args({20000, 20, 20, 0})
    // Classes of 100: ranges of 12, 10, 6 and 4 classes.
    ->Args({3600, 3, 12, 0})
    ->Args({3000, 3, 10, 0})
    ->Args({1800, 3, 6, 0})
    ->Args({1200, 3, 4, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

void BM_DeepOptimiseSample(benchmark::State& bs) {
  Run(bs, Sample(), "sample");
}
BENCHMARK(BM_DeepOptimiseSample)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
