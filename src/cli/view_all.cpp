// The "all" view of `tessaly-cli table`: the all-data text of the division
// page ("复制所有数据到剪贴板"): the roster, the averages, the same names and
// the headcount statistics, refreshed as the copy refreshes them.

#include <optional>

#include "cli/table_views.h"
#include "io/export/all_data.h"
#include "platform/encoding.h"

namespace tessaly::cli {

std::string AllDataView(const model::ProgramState& state, Args& args) {
  std::optional<std::string> chosen;
  if (auto cls = args.Option("--class")) {
    chosen = std::to_string(ParseIntArg("--class", *cls)) + " 班"_gb;
  }
  model::ProgramState work = state;
  model::SilentUser user;
  return io::exports::CollectAllData(work, user, chosen);
}

}  // namespace tessaly::cli
