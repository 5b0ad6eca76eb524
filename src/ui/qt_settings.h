#pragma once
// The settings file path.ini read and written key by key through Qt.

#include <QString>

#include "model/settings_port.h"

namespace tessaly::ui {

class QtIniSettings : public model::SettingsPort {
 public:
  explicit QtIniSettings(QString path) : path_(std::move(path)) {}
  std::optional<std::string> Read(const std::string& section, const std::string& key) override;
  bool Write(const std::string& section, const std::string& key, const std::string& value) override;
  const QString& path() const { return path_; }

 private:
  QString path_;
};

}  // namespace tessaly::ui
