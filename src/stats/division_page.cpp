#include "stats/division_page.h"

#include <algorithm>

#include "engine/balance.h"
#include "engine/division.h"
#include "engine/evaluation.h"
#include "engine/names/same_names.h"
#include "engine/roster.h"
#include "model/rule_lists.h"
#include "platform/encoding.h"
#include "stats/headcount_page.h"

namespace tessaly::stats {

AveragesBoxes bsSkinTabSheet6Enter(const model::ProgramState& state) {
  AveragesBoxes boxes;
  boxes.subjects = MainTableSubjects(state);
  for (const auto& row : state.ClassRangeRows) boxes.ranges.push_back(model::RangeKey(row));
  boxes.ranges.push_back(engine::AllRangesChoice());
  if (state.ClassRangeRows.size() == 1) boxes.selected_range = 0;
  return boxes;
}

DivisionTables TablesOf(const model::ProgramState& state, const std::string& roster_item) {
  static const std::string kAllStudents = "全部学生"_gb;
  DivisionTables tables;
  tables.averages = engine::ShowAverages(state);
  tables.same_names = engine::ShowSameNames(state);
  tables.class_items = engine::ClassListItems(state);
  const bool listed = std::find(tables.class_items.begin(), tables.class_items.end(),
                                roster_item) != tables.class_items.end();
  tables.roster = engine::ClassRosterOfItem(state, listed ? roster_item : kAllStudents);
  return tables;
}

std::string CurrentScoreCaption(const model::ProgramState& state) {
  const auto score = engine::ScoreDivision(state);
  return score ? engine::ScoreCaption(*score) : std::string();
}

void DivisionPageHistory::Keep(model::ProgramState before, const model::ProgramState& after,
                               const std::string& label, const std::string& caption) {
  Seen(after);
  if (before == after) return;  // nothing changed: no step
  history_.Keep(std::move(before), after, label);
  undo_captions_.push_back(caption);
  redo_captions_.clear();
  // The history drops its oldest steps beyond its budget; so do the captions.
  while (undo_captions_.size() > history_.UndoCount()) undo_captions_.pop_front();
}

namespace {

// Swaps `step` (a state the history gives back) into `state` for the range
// sets only; the rest of `state` stays as it is now.
template <class Swap>
bool SwapDivision(model::ProgramState& state, Swap&& swap) {
  model::ProgramState now = state;
  if (!swap(state)) return false;
  now.RangeSets = std::move(state.RangeSets);
  now.SameNameRows = std::move(state.SameNameRows);
  state = std::move(now);
  return true;
}

}  // namespace

bool DivisionPageHistory::Undo(model::ProgramState& state, std::string& caption) {
  if (!SwapDivision(state, [this](model::ProgramState& s) { return history_.Undo(s); })) {
    return false;
  }
  Seen(state);
  redo_captions_.push_back(std::move(caption));
  caption = std::move(undo_captions_.back());
  undo_captions_.pop_back();
  return true;
}

bool DivisionPageHistory::Redo(model::ProgramState& state, std::string& caption) {
  if (!SwapDivision(state, [this](model::ProgramState& s) { return history_.Redo(s); })) {
    return false;
  }
  Seen(state);
  undo_captions_.push_back(std::move(caption));
  caption = std::move(redo_captions_.back());
  redo_captions_.pop_back();
  return true;
}

bool DivisionPageHistory::ChangedSinceDivision(const model::ProgramState& state) const {
  const model::Placement now = model::PlacementOf(state);
  return model::HoldsDivision(now) && now != divided_;
}

void DivisionPageHistory::Seen(const model::ProgramState& state) {
  seen_tables_ = state.ImportedSets;
  seen_sets_ = state.RangeSets;
}

bool DivisionPageHistory::ForgetIfChangedElsewhere(const model::ProgramState& state) {
  if (state.ImportedSets == seen_tables_ && state.RangeSets == seen_sets_) return false;
  Clear();
  Seen(state);
  return true;
}

void DivisionPageHistory::Clear() {
  history_.Clear();
  undo_captions_.clear();
  redo_captions_.clear();
}

}  // namespace tessaly::stats
