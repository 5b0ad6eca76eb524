// tessaly-cli rules: sets the rule lists of a division file from rows given
// on the command line, the way the rules pages would leave them, so that a
// division of one's own tables can be run without the desktop program.

#include "cli/cmd_rules.h"

#include <algorithm>
#include <array>

#include "cli/cli_files.h"
#include "cli/commands.h"
#include "model/rule_lists.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::cli {
namespace {

struct ListOption {
  const char* option;
  model::RuleList model::ProgramState::*list;
  char separator;  // 0: a fuzzy-sound caption
  int fields;
};

constexpr std::array<ListOption, 6> kLists = {{
    {"--range", &model::ProgramState::ClassRangeRows, '|', 5},
    {"--band", &model::ProgramState::BandConditionRows, '$', 4},
    {"--balance", &model::ProgramState::BalanceItemRows, '|', 2},
    {"--count", &model::ProgramState::CountConditionRows, '$', 3},
    {"--initial", &model::ProgramState::InitialSoundPairs, 0, 1},
    {"--final", &model::ProgramState::FinalSoundPairs, 0, 1},
}};

// Checks one row given in UTF-8 and returns it as stored text.
std::string CheckedRow(const ListOption& list, const std::string& utf8) {
  std::string row = enc::FromUtf8(utf8);
  auto fail = [&](const std::string& why) {
    throw UsageError{std::string(list.option) + " '" + utf8 + "': " + why};
  };
  if (list.separator == 0) {
    static const std::array<const char*, 5> kInitial = {"c-ch", "z-zh", "s-sh", "h-f", "r-l"};
    static const std::array<const char*, 5> kFinal = {"an-ang", "in-ing", "en-eng", "uan-ang",
                                                      "ian-iang"};
    const auto& allowed = std::string(list.option) == "--initial" ? kInitial : kFinal;
    if (std::find(allowed.begin(), allowed.end(), row) == allowed.end()) {
      std::string names;
      for (const char* a : allowed) names += std::string(a) + " ";
      fail("not one of " + names);
    }
    return row;
  }
  const std::string sep(1, list.separator);
  if (row.empty() || row.back() != list.separator) fail("every field ends with '" + sep + "'");
  if (model::CountChar(row, list.separator) != list.fields) {
    fail("needs " + std::to_string(list.fields) + " fields, each followed by '" + sep + "'");
  }
  if (list.list == &model::ProgramState::ClassRangeRows) {
    model::RangeRow r = model::ReadRangeRow(row);
    if (r.type != "按学号"_gb && r.type != "按名次"_gb) fail("the type is 按学号 or 按名次");
    if (r.low < 0 || r.high < 0 || r.low >= r.high)
      fail("the range is START-END- with START < END");
    if (r.class_count < 1 || model::CountChar(r.class_ids, ',') != r.class_count) {
      fail("the class count must equal the number of class ids (each followed by ',')");
    }
  }
  return row;
}

struct PageCommand {
  const char* name;
  int (*run)(const std::string& in, Args& args);
};

constexpr std::array<PageCommand, 15> kPageCommands = {{
    {"add-range", RunAddRange},
    {"delete-range", RunDeleteRange},
    {"weights", RunWeights},
    {"sounds", RunSounds},
    {"add-band", RunAddBand},
    {"delete-bands", RunDeleteBands},
    {"band-level", RunBandLevel},
    {"items", RunItems},
    {"item-level", RunItemLevel},
    {"add-count", RunAddCount},
    {"delete-counts", RunDeleteCounts},
    {"apart", RunApart},
    {"together", RunTogether},
    {"groups", RunGroups},
    {"delete-group", RunDeleteGroup},
}};

}  // namespace

int RunRules(Args& args) {
  // rules IN.fb EVENT ...: one event of a rules page.
  std::vector<std::string> leading;
  if (auto in = args.TakeLeadingWord()) {
    leading.push_back(*in);
    if (auto event = args.TakeLeadingWord()) {
      for (const PageCommand& c : kPageCommands) {
        if (*event == c.name) return c.run(*in, args);
      }
      leading.push_back(*event);
    }
  }
  const bool keep = args.Flag("--keep");
  const std::optional<std::string> out = args.Option("-o");
  std::vector<std::pair<const ListOption*, std::vector<std::string>>> given;
  for (const ListOption& list : kLists) {
    std::vector<std::string> rows;
    for (const std::string& value : args.Options(list.option)) {
      rows.push_back(CheckedRow(list, value));
    }
    if (!rows.empty()) given.emplace_back(&list, std::move(rows));
  }
  std::vector<std::string> files = leading;
  for (std::string& f : args.Positional()) files.push_back(std::move(f));
  if (files.size() != 1 || !out) throw UsageError{"give one division file and -o OUT.fb"};

  model::ProgramState state = LoadStateOrFail(files[0]);
  for (auto& [list, rows] : given) {
    model::RuleList& target = state.*(list->list);
    if (!keep) target.clear();
    for (std::string& row : rows) {
      if (model::FindRow(target, row) < 0) target.push_back(std::move(row));
    }
  }
  SaveStateOrFail(state, *out);
  return 0;
}

}  // namespace tessaly::cli
