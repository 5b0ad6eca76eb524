#include "cli/cli_files.h"

#include "io/division_file.h"
#include "platform/encoding.h"

namespace tessaly::cli {

model::ProgramState LoadStateOrFail(const std::string& path) {
  io::DivisionRead read = io::LoadDivisionFile(path, model::ProgramState{});
  if (!read.ok) throw CommandFailed(enc::ToUtf8(read.error));
  return std::move(read.state);
}

void SaveStateOrFail(const model::ProgramState& state, const std::string& path) {
  if (auto error = io::SaveDivisionFile(state, path)) throw CommandFailed(enc::ToUtf8(*error));
}

}  // namespace tessaly::cli
