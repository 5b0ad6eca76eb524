#include "cli/commands.h"

namespace tessaly::cli {

const std::vector<Command>& AllCommands() {
  static const std::vector<Command> commands = {
      {"pinyin", "pinyin or sound key of texts",
       "usage: tessaly-cli pinyin [--flags F] [--max M] TEXT...\n"
       "       tessaly-cli pinyin --key [--initial c-ch]... [--final an-ang]... TEXT...\n"
       "F adds 1 (whole syllables), 2 (\"?\" for characters without one), 4 (keep other\n"
       "characters); default 1. M is the byte limit, default 255.",
       RunPinyin},
  };
  return commands;
}

}  // namespace tessaly::cli
