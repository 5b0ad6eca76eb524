#pragma once
// Average-gap balancing: within a range, the classes with the highest and the
// lowest average (of the total or of one subject) exchange students until
// their averages lie within a control score, no pair of classes is left to
// try, or the pass limit (2c + 1 passes for c classes) is reached. Exchanges
// go through the balancing back-fill of the transfer and keep class sizes;
// students with a preset class are never moved.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/statistics.h"
#include "model/grid.h"
#include "model/program_state.h"
#include "model/user_port.h"

namespace tessaly::engine {

// One entry of a candidate list: a position in the range set and, for
// ImbalanceCandidates, the student's imbalance score.
struct ImbalanceCandidate {
  std::int32_t position = 0;
  double score = 0;
  bool operator==(const ImbalanceCandidate&) const = default;
};

// The students of class `class_id` of range r without a preset class, ranked
// by how strongly they belong to groups (gender, tracked balance values,
// count bands) whose headcount in the class is off the per-class expectation;
// at most 20, highest score first. `count_info` must describe the current
// placement. Without band conditions for the range the top 15 % and bottom
// 5 % of the set are left out.
std::vector<ImbalanceCandidate> ImbalanceCandidates(const model::ProgramState& state,
                                                    const std::vector<AllCountInf>& count_info,
                                                    std::size_t r, std::int32_t class_id);

// The fallback list when a high class has no imbalance candidate: positions
// from min(n - 1, n - trunc(0.12 n)) down to trunc(0.13 n) of its students
// without a preset class, at most 25.
std::vector<std::int32_t> FallbackCandidates(const model::ProgramState& state, std::size_t r,
                                             std::int32_t class_id);

// The range choice that selects every range.
std::string AllRangesChoice();

// Narrows the gap between the highest and the lowest class average total of
// every range the choice selects (a RangeKey or "全部区间") to at most
// `control`. Returns false when it stopped at a warning.
bool BalanceTotals(model::ProgramState& state, model::UserPort& user, const std::string& choice,
                   bool show_progress, double control);

// The same for the average of one subject; the subject weighs level 8 in the
// exchanges of a pass, and the balance item rows are as before afterwards.
bool BalanceSubject(model::ProgramState& state, model::UserPort& user, const std::string& choice,
                    const std::string& subject, bool show_progress, double control);

// The control score boxes take only the keys 0 to 9, "." and backspace
// (code 8); every other key is dropped.
bool ControlScoreKeyAccepted(char key);

// What the averages page shows after one of its two balancing buttons.
struct BalanceButtonResult {
  bool ran = false;             // the balancing ran (the checks passed)
  bool completed = false;       // and did not stop at a warning
  model::Grid averages;         // the refreshed averages table
  std::optional<double> score;  // the division score of the new placement
};

// "开始总分平均分优化": an empty control score box warns "您还没有输入控制分数！",
// a text that is no number shows an error; otherwise BalanceTotals over the
// range box's choice with the progress window, then the averages table and
// the score.
BalanceButtonResult bsSkinButton16Click(model::ProgramState& state, model::UserPort& user,
                                        const std::string& range_choice,
                                        const std::string& control_text);

// "开始单科平均分优化": as above for the subject of the subject box; an empty
// subject box warns like an empty control score.
BalanceButtonResult bsSkinButton17Click(model::ProgramState& state, model::UserPort& user,
                                        const std::string& range_choice, const std::string& subject,
                                        const std::string& control_text);

}  // namespace tessaly::engine
