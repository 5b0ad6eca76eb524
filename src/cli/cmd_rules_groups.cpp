// tessaly-cli rules IN.fb apart | together | groups | delete-group: the
// teacher's keep-apart and keep-together groups of the part
// "分班约束（同班 / 不同班）" of the second rules page.

#include <cstdio>

#include "cli/cli_files.h"
#include "cli/cmd_rules.h"
#include "engine/group_guard.h"
#include "platform/encoding.h"
#include "rules/group_page.h"

namespace tessaly::cli {
namespace {

int AddGroupOf(model::GroupKind kind, const std::string& in, Args& args) {
  const std::optional<std::string> note = args.Option("--note");
  const std::string out = TakeOut(args);
  const std::vector<std::string> numbers = args.Positional();
  if (numbers.size() < 2) throw UsageError{"give two or more student numbers"};
  std::string text;
  for (const std::string& n : numbers) text += enc::FromUtf8(n) + "\n";
  model::ProgramState state = LoadStateOrFail(in);
  rules::GroupPage page;
  TerminalUser user;
  if (!rules::AddGroup(page, state, user, kind, text, note ? enc::FromUtf8(*note) : "")) {
    return 1;
  }
  SaveStateOrFail(state, out);
  return 0;
}

}  // namespace

int RunApart(const std::string& in, Args& args) {
  return AddGroupOf(model::GroupKind::kApart, in, args);
}

int RunTogether(const std::string& in, Args& args) {
  return AddGroupOf(model::GroupKind::kTogether, in, args);
}

int RunGroups(const std::string& in, Args& args) {
  NoMoreArgs(args);
  const model::ProgramState state = LoadStateOrFail(in);
  const std::vector<std::int32_t> broken = engine::BrokenGroups(state);
  for (std::size_t i = 0; i < state.GroupRows.size(); ++i) {
    const model::StudentGroup g = model::ReadGroupRow(state.GroupRows[i]);
    std::string line = std::to_string(i + 1) + "\t" + model::GroupKindText(g.kind) + "\t" +
                       rules::GroupStudentsText(state, g) + "\t" + g.note;
    if (std::find(broken.begin(), broken.end(), static_cast<std::int32_t>(i)) != broken.end()) {
      line += "\t" + "当前分班未满足"_gb;
    }
    PrintUtf8(stdout, line + "\n");
  }
  return 0;
}

int RunDeleteGroup(const std::string& in, Args& args) {
  const std::string out = TakeOut(args);
  const std::vector<std::string> rest = args.Positional();
  if (rest.size() != 1) throw UsageError{"give the row of the group: delete-group ROW"};
  const int row = ParseIntArg("ROW", rest[0]);
  model::ProgramState state = LoadStateOrFail(in);
  rules::GroupPage page;
  if (!rules::DeleteGroup(page, state, row)) {
    throw CommandFailed("there is no group " + rest[0] + " (see: rules IN.fb groups)");
  }
  SaveStateOrFail(state, out);
  return 0;
}

}  // namespace tessaly::cli
