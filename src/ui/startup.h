#pragma once
// Start-up pieces that need no window: the settings file's defaults, the
// preset-column setting and the skin.

#include <QString>
#include <QWidget>
#include <string>

#include "model/settings_port.h"

namespace tessaly::ui {

// Writes the defaults of a new settings file (the skin file's path and the
// preset column shown) when `file_exists` is false, then reads the
// preset-column setting: any integer but 0 is true, a missing key or a value
// that is no integer reads as true.
bool ReadPresetSetting(model::SettingsPort& settings, bool file_exists,
                       const std::string& skin_path);

// Loads the style sheet that the skin file names (key `stylesheet` of
// section `skin`, relative to the skin file's folder) into the application;
// the sheet's pictures are named "skin:NAME", files in that folder.
// False, leaving the default look, when the skin file or its sheet is
// missing.
bool ApplySkin(const QString& skin_file);

// Installs Qt's own Chinese texts (the buttons of message boxes and file
// dialogs, the context menus of text fields) from the translations folder of
// the Qt in use, and a copy beside the executable (`translations/`) when
// the program folder carries one. False when none was found: the texts stay
// English.
bool InstallQtTranslations();

// Shows the main window maximised on the screen it opens on, and asks again
// once the window manager has placed it, since some place a large window
// first and ignore the request. Restored, the window takes nine tenths of
// the screen's free area from its top, so that no edge lies off the screen.
void ShowMaximised(QWidget& window);

}  // namespace tessaly::ui
