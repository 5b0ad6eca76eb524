#include "io/work_commands.h"

#include "io/division_commands.h"
#include "io/division_file.h"
#include "platform/encoding.h"

namespace tessaly::io {

bool SaveDivisionWork(const model::ProgramState& state, model::UnsavedWork& work,
                      model::UserPort& user) {
  std::optional<std::string> path = SaveDivisionCommand(state, user);
  if (!path) return false;
  work.Saved(state, std::move(*path));
  return true;
}

bool OpenDivisionWork(model::ProgramState& state, model::ImportPage& page, model::UnsavedWork& work,
                      model::UserPort& user) {
  std::optional<std::string> path = OpenDivisionCommand(state, page, user);
  if (!path) return false;
  work.Saved(state, std::move(*path));
  return true;
}

bool SaveWorkBeforeLeaving(const model::ProgramState& state, model::UnsavedWork& work,
                           model::UserPort& user) {
  std::optional<std::string> path;
  if (!work.File().empty()) {
    path = work.File();
  } else {
    path = user.ChooseSaveFile("Save file", "分班数据文件(*.fb)|*.fb"_gb);
    if (!path) return false;
  }
  if (auto error = SaveDivisionFile(state, *path)) {
    user.Error(*error);
    return false;
  }
  work.Saved(state, std::move(*path));
  return true;
}

std::string KeepWorkQuestion() {
  return "是否保存对当前分班数据的更改？"_gb;
}

}  // namespace tessaly::io
