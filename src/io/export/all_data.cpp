#include "io/export/all_data.h"

#include "engine/evaluation.h"
#include "engine/names/same_names.h"
#include "engine/roster.h"
#include "platform/encoding.h"

namespace tessaly::io::exports {

namespace {

const std::string& CopiedMessage() {
  static const std::string text = "已复制成功！请打开Excel，选择粘贴即可。"_gb;
  return text;
}

}  // namespace

model::Grid RosterShown(const model::ProgramState& state,
                        const std::optional<std::string>& chosen_item) {
  if (!chosen_item) return engine::ClassRoster(state, std::nullopt);
  return engine::ClassRosterOfItem(state, *chosen_item);
}

std::string CollectAllData(model::ProgramState& state, model::UserPort& user,
                           const std::optional<std::string>& chosen_item,
                           AllDataTables* refreshed) {
  AllDataTables tables;
  user.ProgressStart("Process");
  user.ProgressSet(0);
  // The roster is what its grid shows now, before the statistics re-rank.
  tables.roster = RosterShown(state, chosen_item);
  tables.averages = engine::ShowAverages(state);
  user.ProgressSet(10);
  user.ProgressSet(20);
  tables.same_names = engine::ShowSameNames(state);
  user.ProgressSet(30);
  user.ProgressSet(50);

  std::string text;
  AppendTableText(tables.roster, text);
  user.ProgressSet(70);
  AppendTableText(tables.averages, text);
  user.ProgressSet(80);
  AppendTableText(tables.same_names, text);
  user.ProgressSet(90);
  AppendTableText(tables.statistics, text);
  user.ProgressSet(100);
  if (refreshed != nullptr) *refreshed = std::move(tables);
  return text;
}

void CopyTable(const model::Grid& table, bool whole, const CellRange& selection,
               model::ClipboardPort& clipboard, model::UserPort& user) {
  clipboard.SetText(whole ? TableText(table) : TableText(table, selection));
  user.Information(CopiedMessage());
}

void bsSkinButton15Click(model::ProgramState& state, model::UserPort& user,
                         model::ClipboardPort& clipboard,
                         const std::optional<std::string>& chosen_item) {
  clipboard.SetText(CollectAllData(state, user, chosen_item));
  user.Information(CopiedMessage());
}

}  // namespace tessaly::io::exports
