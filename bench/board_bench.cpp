// The class board at the size of one large range: 1,000 students in 20
// classes. Building the board (columns, figures, cards); a move as the
// desktop page makes it (one undo step of the division page, the board's
// question check, the transfer, then the board built again with every
// figure); and the preview shown while a card is dragged over a class.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "adjust/board_moves.h"
#include "adjust/class_board.h"
#include "cohort/cohort.h"
#include "engine/division.h"
#include "group_cohort.h"
#include "model/program_state.h"
#include "model/silent_user.h"
#include "stats/division_page.h"

namespace {

using namespace tessaly;

const model::ProgramState& Divided(int groups) {
  static model::ProgramState cache[2];
  model::ProgramState& state = cache[groups > 0 ? 1 : 0];
  if (!state.RangeSets.empty()) return state;
  cohort::CohortOptions o;
  o.students = 1000;
  o.ranges = 1;
  o.classes = {20};
  o.bands_per_range = 6;
  o.seed = 2026;
  state = cohort::MakeCohort(o);
  bench::AddGroups(state, groups);
  model::SilentUser user;
  engine::Coin coin(7);
  engine::bsSkinButton10Click(state, user, coin);
  return state;
}

// Unpinned students of the first class, and the class beside it.
std::vector<std::string> Movers(const adjust::ClassBoard& board) {
  std::vector<std::string> out;
  for (const adjust::BoardCard& c : board.columns.front().cards) {
    if (!c.pinned()) out.push_back(c.number);
  }
  return out;
}

// args: the teacher's groups.
void BM_BoardBuild(benchmark::State& bs) {
  const model::ProgramState& state = Divided(static_cast<int>(bs.range(0)));
  for (auto _ : bs) {
    adjust::ClassBoard board = adjust::BuildBoard(state, 0, adjust::BoardSort::kTotal);
    benchmark::DoNotOptimize(board);
  }
}
BENCHMARK(BM_BoardBuild)->ArgNames({"groups"})->Arg(0)->Arg(20)->Unit(benchmark::kMillisecond);

// args: back-fill, the teacher's groups.
void BM_BoardMove(benchmark::State& bs) {
  const model::ProgramState& divided = Divided(static_cast<int>(bs.range(1)));
  const bool back_fill = bs.range(0) != 0;
  const adjust::ClassBoard start = adjust::BuildBoard(divided, 0, adjust::BoardSort::kTotal);
  const std::vector<std::string> movers = Movers(start);
  const std::int32_t target = start.columns[1].figures.class_id;
  std::size_t i = 0;
  for (auto _ : bs) {
    bs.PauseTiming();
    model::ProgramState state = divided;
    adjust::ClassBoard board = start;
    stats::DivisionPageHistory history;
    model::SilentUser user(true);
    const std::string& number = movers[i++ % movers.size()];
    bs.ResumeTiming();
    history.Run(state, "move", "",
                [&] { return adjust::MoveOnBoard(state, user, board, number, target, back_fill); });
    board = adjust::BuildBoard(state, 0, board.sort);
    benchmark::DoNotOptimize(board);
  }
}
BENCHMARK(BM_BoardMove)
    ->ArgNames({"backfill", "groups"})
    ->ArgsProduct({{0, 1}, {0, 20}})
    ->Unit(benchmark::kMillisecond);

// args: back-fill.
void BM_BoardPreview(benchmark::State& bs) {
  const model::ProgramState& state = Divided(0);
  const adjust::ClassBoard board = adjust::BuildBoard(state, 0, adjust::BoardSort::kTotal);
  const std::vector<std::string> movers = Movers(board);
  const std::int32_t target = board.columns[1].figures.class_id;
  std::size_t i = 0;
  for (auto _ : bs) {
    auto p = adjust::PreviewMove(state, board, movers[i++ % movers.size()], target, bs.range(0));
    benchmark::DoNotOptimize(p);
  }
}
BENCHMARK(BM_BoardPreview)->ArgNames({"backfill"})->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
