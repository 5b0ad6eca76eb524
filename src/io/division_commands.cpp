#include "io/division_commands.h"

#include <sys/stat.h>

#include "io/division_file.h"
#include "model/show_table.h"
#include "platform/encoding.h"

namespace tessaly::io {
namespace {

bool HoldsTable(const model::Student_F& table) {
  return table.StudentCount > 0 || !table.Students.empty() || !table.TableName.empty();
}

bool IsExistingFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

}  // namespace

std::optional<std::string> SaveDivisionCommand(const model::ProgramState& state,
                                               model::UserPort& user) {
  static const std::string kFilter = "分班数据文件(*.fb)|*.fb"_gb;
  if (!state.DivisionStarted) return std::nullopt;
  auto path = user.ChooseSaveFile("Save file", kFilter);
  if (!path) return std::nullopt;
  if (auto error = SaveDivisionFile(state, *path)) {
    user.Error(*error);
    return std::nullopt;
  }
  return path;
}

std::optional<std::string> OpenDivisionCommand(model::ProgramState& state, model::ImportPage& page,
                                               model::UserPort& user) {
  static const std::string kFilter = "分班数据文件(*.fb)|*.fb"_gb;
  auto path = user.ChooseOpenFile("Open file", kFilter);
  if (!path || !IsExistingFile(*path)) return std::nullopt;
  DivisionRead read = LoadDivisionFile(*path, state);
  if (!read.ok) {
    user.Error(read.error);
    return std::nullopt;
  }
  model::ImportPage new_page = ImportPageFor(read.state);
  state = std::move(read.state);
  page = std::move(new_page);
  return path;
}

model::ImportPage ImportPageFor(const model::ProgramState& state) {
  model::ImportPage page;
  const model::Student_F* shown = nullptr;
  for (const model::Student_F& table : state.ImportedSets) {
    if (!HoldsTable(table)) continue;
    page.TableList.push_back(table.TableName);
    if (shown == nullptr) shown = &table;
  }
  if (shown != nullptr) page.ScoreView = model::ShowTable(*shown, state.ShowPresetClass);
  return page;
}

}  // namespace tessaly::io
