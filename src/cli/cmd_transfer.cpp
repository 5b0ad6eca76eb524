// tessaly-cli transfer: "开始调班", the move of one student into another class,
// with or without automatic back-fill, on a divided division file.

#include <cstdio>
#include <optional>
#include <string>

#include "cli/cli_files.h"
#include "cli/commands.h"
#include "engine/evaluation.h"
#include "engine/transfer.h"
#include "platform/encoding.h"

namespace tessaly::cli {
namespace {

// The division score of the current placement, printed as the division page
// shows it.
void PrintScore(const model::ProgramState& state) {
  if (auto score = engine::ScoreDivision(state))
    PrintUtf8(stdout, engine::ScoreCaption(*score) + "\n");
}

}  // namespace

int RunTransfer(Args& args) {
  const auto number = args.Option("--number");
  const auto name = args.Option("--name");
  const auto to = args.Option("--to");
  const bool back_fill = args.Flag("--backfill");
  const bool yes = args.Flag("--yes");
  const auto limit_text = args.Option("--limit");
  const auto out = args.Option("-o");
  const auto files = args.Positional();
  if (files.size() != 1) throw UsageError{"give one division file"};
  if (!number || !name || !to) throw UsageError{"give --number, --name and --to"};
  if (!out) throw UsageError{"give the division file to write with -o OUT.fb"};
  if (limit_text && !back_fill) throw UsageError{"--limit goes with --backfill"};
  const int target = ParseIntArg("--to", *to);
  const int limit = limit_text ? ParseIntArg("--limit", *limit_text) : 20;

  model::ProgramState state = LoadStateOrFail(files[0]);
  TerminalUser user(yes);
  const engine::TransferResult result = engine::bsSkinButton13Click(
      state, user, enc::FromUtf8(*number), enc::FromUtf8(*name), target, limit, back_fill);
  if (!result.success()) return 1;
  PrintScore(state);
  SaveStateOrFail(state, *out);
  return 0;
}

}  // namespace tessaly::cli
