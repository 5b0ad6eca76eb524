#include "rules/preset_toggle.h"

#include "model/number_format.h"
#include "model/show_table.h"

namespace tessaly::rules {

bool ReadShowPresetClass(model::SettingsPort& settings) {
  const std::optional<std::string> value = settings.Read("YuSeBanJi", "YSBJ_Show");
  if (!value) return true;
  const std::optional<int> number = model::ParseInteger(*value);
  return !number || *number != 0;
}

std::string PresetStatusText(bool show_preset_class) {
  return show_preset_class ? "S" : "H";
}

bool PresetToggleKey(char key, model::ProgramState& state, model::ImportPage& page,
                     model::SettingsPort& settings, std::string& status_text) {
  if (key != 8) return false;
  state.ShowPresetClass = !state.ShowPresetClass;
  settings.Write("YuSeBanJi", "YSBJ_Show", state.ShowPresetClass ? "1" : "0");
  status_text = PresetStatusText(state.ShowPresetClass);
  if (!state.ImportedSets.empty()) {
    page.ScoreView = model::ShowTable(state.ImportedSets[0], state.ShowPresetClass);
  }
  return true;
}

}  // namespace tessaly::rules
