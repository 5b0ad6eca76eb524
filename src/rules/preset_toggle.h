#pragma once
// The setting ShowPresetClass: read from path.ini at start-up and toggled
// by Backspace in the table-name box bsSkinEdit1 of the import page.

#include <string>

#include "model/import_page.h"
#include "model/program_state.h"
#include "model/settings_port.h"

namespace tessaly::rules {

// YSBJ_Show of section YuSeBanJi as an integer: non-zero true, 0 false; a
// missing key or a value that is not an integer reads as true.
bool ReadShowPresetClass(model::SettingsPort& settings);

// The text of the status panel bsSkinStatusPanel6: "S" shown, "H" hidden.
std::string PresetStatusText(bool show_preset_class);

// bsSkinEdit1KeyPress: Backspace (8) inverts ShowPresetClass, writes it to
// YSBJ_Show as 1 or 0, sets the status text and, when tables are imported,
// shows slot 0 again in the score-table view. Other keys do nothing. True
// when the key was Backspace. The setting changes even when the file
// cannot be written (then it lasts for this run only).
bool PresetToggleKey(char key, model::ProgramState& state, model::ImportPage& page,
                     model::SettingsPort& settings, std::string& status_text);

}  // namespace tessaly::rules
