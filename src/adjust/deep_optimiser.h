#pragma once
// The deep optimiser ("深度优化", the fourth item of the option group
// "优化选项"): per range, an exchange search that brings every class as
// close to its range as the cohort allows, in average total, in every
// subject average and in every balanced headcount, without breaking a rule
// the teacher set. It changes AssignedClass in RangeSets only, pins nobody
// and is reproducible with a seed.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "adjust/deep_search.h"
#include "model/grid.h"
#include "model/program_state.h"
#include "model/user_port.h"

namespace tessaly::adjust {

// The caption of the option.
std::string DeepOptionCaption();

struct DeepOptions {
  // The time budget of the whole run, planned for an ordinary machine with
  // two cores: the search's plans are fitted to its share and the final
  // stage prices exchanges in proportion to it, so that equal seeds and
  // budgets give equal results, and more time never a worse one.
  // 0: DefaultDeepSeconds of the cohort.
  double seconds = 0;
  std::uint64_t seed = 1;  // equal seeds give equal results
  // Ranges (or the starts of a single range) searched side by side; 0: as
  // many as the machine has cores, at most 8. The result does not depend on
  // it.
  int threads = 0;
  DeepTuning tuning;
};

// What the search did in one range.
struct DeepRangeReport {
  std::string key;  // RangeKey of the range
  double start_cost = 0, best_cost = 0;
  std::int64_t proposals = 0, exchanges = 0;
  bool budget_reached = false;
  bool changed = false;
  // The final stage: exchanges priced, and students it placed anew.
  std::int64_t leximax_priced = 0, leximax_exchanges = 0;
};

// What the division page shows after the run.
struct DeepResult {
  bool ran = false;      // the checks passed and the ranges were searched
  bool changed = false;  // some student changed class
  std::vector<DeepRangeReport> ranges;
  model::Grid averages;         // the averages table of the result
  std::optional<double> score;  // the division score of the result
};

// The default budget: 2 seconds up to 3,000 students, growing with the
// square root of a larger cohort's size, at most 6 seconds (20,000 students
// take 5).
double DefaultDeepSeconds(std::size_t students);

// Proposals planned for a range of `size` students: every start searches
// and polishes.
double PlannedProposals(const DeepTuning& tuning, double size);

// A plan that would outrun its share of the time budget (at the seconds per
// proposal of an ordinary machine, so that the plan is the same on every
// machine) is shortened to fit it: no group exchanges, fewer
// starts, then a shorter search and polish: a whole search of fewer proposals ends far
// better than a long one cut in the middle, while it is still hot. A plan
// that fits is kept as it is, so that equal seeds give equal results
// whenever the budget allows the whole plan.
void FitToBudget(DeepTuning& tuning, double size, double seconds_per_proposal, double share);

// Runs the deep optimiser over every range. No division yet (RangeSets
// empty): nothing but the averages table and the score. Range rows and range
// sets differing in number, or a range whose ids do not match its class
// count: the warning of the class statistics, nothing changed. When no range
// improves: "该类型优化已完成！" and nothing changed. Progress goes through
// `user` ("分班进度", 2 .. 100).
DeepResult DeepOptimiseDivision(model::ProgramState& state, model::UserPort& user,
                                const DeepOptions& options = {});

}  // namespace tessaly::adjust
