// tessaly-cli resave: reads a division file and writes it back.

#include "cli/cli_files.h"
#include "cli/commands.h"

namespace tessaly::cli {

int RunResave(Args& args) {
  const std::vector<std::string> files = args.Positional();
  if (files.size() != 2) throw UsageError{"give the file to read and the file to write"};
  SaveStateOrFail(LoadStateOrFail(files[0]), files[1]);
  return 0;
}

}  // namespace tessaly::cli
