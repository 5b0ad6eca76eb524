#pragma once
// Recovery copies: while the teacher has unsaved work, the desktop program
// keeps a copy of the whole state as a division file in the recovery folder,
// so that a crash or a power cut loses at most the last few seconds. A clean
// exit or a save removes the copy; at the next start a copy whose program is
// gone is offered back.
//
// Every running program has its own copy, "tessaly-<pid>-<letters>.fb", and
// holds a lock on "<same name>.lock" while it runs; the lock file names the
// division file the work belongs to. A copy whose lock can be taken was left
// by a program that did not end cleanly.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "io/division_file.h"
#include "model/program_state.h"
#include "platform/recovery_folder.h"

namespace tessaly::io {

// A copy left by a program that did not end cleanly. Its lock is held while
// the value lives, so that no other program offers it at the same time.
struct LeftCopy {
  std::string path;          // the copy (a division file)
  std::string file;          // the division file its work belonged to; empty if none
  std::int64_t written = 0;  // when it was last written, seconds since 1970 (UTC)
  std::optional<platform::FileLock> lock;
};

class RecoveryCopies {
 public:
  // Copies live in `folder` (created when the first copy is written); an
  // empty folder keeps no copies at all.
  explicit RecoveryCopies(std::string folder);
  // Removes this program's copy: the object ends with a clean exit.
  ~RecoveryCopies();
  RecoveryCopies(const RecoveryCopies&) = delete;
  RecoveryCopies& operator=(const RecoveryCopies&) = delete;

  const std::string& folder() const { return folder_; }

  // Writes `state` as this program's copy, through the safe save, and notes
  // that its work belongs to the division file `file`. Returns an error
  // message (code page 936) on failure.
  std::optional<std::string> Write(const model::ProgramState& state, const std::string& file);
  // Removes this program's copy (after a save or on a clean exit).
  void Remove();
  // This program's copy; empty until one was written.
  const std::string& OwnCopy() const { return own_path_; }

  // The copies left by programs that are gone, newest first.
  std::vector<LeftCopy> Left() const;
  // Reads a left copy on top of `current` (see ReadDivisionText).
  static DivisionRead Read(const LeftCopy& copy, const model::ProgramState& current);
  // Moves a left copy into the folder's "set-aside" folder, where it is no
  // longer offered; nothing is deleted. False when it could not be moved.
  bool SetAside(LeftCopy& copy) const;
  // Removes a left copy whose work this program took over (and has written
  // as its own copy).
  static void Forget(LeftCopy& copy);

 private:
  std::string folder_;
  std::string own_path_;
  std::optional<platform::FileLock> own_lock_;
};

}  // namespace tessaly::io
