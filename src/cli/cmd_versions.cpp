// tessaly-cli versions: the versions (方案) kept in a division file: list
// them, keep the current division as one, make one the current division,
// remove one, or set versions side by side.

#include <cstdio>
#include <ctime>
#include <string>

#include "cli/cli_files.h"
#include "cli/commands.h"
#include "io/table_text.h"
#include "platform/encoding.h"
#include "stats/division_versions.h"

namespace tessaly::cli {
namespace {

// The local time in minutes, as a version is stamped.
std::string LocalTime() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
  return text;
}

}  // namespace

int RunVersions(Args& args) {
  const auto out = args.Option("-o");
  const auto time = args.Option("--time");
  const bool yes = args.Flag("--yes");
  std::vector<std::string> words = args.Positional();
  if (words.empty()) throw UsageError{"give a division file"};
  const std::string file = words[0];
  const std::string action = words.size() > 1 ? words[1] : "list";
  std::vector<std::string> names;
  for (std::size_t i = 2; i < words.size(); ++i) names.push_back(enc::FromUtf8(words[i]));

  const bool writes = action == "save" || action == "restore" || action == "delete";
  if (writes) {
    if (names.size() != 1) throw UsageError{action + " takes one version name"};
    if (!out) throw UsageError{"give the division file to write with -o OUT.fb"};
  } else if (action == "list") {
    if (!names.empty()) throw UsageError{"list takes no names"};
  } else if (action == "compare") {
    if (names.empty()) throw UsageError{"compare takes one or more version names"};
  } else {
    throw UsageError{"unknown action '" + action + "' (save, restore, delete, compare)"};
  }
  if (out && !writes) throw UsageError{"-o goes with save, restore and delete"};

  model::ProgramState state = LoadStateOrFail(file);
  TerminalUser user(yes);
  if (action == "list") {
    PrintUtf8(stdout, io::TableText(stats::VersionList(state)));
    return 0;
  }
  if (action == "compare") {
    const model::Grid grid = stats::CompareVersions(state, user, names);
    if (user.failed()) return 1;
    PrintUtf8(stdout, io::TableText(grid));
    return 0;
  }
  bool done = false;
  if (action == "save") {
    done = stats::SaveVersion(state, user, names[0], time ? enc::FromUtf8(*time) : LocalTime());
  } else if (action == "restore") {
    done = stats::RestoreVersion(state, user, names[0]);
  } else {
    done = stats::DeleteVersion(state, user, names[0]);
  }
  if (!done) return 1;
  SaveStateOrFail(state, *out);
  return 0;
}

}  // namespace tessaly::cli
