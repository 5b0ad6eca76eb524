#pragma once
// The condition inputs shared by the band conditions and the headcount
// statistics conditions: a range, a subject choice, and either typed bounds
// or the one-key series. Both pages run the same tests in the same order and
// build the same condition texts.

#include <cstdint>
#include <string>
#include <vector>

#include "model/grid.h"
#include "model/rule_lists.h"
#include "model/user_port.h"

namespace tessaly::rules {

// The three subject radio buttons "所有科目", "总分", "单科"; none at start.
enum class SubjectChoice { kNone, kAllSubjects, kTotal, kSingle };

// The condition frame: typed bounds (operator boxes and value boxes) or the
// one-key inputs (start, end, interval). Values are the boxes' texts.
struct ConditionInput {
  bool one_key = false;      // "一键式快速设置" ticked
  std::string lower_op;      // "大于" or "大于等于" (initial "大于")
  std::string lower_value;   // digits
  std::string upper_op;      // "小于" or "小于等于" (initial "小于")
  std::string upper_value;   // digits
  std::string series_start;  // one-key start value
  std::string series_end;    // one-key end value
  std::string series_step;   // one-key interval

  // The boxes as the page shows them at start.
  static ConditionInput Initial();
};

// The most bands a one-key series may give.
inline constexpr int kMaxSeriesBands = 1000;

// The add tests in order: a range selected ("请选择学号区间!"), a subject
// choice ("请选择应用科目!"), then the one-key inputs ("起始、截止、间隔分值都必须输入!",
// "间隔分值必须大于0!", then a series of more than kMaxSeriesBands bands is
// refused) or the typed bounds ("起始、截止值您还没有设置！"). The first
// failing test shows its warning and gives false.
bool CheckConditionForm(bool range_selected, SubjectChoice choice, const ConditionInput& input,
                        model::UserPort& user);

// The subjects a choice stands for: every item (ticked or not), "总分", or the
// ticked items, in order.
std::vector<std::string> ChosenSubjects(SubjectChoice choice, const std::vector<std::string>& items,
                                        const std::vector<bool>& ticked);

// The typed condition: lower operator, " ", lower value, "且", upper
// operator, " ", upper value (大于 80且小于等于 90).
std::string TypedCondition(const ConditionInput& input);

// The one-key series from `start` to `end` in steps of `step` (> 0):
// falling bands "大于 r-p 且小于等于 r" when start > end, rising bands
// "大于等于 r 且小于 r+p" otherwise, the last band cut at the end value; no
// band when start equals end. Bounds in the general number form.
std::vector<std::string> SeriesConditions(double start, double end, double step);

// The conditions the inputs give (after CheckConditionForm passed): the one
// typed condition, or the series read with FirstNumber from the three boxes.
std::vector<std::string> BuildConditions(const ConditionInput& input);

// The rows of `subjects` x the conditions of `input` that `list` does not
// hold yet (compared ignoring Latin letter case), in order: `range_key`,
// "$", subject, "$", condition, "$", then `tail` (the band conditions' level
// and "$"; empty for the headcount conditions).
std::vector<std::string> NewConditionRows(const std::string& range_key,
                                          const std::vector<std::string>& subjects,
                                          const ConditionInput& input, const std::string& tail,
                                          const model::RuleList& list);

// A conditions grid: the heading row and one row per list row, fields 1 to
// headings.size() of the row split at "$"; at least two rows.
model::Grid ConditionGrid(const model::RuleList& list, const std::vector<std::string>& headings);

// Deletes the list rows of the selected grid rows top..bottom (grid row i is
// list row i - 1; a selection holds at least one row). A top row of 0 or
// less warns "您还没有选择要删除的数据行！", deletes nothing and gives false.
bool DeleteConditionRows(model::RuleList& list, std::int32_t top, std::int32_t bottom,
                         model::UserPort& user);

}  // namespace tessaly::rules
