// tessaly-cli optimise: "优化分班结果", one run of the optimiser in one of its
// modes on a divided division file.

#include <cstdio>
#include <optional>
#include <string>

#include "adjust/optimiser.h"
#include "cli/cli_files.h"
#include "cli/commands.h"
#include "cli/stdout_user.h"
#include "engine/evaluation.h"

namespace tessaly::cli {
namespace {

// The option group's item from the command line: --mode N, as the page
// starts (item 1) when absent.
adjust::OptimiserPage PageOf(Args& args) {
  adjust::OptimiserPage page;
  if (const auto mode = args.Option("--mode")) {
    const int index = ParseIntArg("--mode", *mode);
    if (index < 0 || index > 2) throw UsageError{"--mode needs 0, 1 or 2"};
    page.option_index = index;
  }
  return page;
}

}  // namespace

int RunOptimise(Args& args) {
  const adjust::OptimiserPage page = PageOf(args);
  const auto out = args.Option("-o");
  const auto files = args.Positional();
  if (files.size() != 1) throw UsageError{"give one division file"};
  if (!out) throw UsageError{"give the division file to write with -o OUT.fb"};

  model::ProgramState state = LoadStateOrFail(files[0]);
  if (state.RangeSets.empty())
    throw CommandFailed("the file holds no division yet: divide it first");
  StdoutUser user;
  const adjust::OptimiseButtonResult result = adjust::bsSkinXFormButton2Click(state, user, page);
  if (!result.run.ran) return 1;
  if (result.score) PrintUtf8(stdout, engine::ScoreCaption(*result.score) + "\n");
  SaveStateOrFail(state, *out);
  return 0;
}

}  // namespace tessaly::cli
