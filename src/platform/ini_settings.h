#pragma once
// The settings file path.ini: an INI file read and written key by key.
// Sections and keys match without regard to the case of Latin letters, as
// INI files do; values are kept as written, surrounding spaces dropped.

#include <filesystem>
#include <optional>
#include <string>

#include "model/settings_port.h"

namespace tessaly::platform {

class IniSettings : public model::SettingsPort {
 public:
  explicit IniSettings(std::filesystem::path file) : file_(std::move(file)) {}

  std::optional<std::string> Read(const std::string& section, const std::string& key) override;
  // Replaces the key's line (or adds it at the end of its section, or adds
  // the section at the end of the file), keeping every other line; the file
  // is written to a temporary file and renamed over the old one.
  bool Write(const std::string& section, const std::string& key, const std::string& value) override;

  const std::filesystem::path& file() const { return file_; }

 private:
  std::filesystem::path file_;
};

// The user's configuration folder for the program: $XDG_CONFIG_HOME/tessaly,
// else $HOME/.config/tessaly; empty when neither variable is set. On
// Windows %APPDATA%\Tessaly.
std::filesystem::path UserConfigFolder();

struct ProgramSettings {
  IniSettings settings;
  // True when the program folder could not be written and path.ini lives in
  // the user's configuration folder instead.
  bool in_user_folder = false;
};

// Opens path.ini in `program_folder`. A missing file is created with
// facefile (section face: the folder's skin/skin.ini) and YSBJ_Show=1
// (section YuSeBanJi). When the program folder cannot be written (a
// read-only installation), path.ini in `user_folder` is used instead,
// started from the program folder's file when that exists, so the
// preset-column toggle is still kept.
ProgramSettings OpenProgramSettings(const std::filesystem::path& program_folder,
                                    const std::filesystem::path& user_folder);

}  // namespace tessaly::platform
