#include "cli/commands.h"

namespace tessaly::cli {

const std::vector<Command>& AllCommands() {
  static const std::vector<Command> commands = {
      {"pinyin", "pinyin or sound key of texts",
       "usage: tessaly-cli pinyin [--flags F] [--max M] TEXT...\n"
       "       tessaly-cli pinyin --key [--initial c-ch]... [--final an-ang]... TEXT...",
       RunPinyin},
  };
  return commands;
}

}  // namespace tessaly::cli
