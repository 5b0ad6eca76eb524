#include "cli/commands.h"

namespace tessaly::cli {

const std::vector<Command>& AllCommands() {
  static const std::vector<Command> commands = {};
  return commands;
}

}  // namespace tessaly::cli
