#pragma once
// The division file's commands as the desktop program runs them on the
// teacher's work: each marks the work saved when it saved or opened a file
// (model/unsaved_work.h).

#include "model/import_page.h"
#include "model/program_state.h"
#include "model/unsaved_work.h"
#include "model/user_port.h"

namespace tessaly::io {

// "保存分班结果": SaveDivisionCommand; the work is saved and belongs to the
// chosen file when the file was written. True then.
bool SaveDivisionWork(const model::ProgramState& state, model::UnsavedWork& work,
                      model::UserPort& user);

// "打开以往分班数据": OpenDivisionCommand; the work is saved and belongs to the
// opened file when the state was replaced. True then.
bool OpenDivisionWork(model::ProgramState& state, model::ImportPage& page, model::UnsavedWork& work,
                      model::UserPort& user);

// "保存" of the question before unsaved work is closed or replaced: writes
// the division file the work belongs to, or asks for a name (dialog "Save
// file") when there is none, also before the first division. True when the
// file was written; a cancelled choice gives false, a failed save shows its
// error and gives false.
bool SaveWorkBeforeLeaving(const model::ProgramState& state, model::UnsavedWork& work,
                           model::UserPort& user);

// The question asked before unsaved work is closed or replaced.
std::string KeepWorkQuestion();

}  // namespace tessaly::io
