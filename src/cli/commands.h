#pragma once
// The subcommands of tessaly-cli. Each lives in its own file.

#include "cli/cli.h"

namespace tessaly::cli {

// The table of subcommands, in the order `tessaly-cli --help` lists them.
const std::vector<Command>& AllCommands();

}  // namespace tessaly::cli
