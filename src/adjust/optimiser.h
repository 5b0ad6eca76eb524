#pragma once
// The optimiser "优化分班结果": pass after pass it picks, within a range, the
// class whose headcounts stand furthest from the per-class expectation and
// the class that complements it best, and makes at most one exchange of a
// student of the first against a student of the second (totals less than
// 30 apart, nobody pinned) that improves the pair by the chosen option. At
// most ten passes per range; the run ends when a range used them all.

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/statistics.h"
#include "model/grid.h"
#include "model/program_state.h"
#include "model/user_port.h"

namespace tessaly::adjust {

// The goals of an exchange, the items (0..2) of the option group "优化选项".
enum class OptimiseOption : int {
  kAverages = 0,    // "优化平均分"
  kHeadcounts = 1,  // "优化均衡人数"
  kCombined = 2,    // "综合因素优化"
};

// Unordered pairs of class ids that a run no longer tries, stored with the
// smaller id first.
using ExcludedPairs = std::set<std::pair<std::int32_t, std::int32_t>>;
void ExcludePair(ExcludedPairs& pairs, std::int32_t a, std::int32_t b);
bool IsExcluded(const ExcludedPairs& pairs, std::int32_t a, std::int32_t b);

// Two classes of one range: A gives students, B receives them and gives
// students back. Positions are class positions of the range (1..c).
struct ClassPair {
  std::size_t range = 0;
  std::int32_t a_position = 0, b_position = 0;
  std::int32_t a_id = -1, b_id = -1;
  bool operator==(const ClassPair&) const = default;
};

// The pair of the range with this RangeKey: the classes ordered by their
// headcount imbalance (largest first, ties in class order), and for the
// first class that has one, the not excluded class with the largest
// positive complement score (the first of equal ones). `count_info` is used
// as it is. None when no such pair exists or no range has the key.
std::optional<ClassPair> ChoosePair(const model::ProgramState& state,
                                    const std::vector<engine::AllCountInf>& count_info,
                                    const std::string& range_key, const ExcludedPairs& excluded);

struct OptimiseResult {
  bool ran = false;  // the checks passed and the statistics were built
  std::int32_t exchanges = 0;
  std::int32_t passes = 0;  // over all ranges
};

// One run of the optimiser with the option (0, 1 or 2). Does nothing when
// there is no range set; warns when range rows and range sets differ in
// number. Shows the progress window from 2 to 100, and "该类型优化已完成！"
// when it made no exchange. Changes only AssignedClass of exchanged
// students.
OptimiseResult OptimiseDivision(model::ProgramState& state, model::UserPort& user,
                                OptimiseOption option);

// The caption of the option group and its items, in index order. A further
// goal is one more item at the end.
const std::string& OptimiserGroupCaption();
const std::vector<std::string>& OptimiserOptionItems();
// The three labels beside the button, one under the other.
const std::vector<std::string>& OptimiserNoteLines();

// The optimiser's part of the division page: the option group
// bsSkinRadioGroup1, which starts at "优化均衡人数".
struct OptimiserPage {
  std::vector<std::string> option_items = OptimiserOptionItems();
  std::int32_t option_index = 1;
};

// What the page shows after "优化分班结果".
struct OptimiseButtonResult {
  OptimiseResult run;
  model::Grid averages;         // the refreshed averages table
  std::optional<double> score;  // the division score of the new placement
};

// "优化分班结果" (bsSkinXFormButton2Click): OptimiseDivision with the selected
// option, then the averages table and the division score.
OptimiseButtonResult bsSkinXFormButton2Click(model::ProgramState& state, model::UserPort& user,
                                             const OptimiserPage& page);

}  // namespace tessaly::adjust
