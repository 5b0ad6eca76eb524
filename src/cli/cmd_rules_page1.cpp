// tessaly-cli rules IN.fb add-range | delete-range | weights | sounds: one
// event of the page "分班规则制定1(必须)". The page is entered from the file's
// tables and lists, the event runs, the page is left (which writes the
// weights, the sound pairs and ClassRangeRows) and the file is written.

#include <algorithm>

#include "cli/cli_files.h"
#include "cli/cmd_rules.h"
#include "platform/encoding.h"
#include "rules/first_rules_page.h"
#include "rules/key_filters.h"

namespace tessaly::cli {
namespace {

// Leaves the page and writes the file; the leave's warnings are printed and
// the values stored, as the page does.
int LeaveAndSave(const rules::FirstRulesPage& page, model::ProgramState& state,
                 const std::string& out) {
  TerminalUser user;
  rules::LeaveFirstRulesPage(page, state, user);
  SaveStateOrFail(state, out);
  return 0;
}

}  // namespace

int RunAddRange(const std::string& in, Args& args) {
  const std::optional<std::string> type = args.Option("--type");
  const std::string from = args.Option("--from").value_or("");
  const std::string to = args.Option("--to").value_or("");
  const std::string count = args.Option("--count").value_or("");
  const std::string ids = args.Option("--ids").value_or("");
  const std::string remark = args.Option("--remark").value_or("");
  const std::string out = TakeOut(args);
  NoMoreArgs(args);
  rules::RangeType range_type = rules::RangeType::kNone;
  if (type) {
    const std::string t = enc::FromUtf8(*type);
    if (t == "按学号"_gb) {
      range_type = rules::RangeType::kByNumber;
    } else if (t == "按名次"_gb) {
      range_type = rules::RangeType::kByRank;
    } else {
      throw UsageError{"--type is 按学号 or 按名次"};
    }
  }

  model::ProgramState state = LoadStateOrFail(in);
  rules::FirstRulesPage page;
  rules::EnterFirstRulesPage(page, state);
  TerminalUser user;
  rules::ChooseRangeType(page.ranges, range_type, state, user);
  auto typed = [&](const std::string& utf8) {
    const std::string text = enc::FromUtf8(utf8);
    return range_type == rules::RangeType::kByRank ? rules::FilterTyped(text, rules::KeepDigitKey)
                                                   : text;
  };
  rules::SetRangeBoxText(page.ranges.start, typed(from));
  rules::SetRangeBoxText(page.ranges.end, typed(to));
  page.ranges.class_count = rules::FilterTyped(count, rules::KeepDigitKey);
  page.ranges.class_ids = rules::FilterTyped(ids, rules::KeepDigitCommaKey);
  page.ranges.remark = enc::FromUtf8(remark);
  if (!rules::AddRange(page.ranges, user)) return 1;
  return LeaveAndSave(page, state, out);
}

int RunDeleteRange(const std::string& in, Args& args) {
  const std::string out = TakeOut(args);
  const std::vector<std::string> rest = args.Positional();
  if (rest.size() != 1) throw UsageError{"give the grid row of the range: delete-range ROW"};
  const int row = ParseIntArg("ROW", rest[0]);
  model::ProgramState state = LoadStateOrFail(in);
  rules::FirstRulesPage page;
  rules::EnterFirstRulesPage(page, state);
  page.ranges.current_row = row;
  TerminalUser user;
  if (!rules::DeleteRange(page.ranges, user)) return 1;
  return LeaveAndSave(page, state, out);
}

int RunWeights(const std::string& in, Args& args) {
  const std::vector<std::string> weights = args.Options("--weight");
  const std::vector<std::string> mains = args.Options("--main");
  const std::vector<std::string> references = args.Options("--reference");
  const std::string out = TakeOut(args);
  NoMoreArgs(args);

  model::ProgramState state = LoadStateOrFail(in);
  rules::FirstRulesPage page;
  rules::EnterFirstRulesPage(page, state);
  const bool edits = !weights.empty() || !mains.empty() || !references.empty();
  if (edits && !page.weights.takes_input) {
    throw CommandFailed("the weights grid takes input only in combine mode");
  }
  const int rows = static_cast<int>(page.weights.grid.RowCount()) - 1;
  auto slot = [&](const std::string& option, const std::string& text) {
    const int s = ParseIntArg(option, text);
    if (s < 1 || s > rows) {
      throw UsageError{option + " " + text + ": a slot from 1 to " + std::to_string(rows)};
    }
    return s;
  };
  TerminalUser user;
  for (const std::string& w : weights) {
    const auto eq = w.find('=');
    if (eq == std::string::npos) throw UsageError{"--weight SLOT=PERCENT, not '" + w + "'"};
    rules::SelectWeightCell(page.weights, slot("--weight", w.substr(0, eq)), 1);
    // Key by key, as the grid receives it: every release runs the 1-100 test.
    std::string cell;
    for (char key : rules::FilterTyped(w.substr(eq + 1), rules::KeepDigitPercentKey)) {
      cell += key;
      rules::EditWeightCell(page.weights, cell);
      rules::WeightKeyUp(page.weights, user);
      cell = page.weights.grid.Cell(page.weights.current_row, 1);
    }
    if (cell.empty()) rules::EditWeightCell(page.weights, cell);
    if (user.failed()) return 1;  // a refused weight: nothing is written
  }
  for (const std::string& m : mains) {
    rules::SelectWeightCell(page.weights, slot("--main", m), 2);
    rules::ChooseMainTable(page.weights, page.ranges, state);
  }
  for (const std::string& r : references) {
    rules::SelectWeightCell(page.weights, slot("--reference", r), 2);
    rules::ChooseReferenceTable(page.weights);
  }
  return LeaveAndSave(page, state, out);
}

int RunSounds(const std::string& in, Args& args) {
  const std::vector<std::string> initial = args.Options("--initial");
  const std::vector<std::string> final_pairs = args.Options("--final");
  const std::string out = TakeOut(args);
  NoMoreArgs(args);
  auto ticks = [](const std::string& option, const std::vector<std::string>& given,
                  const auto& captions) {
    std::array<bool, 5> ticked{};
    for (const std::string& g : given) {
      const auto it = std::find(captions.begin(), captions.end(), g);
      if (it == captions.end()) {
        std::string names;
        for (const char* c : captions) names += std::string(" ") + c;
        throw UsageError{option + " '" + g + "' is not one of" + names};
      }
      ticked[static_cast<std::size_t>(it - captions.begin())] = true;
    }
    return ticked;
  };
  const std::array<bool, 5> initial_ticked = ticks("--initial", initial, rules::kInitialPairs);
  const std::array<bool, 5> final_ticked = ticks("--final", final_pairs, rules::kFinalPairs);
  model::ProgramState state = LoadStateOrFail(in);
  rules::FirstRulesPage page;
  rules::EnterFirstRulesPage(page, state);
  page.weights.initial_ticked = initial_ticked;
  page.weights.final_ticked = final_ticked;
  return LeaveAndSave(page, state, out);
}

}  // namespace tessaly::cli
