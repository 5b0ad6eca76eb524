#pragma once
// Division files for the subcommands of tessaly-cli: read one into a fresh
// program state, or write one, failing the command with the program's own
// message when that is not possible.

#include <stdexcept>
#include <string>

#include "model/program_state.h"

namespace tessaly::cli {

// A command that cannot go on; what() is the message in UTF-8. main prints
// it on stderr after "tessaly-cli COMMAND: " and exits with status 1.
struct CommandFailed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The program state at start-up with the division file at `path` opened on
// top of it. Throws CommandFailed when the file cannot be read or is damaged.
model::ProgramState LoadStateOrFail(const std::string& path);

// Writes the division file (atomically: an earlier file survives a failed
// save). Throws CommandFailed on failure.
void SaveStateOrFail(const model::ProgramState& state, const std::string& path);

}  // namespace tessaly::cli
