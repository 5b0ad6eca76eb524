// tessaly-cli balance: the two average balancings of the averages page (class
// average totals, or one subject's averages) on a divided division file.

#include <cstdio>
#include <optional>
#include <string>

#include "cli/cli_files.h"
#include "cli/commands.h"
#include "engine/balance.h"
#include "engine/evaluation.h"
#include "platform/encoding.h"

namespace tessaly::cli {

int RunBalance(Args& args) {
  const auto total = args.Option("--total");
  const auto subject = args.Option("--subject");
  const auto range = args.Option("--range");
  const auto out = args.Option("-o");
  auto files = args.Positional();
  if (!out) throw UsageError{"give the division file to write with -o OUT.fb"};
  if (total.has_value() == subject.has_value()) {
    throw UsageError{"give either --total X or --subject NAME X"};
  }
  std::string control_text;
  if (subject) {
    if (files.size() != 2) throw UsageError{"give the division file and the control score"};
    control_text = files[1];
  } else {
    if (files.size() != 1) throw UsageError{"give one division file"};
    control_text = *total;
  }

  model::ProgramState state = LoadStateOrFail(files[0]);
  TerminalUser user;
  if (subject) {
    // The page offers the subjects of the main table only.
    const std::string wanted = enc::FromUtf8(*subject);
    bool known = false;
    for (const auto& table : state.ImportedSets) {
      if (!table.IsMainTable) continue;
      for (const auto& h : table.Headings.SubjectHeadings) known = known || h == wanted;
      break;
    }
    if (!known) throw UsageError{"the main table has no subject '" + *subject + "'"};
  }
  const std::string choice = range ? enc::FromUtf8(*range) : engine::AllRangesChoice();
  const engine::BalanceButtonResult result =
      subject
          ? engine::bsSkinButton17Click(state, user, choice, enc::FromUtf8(*subject), control_text)
          : engine::bsSkinButton16Click(state, user, choice, control_text);
  if (!result.ran || !result.completed) return 1;
  if (result.score) PrintUtf8(stdout, engine::ScoreCaption(*result.score) + "\n");
  SaveStateOrFail(state, *out);
  return 0;
}

}  // namespace tessaly::cli
