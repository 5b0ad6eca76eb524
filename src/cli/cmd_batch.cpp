// tessaly-cli batch: "批量调整", a list of moves as copied from a spreadsheet
// pasted into the batch grid and carried out row by row.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>

#include "adjust/batch_transfer.h"
#include "cli/cli_files.h"
#include "cli/commands.h"
#include "cli/stdout_user.h"
#include "engine/evaluation.h"
#include "io/table_text.h"
#include "platform/encoding.h"

namespace tessaly::cli {
namespace {

// The moves text: a file, or stdin for "-"; UTF-8 or GB18030.
std::string ReadMoves(const std::string& path) {
  std::string bytes;
  if (path == "-") {
    bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw CommandFailed("cannot read the moves file " + path);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return enc::FromOutside(bytes);
}

}  // namespace

int RunBatch(Args& args) {
  adjust::BatchSettings settings;
  settings.back_fill = !args.Flag("--no-backfill");
  const bool yes = args.Flag("--yes");
  if (const auto limit = args.Option("--limit")) {
    const int value = ParseIntArg("--limit", *limit);
    if (value < 0) throw UsageError{"--limit needs 0 or more"};
    settings.limit = value;
  }
  const auto out = args.Option("-o");
  const auto files = args.Positional();
  if (files.size() != 2)
    throw UsageError{"give the division file and the moves file (- for stdin)"};
  if (!out) throw UsageError{"give the division file to write with -o OUT.fb"};

  model::ProgramState state = LoadStateOrFail(files[0]);
  if (state.RangeSets.empty())
    throw CommandFailed("the file holds no division yet: divide it first");
  const std::string moves = ReadMoves(files[1]);
  adjust::BatchGrid grid;
  adjust::ResetBatchGrid(grid);
  adjust::PasteIntoBatchGrid(grid, moves, 1, 0);
  StdoutUser user;
  user.yes = yes;
  adjust::bsSkinButton14Click(state, user, grid, settings);
  PrintUtf8(stdout, io::TableText(grid.grid));
  if (auto score = engine::ScoreDivision(state)) {
    PrintUtf8(stdout, engine::ScoreCaption(*score) + "\n");
  }
  SaveStateOrFail(state, *out);
  return 0;
}

}  // namespace tessaly::cli
