#pragma once
// Moving one student of a finished division into another class, optionally
// refilling the class he leaves with a student of the target class
// ("自动补回"): the best match for a manual move, or the exchange that
// improves the class balance most for the average balancing. Manual moves pin
// the moved student (PresetClass := target); automatic moves are exchanges
// that keep the class sizes and never touch a pinned student.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/statistics.h"
#include "model/program_state.h"
#include "model/records.h"
#include "model/user_port.h"

namespace tessaly::engine {

enum class BackFillMode { NoBackFill, BackFillByMatch, BackFillByBalance };

// Why a transfer ended as it did.
enum class TransferOutcome {
  Moved,             // moved (or already in the target class)
  NotFound,          // no student with that number (warned)
  NameMismatch,      // the name differs (warned)
  BadClass,          // target class negative (warned)
  UnknownClass,      // no range has the target class (warned)
  NoCandidate,       // back-fill asked, nobody qualifies (not warned)
  StatisticsFailed,  // a statistics rebuild stopped (warned by it, or silent)
  GroupKept,         // the move would break a group and the teacher said no
};

struct TransferResult {
  TransferOutcome outcome = TransferOutcome::Moved;
  std::optional<model::student> back_filled;  // copy taken before the exchange
  bool success() const { return outcome == TransferOutcome::Moved; }
};

// Inserts a copy of `s` before the first student of the set with a strictly
// lower Total (at the end when none), sets StudentCount and returns the
// copy's position.
std::size_t InsertByTotal(model::Student_F& set, const model::student& s);

// Removes the first student whose Number equals `number` (byte comparison);
// nothing when there is none. Sets StudentCount.
void RemoveByNumber(model::Student_F& set, const std::string& number);

// Moves the student `number` / `name` into class `target`. Fails with its
// warning (and no change) when the student or the class is not found; with
// back-fill and no qualifying candidate it fails without a message. A move
// the teacher asked for (no back-fill, or back-fill by match) that would
// break a keep-apart or keep-together group asks first (yes/no, naming the
// groups); the back-filled student never breaks another group, and the
// balancing back-fill makes no exchange that breaks one. `limit`
// is the largest total difference of a BackFillByMatch partner.
TransferResult TransferStudent(model::ProgramState& state, model::UserPort& user,
                               const std::string& number, const std::string& name,
                               std::int32_t target, double limit, BackFillMode mode);

// How well student Y of class T (range tr) would replace X in class S (range
// sr): gender, total difference beyond `limit`, Y's namesakes in S, balance
// values, bands X meets and Y does not, and the weighted gaps of both classes
// as if exchanged; lower is better. Reads the set's sound keys and tallies
// itself.
double MatchCost(const model::ProgramState& state, const model::student& X, const model::student& Y,
                 std::size_t sr, std::int32_t S, std::size_t tr, std::int32_t T, double limit);

// The balancing back-fill's choice: among `candidates` (positions in range
// r's set, in set order) the partner of X (position x) whose exchange
// between the classes at positions S and T keeps the summed headcount
// deviation from growing and lowers the summed average deviation most;
// partners differ from X by less than 30 in total. No choice when the
// classes as they stand have no average deviation. `stats` must describe the
// current placement; `namesake` gives the namesake grades of range r; with
// `rules` (the rule lists read once) the deviations take their levels there.
std::optional<std::int32_t> ChooseBalancePartner(const model::ProgramState& state,
                                                 const ClassStatistics& stats, std::size_t r,
                                                 std::int32_t x, std::int32_t S, std::int32_t T,
                                                 const std::vector<std::int32_t>& candidates,
                                                 const NamesakeGrade& namesake,
                                                 const RuleBook* rules = nullptr);

// "自动补回的学生：" with the name and total of the student who came back.
std::string BackFilledMessage(const model::student& s);
// "没找到总分之差小于：" ...: no student within `limit` could come back.
std::string NoPartnerMessage(double limit);

// The command "开始调班": TransferStudent with BackFillByMatch when
// `back_fill`, else NoBackFill, and its messages: the back-filled student
// ("自动补回的学生：" ...) or the missing partner ("没找到总分之差小于：" ...).
// Returns the transfer's result; the caller refreshes the score.
TransferResult bsSkinButton13Click(model::ProgramState& state, model::UserPort& user,
                                   const std::string& number, const std::string& name,
                                   std::int32_t target, double limit, bool back_fill);

}  // namespace tessaly::engine
