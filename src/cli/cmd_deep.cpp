// tessaly-cli optimise --deep: the deep optimiser on a divided division file;
// prints its messages, then the division score, and writes the result.

#include <cstdio>
#include <optional>
#include <string>

#include "adjust/deep_optimiser.h"
#include "cli/cli_files.h"
#include "cli/commands.h"
#include "engine/evaluation.h"
#include "model/number_format.h"

namespace tessaly::cli {
namespace {

std::uint64_t ParseDeepSeed(const std::string& value) {
  const auto v = model::ParseInteger(value);
  if (!v || *v < 0) throw UsageError{"--seed needs a whole number from 0 to 2147483647"};
  return static_cast<std::uint64_t>(*v);
}

double ParseSeconds(const std::string& value) {
  const auto v = model::ParseDecimal(value);
  if (!v || !(*v > 0) || *v > 3600)
    throw UsageError{"--seconds needs a number above 0, at most 3600"};
  return *v;
}

}  // namespace

int RunDeepOptimise(Args& args) {
  const bool deep = args.Flag("--deep");
  const bool report = args.Flag("--report");
  const auto seconds = args.Option("--seconds");
  const auto seed = args.Option("--seed");
  const auto out = args.Option("-o");
  const auto files = args.Positional();
  if (!deep) throw UsageError{"give the mode: --deep"};
  if (files.size() != 1) throw UsageError{"give one division file to optimise"};
  if (!out) throw UsageError{"give the division file to write with -o OUT.fb"};
  adjust::DeepOptions options;
  if (seconds) options.seconds = ParseSeconds(*seconds);
  if (seed) options.seed = ParseDeepSeed(*seed);

  model::ProgramState state = LoadStateOrFail(files[0]);
  TerminalUser user;
  const adjust::DeepResult result = adjust::DeepOptimiseDivision(state, user, options);
  if (user.failed()) return 1;
  if (report) {
    for (const adjust::DeepRangeReport& r : result.ranges) {
      PrintUtf8(stdout, r.key + " " + model::FormatNumber(r.start_cost) + " -> " +
                            model::FormatNumber(r.best_cost) + ", " + std::to_string(r.proposals) +
                            " proposals, " + std::to_string(r.exchanges) + " exchanges, " +
                            std::to_string(r.leximax_priced) + " priced and " +
                            std::to_string(r.leximax_exchanges) +
                            " placed anew by the final stage" +
                            (r.budget_reached ? ", time budget reached" : "") + "\n");
    }
  }
  if (result.score) PrintUtf8(stdout, engine::ScoreCaption(*result.score) + "\n");
  SaveStateOrFail(state, *out);
  return 0;
}

}  // namespace tessaly::cli
