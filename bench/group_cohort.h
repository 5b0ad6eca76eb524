#pragma once
// The teacher's groups for the benchmarks: `count` groups of two or three
// students of one range each, keep-apart and keep-together in turn, drawn
// from students without a preset class and never one student twice, so that
// every group can be kept.

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "engine/combine.h"
#include "model/program_state.h"
#include "model/student_groups.h"

namespace tessaly::bench {

inline void AddGroups(model::ProgramState& state, int count, unsigned seed = 24) {
  if (count <= 0) return;
  model::ProgramState built = state;
  engine::BuildRangeSets(built);
  std::mt19937 rnd(seed);
  std::vector<std::vector<std::string>> free(built.RangeSets.size());
  for (std::size_t r = 0; r < built.RangeSets.size(); ++r) {
    for (const auto& s : built.RangeSets[r].Students) {
      if (s.PresetClass < 0) free[r].push_back(s.Number);
    }
    std::shuffle(free[r].begin(), free[r].end(), rnd);
  }
  for (int g = 0; g < count; ++g) {
    const std::size_t r = static_cast<std::size_t>(g) % free.size();
    model::StudentGroup group;
    group.kind = g % 2 ? model::GroupKind::kTogether : model::GroupKind::kApart;
    const int size = 2 + g % 2;
    for (int i = 0; i < size && !free[r].empty(); ++i) {
      group.numbers.push_back(free[r].back());
      free[r].pop_back();
    }
    state.GroupRows.push_back(model::GroupRow(group));
  }
}

}  // namespace tessaly::bench
