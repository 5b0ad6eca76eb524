#include "model/division_history.h"

#include <algorithm>

namespace tessaly::model {
namespace {

std::size_t TextsBytes(const std::vector<std::string>& texts) {
  std::size_t n = texts.capacity() * sizeof(std::string);
  for (const std::string& t : texts) n += t.capacity();
  return n;
}

std::size_t TableBytes(const Student_F& t) {
  std::size_t n = sizeof(Student_F) + t.TableName.capacity();
  n += TextsBytes(t.Headings.SubjectHeadings) + TextsBytes(t.Headings.BalanceHeadings) +
       TextsBytes(t.Headings.ExtraHeadings);
  for (const student& s : t.Students) {
    n += sizeof(student) + s.Scores.capacity() * sizeof(double) + TextsBytes(s.BalanceValues) +
         TextsBytes(s.ExtraValues);
  }
  return n;
}

const std::string kNoLabel;

}  // namespace

std::size_t ApproximateBytes(const ProgramState& state) {
  std::size_t n = sizeof(ProgramState);
  for (const Student_F& t : state.ImportedSets) n += TableBytes(t);
  for (const Student_F& t : state.RangeSets) n += TableBytes(t);
  for (const RuleList* list :
       {&state.InitialSoundPairs, &state.FinalSoundPairs, &state.ClassRangeRows,
        &state.BandConditionRows, &state.BalanceItemRows, &state.CountConditionRows,
        &state.SameNameRows}) {
    n += TextsBytes(*list);
  }
  return n;
}

Placement PlacementOf(const ProgramState& state) {
  Placement placement;
  placement.reserve(state.RangeSets.size());
  for (const Student_F& set : state.RangeSets) {
    std::vector<PlacedStudent>& placed = placement.emplace_back();
    placed.reserve(set.Students.size());
    for (const student& s : set.Students) {
      placed.push_back(PlacedStudent{s.Number, s.Name, s.PresetClass, s.AssignedClass});
    }
    std::sort(placed.begin(), placed.end());
  }
  return placement;
}

bool HoldsDivision(const Placement& placement) {
  for (const auto& set : placement) {
    for (const PlacedStudent& s : set) {
      if (s.AssignedClass >= 0) return true;
    }
  }
  return false;
}

void DivisionHistory::Keep(ProgramState before, const ProgramState& after,
                           const std::string& label) {
  if (before == after) return;  // nothing changed: nothing to undo
  std::size_t bytes = ApproximateBytes(before);
  undo_.push_back(Step{std::move(before), label, bytes});
  redo_.clear();
  Trim();
}

const std::string& DivisionHistory::UndoLabel() const {
  return undo_.empty() ? kNoLabel : undo_.back().label;
}

const std::string& DivisionHistory::RedoLabel() const {
  return redo_.empty() ? kNoLabel : redo_.back().label;
}

bool DivisionHistory::Undo(ProgramState& state) {
  if (undo_.empty()) return false;
  Step step = std::move(undo_.back());
  undo_.pop_back();
  std::swap(state, step.state);
  step.bytes = ApproximateBytes(step.state);
  redo_.push_back(std::move(step));
  return true;
}

bool DivisionHistory::Redo(ProgramState& state) {
  if (redo_.empty()) return false;
  Step step = std::move(redo_.back());
  redo_.pop_back();
  std::swap(state, step.state);
  step.bytes = ApproximateBytes(step.state);
  undo_.push_back(std::move(step));
  return true;
}

void DivisionHistory::Clear() {
  undo_.clear();
  redo_.clear();
}

void DivisionHistory::Trim() {
  auto total = [this] {
    std::size_t n = 0;
    for (const Step& s : undo_) n += s.bytes;
    for (const Step& s : redo_) n += s.bytes;
    return n;
  };
  // The newest undo step always stays, however large: the teacher can take
  // back at least the last move.
  while (undo_.size() > 1 && (undo_.size() > max_steps_ || total() > max_bytes_)) {
    undo_.pop_front();
  }
}

}  // namespace tessaly::model
