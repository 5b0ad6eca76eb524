// Pinyin conversion and namesake counts at cohort scale.

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "engine/names/namesake_index.h"
#include "engine/names/same_names.h"
#include "engine/names/spell.h"

namespace {

using namespace tessaly;

// Random names of two or three common-range Chinese characters.
std::vector<std::string> RandomNames(int count, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::string> names;
  names.reserve(count);
  for (int i = 0; i < count; ++i) {
    std::string name;
    const int length = 2 + static_cast<int>(rng() % 2);
    for (int c = 0; c < length; ++c) {
      // Rows B0..C8 of GB 2312: common characters, with many shared readings.
      name.push_back(static_cast<char>(0xB0 + rng() % 0x19));
      name.push_back(static_cast<char>(0xA1 + rng() % 94));
    }
    names.push_back(name);
  }
  return names;
}

model::Student_F RandomSet(int count, int classes) {
  model::Student_F set;
  std::mt19937 rng(7);
  for (const auto& name : RandomNames(count, 3)) {
    model::student s;
    s.Name = name;
    s.AssignedClass = static_cast<int>(rng() % (classes + 1)) - 1;
    set.Students.push_back(s);
  }
  set.StudentCount = count;
  return set;
}

void BM_ToPinyin10000Names(benchmark::State& state) {
  const auto names = RandomNames(10000, 1);
  for (auto _ : state) {
    std::size_t bytes = 0;
    for (const auto& n : names) bytes += engine::ToPinyin(n, 1, 255).size();
    benchmark::DoNotOptimize(bytes);
  }
}
BENCHMARK(BM_ToPinyin10000Names)->Unit(benchmark::kMillisecond);

void BM_SoundKeys10000Names(benchmark::State& state) {
  const model::Student_F set = RandomSet(10000, 10);
  const engine::SoundRules rules =
      engine::MakeSoundRules({"c-ch", "z-zh", "s-sh"}, {"an-ang", "in-ing", "en-eng"});
  for (auto _ : state) benchmark::DoNotOptimize(engine::BuildSoundKeys(set, rules));
}
BENCHMARK(BM_SoundKeys10000Names)->Unit(benchmark::kMillisecond);

void BM_NamesakeIndexBuild20000(benchmark::State& state) {
  const model::Student_F set = RandomSet(20000, 40);
  const engine::SoundRules rules = engine::MakeSoundRules({}, {"an-ang"});
  for (auto _ : state) benchmark::DoNotOptimize(engine::NamesakeIndex(set, rules));
}
BENCHMARK(BM_NamesakeIndexBuild20000)->Unit(benchmark::kMillisecond);

// One namesake test per (student, class) with a placement between tests,
// as the division asks them.
void BM_NamesakeIndexTest(benchmark::State& state) {
  const int classes = 40;
  const model::Student_F set = RandomSet(20000, classes);
  engine::NamesakeIndex index(set, engine::MakeSoundRules({}, {}));
  std::mt19937 rng(11);
  double sum = 0;
  int pos = 0;
  for (auto _ : state) {
    for (int k = 1; k <= classes; ++k) sum += index.Test(pos, classes, k).graded;
    index.Place(pos, 1 + static_cast<int>(rng() % classes));
    pos = (pos + 1) % index.size();
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() * classes);
}
BENCHMARK(BM_NamesakeIndexTest);

// The same-name table of two ranges of 10,000 students each.
void BM_ShowSameNames20000(benchmark::State& state) {
  const std::vector<model::Student_F> sets = {RandomSet(10000, 20), RandomSet(10000, 20)};
  const model::RuleList ranges = {"x|1-10000-|20|x|x|", "x|10001-20000-|20|x|x|"};
  const engine::SoundRules rules = engine::MakeSoundRules({}, {"an-ang", "in-ing"});
  for (auto _ : state) benchmark::DoNotOptimize(engine::ShowSameNames(sets, ranges, rules));
}
BENCHMARK(BM_ShowSameNames20000)->Unit(benchmark::kMillisecond);

}  // namespace
