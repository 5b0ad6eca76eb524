// The teacher's keep-apart and keep-together groups through every automatic
// step on random cohorts with random groups that can all be kept: the
// division, the total and subject balancing, the three optimiser modes, the
// deep optimiser, a transfer with either back-fill and a batch move never
// leave a group broken.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <set>

#include "adjust/batch_transfer.h"
#include "adjust/deep_optimiser.h"
#include "adjust/optimiser.h"
#include "engine/balance.h"
#include "engine/cohort_builder.h"
#include "engine/division.h"
#include "engine/group_guard.h"
#include "engine/reference_division.h"
#include "engine/transfer.h"
#include "model/student_groups.h"
#include "model/text_fields.h"
#include "support/fake_user.h"

namespace tessaly::adjust {
namespace {

using testing::CohortBuilder;
using testing::FakeUser;

struct GroupedCohort {
  model::ProgramState state;
  std::set<std::string> in_groups;  // numbers of students in any group
};

// Two ranges, a few preset students outside the groups, up to three
// keep-together groups of 2 or 3 (one of them perhaps with a preset
// student) and up to four keep-apart groups no larger than their range's
// class count. No student stands in two groups of one kind, and a
// keep-together group has at most one student in a keep-apart group, so the
// groups can always be kept.
GroupedCohort RandomGroupedCohort(std::mt19937& rnd) {
  CohortBuilder c({"语文", "数学", "英语"}, {"住宿"});
  const char* stay[] = {"走读", "住校", ""};
  const int n = 40 + static_cast<int>(rnd() % 80);
  for (int i = 0; i < n; ++i) {
    std::vector<double> scores;
    for (int j = 0; j < 3; ++j) scores.push_back(40 + rnd() % 61);
    c.Add(std::to_string(1000 + i), enc::ToUtf8(testing::RandomName(rnd)), rnd() % 2 ? "男" : "女",
          scores, {stay[rnd() % 3]});
  }
  const int split = n / 2 + static_cast<int>(rnd() % 10);
  const int k1 = 2 + static_cast<int>(rnd() % 3), k2 = 2 + static_cast<int>(rnd() % 4);
  std::string ids1, ids2;
  for (int k = 1; k <= k1; ++k) ids1 += std::to_string(k) + ",";
  for (int k = 1; k <= k2; ++k) ids2 += std::to_string(k1 + k) + ",";
  const std::string r1 = "按名次|1-" + std::to_string(split) + "-|";
  const std::string r2 = "按名次|" + std::to_string(split + 1) + "-" + std::to_string(n) + "-|";
  c.Range(r1 + std::to_string(k1) + "|" + ids1 + "|")
      .Range(r2 + std::to_string(k2) + "|" + ids2 + "|");
  if (rnd() % 2) c.Band(r1 + "$数学$大于 80 且小于等于 100$5 级$");
  c.Item("性别|5 级|").Item("住宿|4 级|");

  GroupedCohort out;
  out.state = c.State();
  const model::ProgramState built = testing::Divided(c);
  auto& table = out.state.ImportedSets[0].Students;
  auto row_of = [&](const std::string& number) -> model::student& {
    return *std::find_if(table.begin(), table.end(),
                         [&](const model::student& s) { return s.Number == number; });
  };
  std::vector<std::vector<std::string>> free(2);  // per range: numbers not yet in a group
  for (std::size_t r = 0; r < 2; ++r) {
    for (const auto& s : built.RangeSets[r].Students) free[r].push_back(s.Number);
    std::shuffle(free[r].begin(), free[r].end(), rnd);
  }
  auto take = [&](std::size_t r) {
    std::string n = free[r].back();
    free[r].pop_back();
    return n;
  };
  // Per range: one student of every keep-together group, free to join one
  // keep-apart group.
  std::vector<std::vector<std::string>> heads(2);
  const int together = static_cast<int>(rnd() % 4);
  for (int g = 0; g < together; ++g) {
    const std::size_t r = rnd() % 2;
    model::StudentGroup group{model::GroupKind::kTogether, {}, ""};
    const int size = 2 + static_cast<int>(rnd() % 2);
    for (int i = 0; i < size; ++i) group.numbers.push_back(take(r));
    if (rnd() % 3 == 0) {
      // Bound to a class: kept out of the keep-apart groups, where two
      // such could be bound to one class.
      const int base = r == 0 ? 1 : k1 + 1, k = r == 0 ? k1 : k2;
      row_of(group.numbers[1]).PresetClass = base + static_cast<int>(rnd() % k);
    } else {
      heads[r].push_back(group.numbers[0]);
    }
    out.state.GroupRows.push_back(model::GroupRow(group));
  }
  const int apart = 1 + static_cast<int>(rnd() % 4);
  for (int g = 0; g < apart; ++g) {
    const std::size_t r = rnd() % 2;
    const int k = r == 0 ? k1 : k2;
    model::StudentGroup group{model::GroupKind::kApart, {}, "备注"};
    const int size = 2 + static_cast<int>(rnd() % (k - 1));
    for (int i = 0; i < size; ++i) {
      if (!heads[r].empty() && rnd() % 2) {
        group.numbers.push_back(heads[r].back());
        heads[r].pop_back();
      } else {
        group.numbers.push_back(take(r));
      }
    }
    out.state.GroupRows.push_back(model::GroupRow(group));
  }
  for (const auto& row : out.state.GroupRows) {
    for (const auto& n : model::ReadGroupRow(row).numbers) out.in_groups.insert(n);
  }
  // A few pinned students outside the groups.
  for (auto& s : table) {
    if (out.in_groups.count(s.Number) == 0 && rnd() % 15 == 0) {
      const bool first = std::find(free[0].begin(), free[0].end(), s.Number) != free[0].end();
      s.PresetClass =
          first ? 1 + static_cast<int>(rnd() % k1) : k1 + 1 + static_cast<int>(rnd() % k2);
    }
  }
  return out;
}

// The groups that the division as it stands breaks, described.
std::vector<std::string> Broken(const model::ProgramState& state) {
  std::vector<std::string> out;
  for (std::int32_t row : engine::BrokenGroups(state)) {
    out.push_back(enc::ToUtf8(engine::DescribeGroupRow(state, row)));
  }
  return out;
}

// A student outside the groups and unpinned, and another class of his range.
struct Move {
  std::string number, name;
  std::int32_t to = -1;
};
std::optional<Move> RandomMove(const GroupedCohort& c, std::mt19937& rnd) {
  const auto& st = c.state;
  for (int tries = 0; tries < 50; ++tries) {
    const std::size_t r = rnd() % st.RangeSets.size();
    const auto& set = st.RangeSets[r].Students;
    if (set.empty()) continue;
    const model::student& s = set[rnd() % set.size()];
    if (s.PresetClass >= 0 || c.in_groups.count(s.Number) > 0) continue;
    const auto ids = model::ClassIds(model::FieldAt(st.ClassRangeRows[r], '|', 4));
    const std::int32_t to = ids[rnd() % ids.size()];
    if (to != s.AssignedClass) return Move{s.Number, s.Name, to};
  }
  return std::nullopt;
}

TEST(StudentGroupsSteps, NoAutomaticStepBreaksAGroup) {
  std::mt19937 rnd(24);
  int grouped_members_moved = 0;
  for (int round = 0; round < 30; ++round) {
    GroupedCohort c = RandomGroupedCohort(rnd);
    FakeUser user;
    engine::Coin coin(static_cast<std::uint32_t>(round));
    const auto divided = engine::bsSkinButton10Click(c.state, user, coin);
    ASSERT_TRUE(divided.completed) << round;
    EXPECT_EQ(Broken(c.state), std::vector<std::string>{}) << "division, round " << round;
    const model::ProgramState after_division = c.state;

    engine::BalanceTotals(c.state, user, engine::AllRangesChoice(), false, 0.3);
    EXPECT_EQ(Broken(c.state), std::vector<std::string>{}) << "totals, round " << round;
    engine::BalanceSubject(c.state, user, engine::AllRangesChoice(), testing::Gb("数学"), false,
                           0.3);
    EXPECT_EQ(Broken(c.state), std::vector<std::string>{}) << "subject, round " << round;
    for (int option = 0; option < 3; ++option) {
      OptimiseDivision(c.state, user, static_cast<OptimiseOption>(option));
      EXPECT_EQ(Broken(c.state), std::vector<std::string>{}) << "mode " << option << " " << round;
    }
    DeepOptions deep;
    deep.seconds = 0.3;
    // The final stage too, short enough for a slow build.
    deep.tuning.leximax_per_second = 2e5;
    deep.seed = static_cast<std::uint64_t>(round);
    deep.threads = 1;
    DeepOptimiseDivision(c.state, user, deep);
    EXPECT_EQ(Broken(c.state), std::vector<std::string>{}) << "deep, round " << round;

    for (int m = 0; m < 4; ++m) {
      if (auto move = RandomMove(c, rnd)) {
        // Back-filled by the best match, and by the balance of the averages.
        engine::TransferStudent(c.state, user, move->number, move->name, move->to, 100,
                                m % 2 ? engine::BackFillMode::BackFillByBalance
                                      : engine::BackFillMode::BackFillByMatch);
        EXPECT_EQ(Broken(c.state), std::vector<std::string>{}) << "transfer, round " << round;
      }
    }
    BatchGrid grid;
    ResetBatchGrid(grid);
    std::string rows;
    for (int m = 0; m < 3; ++m) {
      if (auto move = RandomMove(c, rnd)) {
        rows += move->number + "\t" + move->name + "\t" + std::to_string(move->to) + "\n";
      }
    }
    PasteIntoBatchGrid(grid, rows, 1, 0);
    bsSkinButton14Click(c.state, user, grid, BatchSettings{true, 100});
    EXPECT_EQ(Broken(c.state), std::vector<std::string>{}) << "batch, round " << round;
    // No question was asked: nothing moved broke a group.
    for (const auto& call : user.calls) EXPECT_NE(call.rfind("confirm", 0), 0u) << call;

    // The steps did move grouped students (keep-apart ones are free).
    for (std::size_t r = 0; r < c.state.RangeSets.size(); ++r) {
      for (std::size_t i = 0; i < c.state.RangeSets[r].Students.size(); ++i) {
        const auto& s = c.state.RangeSets[r].Students[i];
        for (const auto& before : after_division.RangeSets[r].Students) {
          if (before.Number == s.Number && before.AssignedClass != s.AssignedClass &&
              c.in_groups.count(s.Number) > 0) {
            ++grouped_members_moved;
          }
        }
      }
    }
  }
  EXPECT_GT(grouped_members_moved, 0);
}

}  // namespace
}  // namespace tessaly::adjust
