#pragma once
// What every page of the main window works on: the one program state, the
// import page's list and view, the unsaved-work mark, and the ports through
// which the core reaches the user, the clipboard and the settings file. The
// main window owns it.

#include <functional>

#include "model/clipboard_port.h"
#include "model/import_page.h"
#include "model/program_state.h"
#include "model/settings_port.h"
#include "model/unsaved_work.h"
#include "model/user_port.h"
#include "ui/program_folder.h"

namespace tessaly::ui {

struct Session {
  model::ProgramState state;
  model::ImportPage page;
  model::UserPort& user;
  model::ClipboardPort& clipboard;
  model::SettingsPort& settings;
  ProgramFiles files;
  // Whether the work is saved, and the division file it belongs to.
  model::UnsavedWork work = {};
  // Before the work is replaced (a new division, an opened file): asks
  // about unsaved changes; true when the work may go. The main window sets it.
  std::function<bool()> may_replace_work = [] { return true; };
};

}  // namespace tessaly::ui
