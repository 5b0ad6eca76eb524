#include "model/unsaved_work.h"

#include <utility>

namespace tessaly::model {
namespace {

// Whether `kept` (a state this mark holds) and `state` hold the same work.
// The state's own equality compares them, so that a field added to the
// state counts without a change here; the two fields that no division file
// keeps are first taken over from `state` (both are short).
bool SameWork(ProgramState& kept, const ProgramState& state) {
  kept.ShowPresetClass = state.ShowPresetClass;
  if (kept.SameNameRows != state.SameNameRows) kept.SameNameRows = state.SameNameRows;
  return kept == state;
}

}  // namespace

void UnsavedWork::Saved(const ProgramState& state, std::string file) {
  saved_ = state;
  seen_ = state;
  file_ = std::move(file);
  changed_ = false;
  ++revision_;
}

void UnsavedWork::Restored(const ProgramState& state, std::string file) {
  // Nothing saved is known: any state differs from an empty saved one.
  saved_ = ProgramState{};
  seen_ = state;
  file_ = std::move(file);
  changed_ = true;
  ++revision_;
}

bool UnsavedWork::Look(const ProgramState& state) {
  if (SameWork(seen_, state)) return false;
  seen_ = state;
  changed_ = !SameWork(saved_, state);
  ++revision_;
  return true;
}

}  // namespace tessaly::model
