// tessaly-cli divide: the division command "开始分班" on the tables and rules of
// a division file; prints the score and writes the divided state.

#include <cstdio>
#include <optional>
#include <string>

#include "cli/cli_files.h"
#include "cli/commands.h"
#include "engine/division.h"

namespace tessaly::cli {
namespace {

std::uint32_t ParseSeed(const std::string& value) {
  std::uint64_t v = 0;
  if (value.empty() || value.size() > 10) throw UsageError{"--seed needs 0 to 4294967295"};
  for (char c : value) {
    if (c < '0' || c > '9') throw UsageError{"--seed needs 0 to 4294967295"};
    v = v * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (v > 0xFFFFFFFFull) throw UsageError{"--seed needs 0 to 4294967295"};
  return static_cast<std::uint32_t>(v);
}

}  // namespace

int RunDivide(Args& args) {
  const auto seed_text = args.Option("--seed");
  const auto out = args.Option("-o");
  const auto files = args.Positional();
  if (files.size() != 1) throw UsageError{"give one division file to divide"};
  if (!out) throw UsageError{"give the division file to write with -o OUT.fb"};
  std::optional<std::uint32_t> seed;
  if (seed_text) seed = ParseSeed(*seed_text);

  model::ProgramState state = LoadStateOrFail(files[0]);
  TerminalUser user;
  engine::Coin coin(seed);
  engine::DivisionResult result = engine::bsSkinButton10Click(state, user, coin);
  if (!result.completed) return 1;
  PrintUtf8(stdout, result.score_caption + "\n");
  SaveStateOrFail(state, *out);
  return 0;
}

}  // namespace tessaly::cli
