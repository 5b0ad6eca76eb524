// tessaly-cli query: the query of the page "查询与调整" on a division file; the
// result grid as table text.

#include <cstdio>
#include <optional>
#include <string>

#include "adjust/query_page.h"
#include "cli/cli_files.h"
#include "cli/commands.h"
#include "io/table_text.h"
#include "platform/encoding.h"

namespace tessaly::cli {

int RunQuery(Args& args) {
  struct Choice {
    const char* option;
    adjust::QueryKind kind;
  };
  static const Choice kChoices[] = {{"--initials", adjust::QueryKind::kInitials},
                                    {"--name", adjust::QueryKind::kName},
                                    {"--number", adjust::QueryKind::kNumber},
                                    {"--class", adjust::QueryKind::kClass}};
  std::optional<adjust::QueryKind> kind;
  std::string text;
  int given = 0;
  for (const Choice& c : kChoices) {
    if (auto value = args.Option(c.option)) {
      kind = c.kind;
      text = enc::FromUtf8(*value);
      ++given;
    }
  }
  if (args.Flag("--all")) {
    kind = adjust::QueryKind::kNumber;
    text.clear();
    ++given;
  }
  const auto files = args.Positional();
  if (files.size() != 1) throw UsageError{"give one division file"};
  if (given != 1) {
    throw UsageError{"give one of --initials T, --name T, --number T, --class \"3 班\", --all"};
  }
  const model::ProgramState state = LoadStateOrFail(files[0]);
  PrintUtf8(stdout, io::TableText(adjust::QueryStudents(state, *kind, text)));
  return 0;
}

}  // namespace tessaly::cli
