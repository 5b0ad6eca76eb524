#pragma once
// Undo and redo of the commands that change a division after it was made (a
// transfer, a batch of moves, a balancing, an optimiser run). Each step keeps
// the whole program state as it was before the command, so undoing gives the
// division back exactly: classes, pins, scores and every table built from
// them. The desktop program holds only the buttons; the stack lives here.

#include <compare>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <type_traits>
#include <vector>

#include "model/program_state.h"

namespace tessaly::model {

class DivisionHistory {
 public:
  // At most `max_steps` steps and about `max_bytes` of kept states; the
  // oldest steps are dropped first.
  explicit DivisionHistory(std::size_t max_steps = 50, std::size_t max_bytes = 256u << 20)
      : max_steps_(max_steps), max_bytes_(max_bytes) {}

  // Runs `command` on `state` and keeps the state before it as one undo step
  // named `label`, when the command changed anything. Redo steps are dropped
  // then, as after any new change. Returns what the command returned.
  template <class Command>
  auto Run(ProgramState& state, const std::string& label, Command&& command) {
    ProgramState before = state;
    if constexpr (std::is_void_v<decltype(command())>) {
      command();
      Keep(std::move(before), state, label);
    } else {
      auto result = command();
      Keep(std::move(before), state, label);
      return result;
    }
  }

  // Keeps `before` as an undo step when it differs from `after`.
  void Keep(ProgramState before, const ProgramState& after, const std::string& label);

  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  // The label of the step that Undo or Redo would take back or repeat.
  const std::string& UndoLabel() const;
  const std::string& RedoLabel() const;

  // Puts the state before the last step back; false when there is none.
  bool Undo(ProgramState& state);
  // Repeats the last undone step; false when there is none.
  bool Redo(ProgramState& state);

  // Forgets every step: a new division, an import or an opened file starts a
  // history of its own.
  void Clear();

  std::size_t UndoCount() const { return undo_.size(); }
  std::size_t RedoCount() const { return redo_.size(); }

 private:
  struct Step {
    ProgramState state;
    std::string label;
    std::size_t bytes = 0;
  };
  void Trim();

  std::size_t max_steps_;
  std::size_t max_bytes_;
  std::deque<Step> undo_;
  std::deque<Step> redo_;
};

// About how many bytes a program state occupies (for the history's budget).
std::size_t ApproximateBytes(const ProgramState& state);

// One student of a placement: who he is and which class he sits in.
struct PlacedStudent {
  std::string Number;
  std::string Name;
  std::int32_t PresetClass = -1;
  std::int32_t AssignedClass = -1;
  auto operator<=>(const PlacedStudent&) const = default;
};

// Who sits in which class: per range set, its students in number and name
// order. Re-ranking a set (the statistics do) leaves it as it is; a move, a
// balancing, an optimiser run or another division changes it.
using Placement = std::vector<std::vector<PlacedStudent>>;
Placement PlacementOf(const ProgramState& state);

// True when some student of the placement sits in a class.
bool HoldsDivision(const Placement& placement);

}  // namespace tessaly::model
