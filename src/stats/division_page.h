#pragma once
// What the division page "自动分班及处理" decides besides the commands it
// calls: the boxes of the averages sub-page, the tables that follow the
// division after every change, and the undo history of the page with the
// score caption each step showed.

#include <cstddef>
#include <deque>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "model/division_history.h"
#include "model/grid.h"
#include "model/program_state.h"

namespace tessaly::stats {

// The boxes of the averages sub-page, filled when it is entered
// (bsSkinTabSheet6Enter): the subject box bsSkinComboBox12 with the main
// table's subjects, the two range boxes bsSkinComboBox13 and
// bsSkinComboBox14 with every RangeKey and "全部区间".
struct AveragesBoxes {
  std::vector<std::string> subjects;
  std::vector<std::string> ranges;
  // The item both range boxes select: 0 when there is exactly one range
  // row, otherwise none (-1).
  int selected_range = -1;
  bool operator==(const AveragesBoxes&) const = default;
};

AveragesBoxes bsSkinTabSheet6Enter(const model::ProgramState& state);

// The tables of the division page that show the division as it stands: the
// averages table, the same-name table, the class list and the roster of the
// chosen class list item. Shown again after every change to the division
// (a transfer, a batch, a balancing, an optimiser run, undo and redo). The
// statistics table is not among them: it stays a snapshot until "开始统计".
struct DivisionTables {
  model::Grid averages;                  // bsSkinStringGrid7
  model::Grid same_names;                // bsSkinStringGrid10
  std::vector<std::string> class_items;  // bsSkinListBox2
  model::Grid roster;                    // bsSkinStringGrid6
};

// The tables of the current state; `roster_item` is the chosen class list
// item ("全部学生" or "3 班"); an item the list no longer holds shows the
// whole roster.
DivisionTables TablesOf(const model::ProgramState& state, const std::string& roster_item);

// The score caption after a command that changed a finished division:
// "分班结果评分：" and ScoreDivision of the current placement, or empty when
// there is no score (no range set).
std::string CurrentScoreCaption(const model::ProgramState& state);

// The undo history of the division page. Every command that changes a
// finished division runs through Run; undo and redo give back the division
// (the range sets) before or after it and the score caption the page showed
// then (the division's own score is taken before its balancing pass, so it
// cannot be computed again from the state). Everything else of the state
// (tables, rule lists edited on other pages since) stays as it is now, so an
// undo never takes back work done elsewhere.
class DivisionPageHistory {
 public:
  explicit DivisionPageHistory(std::size_t max_steps = 50, std::size_t max_bytes = 256u << 20)
      : history_(max_steps, max_bytes) {}

  // Runs `command` on `state`; when it changed the state, the state before
  // it and `caption` (the score caption shown before it) become one undo
  // step named `label`. Returns what the command returned.
  template <class Command>
  auto Run(model::ProgramState& state, const std::string& label, const std::string& caption,
           Command&& command) {
    model::ProgramState before = state;
    if constexpr (std::is_void_v<decltype(command())>) {
      command();
      Keep(std::move(before), state, label, caption);
    } else {
      auto result = command();
      Keep(std::move(before), state, label, caption);
      return result;
    }
  }

  // "开始分班": runs the division `command` on `state`. Over a division it
  // is one undo step named `label` (the steps before it stay, so undoing
  // brings the division it replaced back with its own steps); over none the
  // history starts anew. Returns what the command returned.
  template <class Command>
  auto Divide(model::ProgramState& state, const std::string& label, const std::string& caption,
              Command&& command) {
    if (!model::HoldsDivision(model::PlacementOf(state))) {
      Clear();
      auto result = command();
      Seen(state);
      divided_ = model::PlacementOf(state);
      return result;
    }
    auto result = Run(state, label, caption, command);
    divided_ = model::PlacementOf(state);
    return result;
  }

  // True when the range sets hold a division whose placement is not the one
  // the last division left: moves, balancing or optimiser runs since then,
  // or a division opened from a file. Dividing again would replace it.
  bool ChangedSinceDivision(const model::ProgramState& state) const;

  bool CanUndo() const { return history_.CanUndo(); }
  bool CanRedo() const { return history_.CanRedo(); }
  const std::string& UndoLabel() const { return history_.UndoLabel(); }
  const std::string& RedoLabel() const { return history_.RedoLabel(); }

  // Puts back the state before the last step; `caption` (the caption shown
  // now) becomes the caption shown before it. False when there is none.
  bool Undo(model::ProgramState& state, std::string& caption);
  // Repeats the last undone step, with its caption. False when there is none.
  bool Redo(model::ProgramState& state, std::string& caption);

  // Forgets every step (a new division, an import, an opened file).
  void Clear();

  // Notes the tables and range sets of `state` after a command of the page
  // that is no step (the division, "开始统计"), so that they do not count as
  // changed elsewhere.
  void Seen(const model::ProgramState& state);
  // Forgets every step when the tables or range sets differ from those the
  // page last left (an import, an opened file, a new division on the import
  // page): the steps belong to another division then. True when it forgot.
  bool ForgetIfChangedElsewhere(const model::ProgramState& state);

 private:
  void Keep(model::ProgramState before, const model::ProgramState& after, const std::string& label,
            const std::string& caption);

  model::DivisionHistory history_;
  // The captions of the steps, parallel to the history's undo and redo
  // steps (newest at the back).
  std::deque<std::string> undo_captions_;
  std::deque<std::string> redo_captions_;
  // The placement the last division left.
  model::Placement divided_;
  // The tables and range sets as the page last left them.
  std::vector<model::Student_F> seen_tables_;
  std::vector<model::Student_F> seen_sets_;
};

}  // namespace tessaly::stats
