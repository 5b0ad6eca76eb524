#pragma once
// The two buttons of the division file: "保存分班结果" and "打开以往分班数据".

#include <optional>
#include <string>

#include "model/import_page.h"
#include "model/program_state.h"
#include "model/user_port.h"

namespace tessaly::io {

// "保存分班结果" (bsSkinButton18): nothing while no division is started;
// otherwise asks for a file name (dialog "Save file", filter
// "分班数据文件(*.fb)|*.fb") and writes the division file. A failed save shows
// an error and leaves an earlier file intact; success shows nothing. Returns
// the path written, when a file was written.
std::optional<std::string> SaveDivisionCommand(const model::ProgramState& state,
                                               model::UserPort& user);

// "打开以往分班数据" (bsSkinButton5): asks for a file (dialog "Open file", same
// filter); nothing happens on cancel or when the file does not exist. A file
// that cannot be read shows an error and changes nothing; otherwise the state
// is replaced by what the file holds and the page is rebuilt from it.
// Returns the path opened, when the state was replaced.
std::optional<std::string> OpenDivisionCommand(model::ProgramState& state, model::ImportPage& page,
                                               model::UserPort& user);

// The table list and score-table view for a state just read from a file:
// the names of the slots that hold a table, in slot order, and the view of
// slot 0 (or of the first slot that holds a table when slot 0 is empty; an
// empty view when there is none).
model::ImportPage ImportPageFor(const model::ProgramState& state);

}  // namespace tessaly::io
