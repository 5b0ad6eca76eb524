#pragma once
// Pieces shared by the rules page commands of tessaly-cli (cmd_rules*.cpp)
// and by other commands that take conditions (the headcount statistics).

#include <optional>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "rules/condition_input.h"

namespace tessaly::cli {

// A rules page command: reads IN.fb, runs one page event, writes -o OUT.fb.
// Returns the exit status.
int RunAddRange(const std::string& in, Args& args);
int RunDeleteRange(const std::string& in, Args& args);
int RunWeights(const std::string& in, Args& args);
int RunSounds(const std::string& in, Args& args);
int RunAddBand(const std::string& in, Args& args);
int RunDeleteBands(const std::string& in, Args& args);
int RunBandLevel(const std::string& in, Args& args);
int RunItems(const std::string& in, Args& args);
int RunItemLevel(const std::string& in, Args& args);
int RunAddCount(const std::string& in, Args& args);
int RunDeleteCounts(const std::string& in, Args& args);
// The teacher's groups: apart / together NUMBER... [--note T], groups (the
// list, one a line), delete-group ROW.
int RunApart(const std::string& in, Args& args);
int RunTogether(const std::string& in, Args& args);
int RunGroups(const std::string& in, Args& args);
int RunDeleteGroup(const std::string& in, Args& args);

// The subject choice and condition inputs given as
//   (--all-subjects | --total | --subject NAME...)
//   (--lower "大于 80" --upper "小于等于 90" | --series START END STEP)
// Values go through the boxes' key filters (digits only). Throws UsageError
// for options that cannot be combined or an operator the boxes do not offer.
struct ConditionArgs {
  rules::SubjectChoice choice = rules::SubjectChoice::kNone;
  std::vector<std::string> subjects;  // --subject names, code page 936
  rules::ConditionInput input = rules::ConditionInput::Initial();
};
ConditionArgs TakeConditionArgs(Args& args);

// Ticks of a subject box: the items named by `subjects`; throws UsageError
// naming the box's subjects for a name it does not hold.
std::vector<bool> TickSubjects(const std::vector<std::string>& items,
                               const std::vector<std::string>& subjects);

// A level given as 1..9, as a caption ("9 级(最高)") or a short text ("9 级"):
// its number; throws UsageError otherwise.
int TakeLevel(const std::string& name, const std::string& utf8);

// The position of the range key `utf8` in a range box's items; -1 when it
// is not given or not an item.
int RangeItemIndex(const std::vector<std::string>& items, const std::optional<std::string>& utf8);

// After a refused add without a selected range: lists the range keys that
// --range takes on stderr.
void PrintRangeKeys(const std::vector<std::string>& items);

// The positional arguments, between `low` and `high` of them; throws
// UsageError with `usage` otherwise.
std::vector<std::string> TakePositionals(Args& args, std::size_t low, std::size_t high,
                                         const char* usage);

// The grid rows FIRST [LAST] of a delete command (LAST defaults to FIRST),
// the upper one first; throws UsageError with `usage` otherwise.
struct GridRows {
  int top = 0;
  int bottom = 0;
};
GridRows TakeGridRows(Args& args, const char* usage);

// -o OUT.fb; throws UsageError when missing.
std::string TakeOut(Args& args);

// Throws UsageError when arguments are left that the command does not take.
void NoMoreArgs(Args& args);

}  // namespace tessaly::cli
