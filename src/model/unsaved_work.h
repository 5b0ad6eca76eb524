#pragma once
// Whether the teacher has work that no division file holds yet. The mark is
// kept beside the program state, not in it, so that comparing two states
// still compares only tables, rules and classes.
//
// After every command the program looks at the state once (Look): a state
// that differs from the one last seen is a new revision of the work, and the
// work is unsaved while it differs from the state last saved, opened or
// started anew. Undoing back to the saved state clears the mark again.

#include <cstdint>
#include <string>

#include "model/program_state.h"

namespace tessaly::model {

class UnsavedWork {
 public:
  // The state was just saved to, or opened from, the division file `file`
  // (a file-system path): nothing is unsaved, and the work belongs to it.
  void Saved(const ProgramState& state, std::string file);
  // A new division was started: nothing to lose, and no file yet.
  void Started(const ProgramState& state) { Saved(state, {}); }
  // A recovery copy was opened: the work is unsaved and belongs to `file`
  // (empty when it never had one).
  void Restored(const ProgramState& state, std::string file);

  // Notes the state after a command; true when it changed since the last
  // look (a new revision). Only what a division file keeps counts: the
  // preset-column setting and the same-name rows do not.
  bool Look(const ProgramState& state);

  // Whether the state last looked at differs from the saved one.
  bool Changed() const { return changed_; }
  // The division file the work belongs to; empty when none.
  const std::string& File() const { return file_; }
  // Counts the changes seen; a recovery copy of a revision need not be
  // written twice.
  std::uint64_t Revision() const { return revision_; }

 private:
  ProgramState saved_;
  ProgramState seen_;
  std::string file_;
  bool changed_ = false;
  std::uint64_t revision_ = 0;
};

}  // namespace tessaly::model
