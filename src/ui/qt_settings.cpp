#include "ui/qt_settings.h"

#include <QSettings>

#include "ui/qt_text.h"

namespace tessaly::ui {

std::optional<std::string> QtIniSettings::Read(const std::string& section, const std::string& key) {
  QSettings ini(path_, QSettings::IniFormat);
  const QString name = Q(section) + QChar('/') + Q(key);
  if (!ini.contains(name)) return std::nullopt;
  return Gb(ini.value(name).toString());
}

bool QtIniSettings::Write(const std::string& section, const std::string& key,
                          const std::string& value) {
  QSettings ini(path_, QSettings::IniFormat);
  ini.setValue(Q(section) + QChar('/') + Q(key), Q(value));
  ini.sync();
  return ini.status() == QSettings::NoError;
}

}  // namespace tessaly::ui
