// tessaly-cli balance: the two average balancings of the averages page (class
// average totals, or one subject's averages) on a divided division file.

#include <cstdio>
#include <optional>
#include <string>

#include "cli/cli_files.h"
#include "cli/commands.h"
#include "engine/balance.h"
#include "engine/evaluation.h"
#include "model/number_format.h"
#include "platform/encoding.h"

namespace tessaly::cli {
namespace {

// The division score of the current placement, printed as the division page
// shows it.
void PrintScore(const model::ProgramState& state) {
  if (auto score = engine::ScoreDivision(state))
    PrintUtf8(stdout, engine::ScoreCaption(*score) + "\n");
}

// The control score as the page's box takes it: digits and points only; a
// text that is no number is refused with a message.
std::optional<double> ReadControlScore(const std::string& text, model::UserPort& user) {
  static const std::string kMissing = "您还没有输入控制分数！"_gb;
  static const std::string kInvalid = "控制分数不是有效的数字，请重新输入！"_gb;
  if (text.empty()) {
    user.Warning(kMissing);
    return std::nullopt;
  }
  for (char c : text) {
    if ((c < '0' || c > '9') && c != '.')
      throw UsageError{"the control score takes digits and '.'"};
  }
  auto value = model::ParseDecimal(text);
  if (!value) {
    user.Error(kInvalid);
    return std::nullopt;
  }
  return value;
}

}  // namespace

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
  const auto control = ReadControlScore(control_text, user);
  if (!control) return 1;
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
  bool ok =
      subject ? engine::BalanceSubject(state, user, choice, enc::FromUtf8(*subject), true, *control)
              : engine::BalanceTotals(state, user, choice, true, *control);
  if (!ok) return 1;
  PrintScore(state);
  SaveStateOrFail(state, *out);
  return 0;
}

}  // namespace tessaly::cli
