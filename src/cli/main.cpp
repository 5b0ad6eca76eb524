// tessaly-cli: runs Tessaly's commands without the desktop program.

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "platform/console.h"

namespace {

void PrintHelp() {
  std::printf("usage: tessaly-cli COMMAND [ARGS...]\n\ncommands:\n");
  for (const auto& c : tessaly::cli::AllCommands()) std::printf("  %-10s %s\n", c.name, c.summary);
  std::printf("\n'tessaly-cli COMMAND --help' explains one command.\n");
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tessaly::cli;
  tessaly::platform::UseUtf8Console();
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    PrintHelp();
    return argc < 2 ? 2 : 0;
  }
  for (const auto& c : AllCommands()) {
    if (argv[1] != std::string(c.name)) continue;
    Args args(std::vector<std::string>(argv + 2, argv + argc));
    if (args.Flag("--help") || args.Flag("-h")) {
      std::printf("%s\n", c.usage);
      return 0;
    }
    try {
      return c.run(args);
    } catch (const UsageError& e) {
      std::fprintf(stderr, "tessaly-cli %s: %s\n%s\n", c.name, e.message.c_str(), c.usage);
      return 2;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "tessaly-cli %s: %s\n", c.name, e.what());
      return 1;
    }
  }
  std::fprintf(stderr, "tessaly-cli: unknown command '%s'\n", argv[1]);
  PrintHelp();
  return 2;
}
