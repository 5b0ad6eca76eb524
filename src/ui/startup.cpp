#include "ui/startup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QTranslator>
#include <cctype>

namespace tessaly::ui {

namespace {

// A whole decimal integer, with an optional sign and surrounding spaces.
std::optional<long long> WholeInteger(const std::string& text) {
  std::size_t b = 0, e = text.size();
  while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
  std::size_t i = b;
  if (i < e && (text[i] == '-' || text[i] == '+')) ++i;
  if (i == e) return std::nullopt;
  long long value = 0;
  for (std::size_t k = i; k < e; ++k) {
    if (!std::isdigit(static_cast<unsigned char>(text[k]))) return std::nullopt;
    value = value * 10 + (text[k] - '0');
    if (value > 1'000'000'000'000LL) value = 1'000'000'000'000LL;  // only 0 or not matters
  }
  return text[b] == '-' ? -value : value;
}

}  // namespace

bool ReadPresetSetting(model::SettingsPort& settings, bool file_exists,
                       const std::string& skin_path) {
  if (!file_exists) {
    settings.Write("face", "facefile", skin_path);
    settings.Write("YuSeBanJi", "YSBJ_Show", "1");
  }
  const std::optional<std::string> value = settings.Read("YuSeBanJi", "YSBJ_Show");
  if (!value) return true;
  const std::optional<long long> number = WholeInteger(*value);
  return !number || *number != 0;
}

bool ApplySkin(const QString& skin_file) {
  if (!QFileInfo::exists(skin_file)) return false;
  QSettings skin(skin_file, QSettings::IniFormat);
  const QString sheet_name = skin.value(QStringLiteral("skin/stylesheet")).toString();
  if (sheet_name.isEmpty()) return false;
  const QDir folder = QFileInfo(skin_file).dir();
  QFile sheet(folder.filePath(sheet_name));
  if (!sheet.open(QIODevice::ReadOnly)) return false;
  // The sheet names its pictures "skin:NAME", files beside it.
  QDir::setSearchPaths(QStringLiteral("skin"), {folder.absolutePath()});
  qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));
  return true;
}

bool InstallQtTranslations() {
  // The program speaks Chinese whatever the system's language, so Qt's own
  // texts follow it rather than the system locale.
  const QStringList folders = {
      QCoreApplication::applicationDirPath() + QStringLiteral("/translations"),
      QLibraryInfo::path(QLibraryInfo::TranslationsPath),
  };
  for (const QString& folder : folders) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                         QStringLiteral("_"), folder) &&
        QCoreApplication::installTranslator(translator)) {
      return true;
    }
    delete translator;
  }
  return false;
}

void ShowMaximised(QWidget& window) {
  if (const QScreen* screen = window.screen()) {
    const QRect free = screen->availableGeometry();
    window.resize(free.size() * 9 / 10);
    // The frame's top edge at the top of the free area: the title bar then
    // stays reachable and the bottom edge on the screen.
    window.move(free.left() + free.width() / 20, free.top());
  }
  window.showMaximized();
  QTimer::singleShot(500, &window, [&window] {
    if (window.isVisible() && !window.isMaximized() && !window.isMinimized()) {
      window.showMaximized();
    }
  });
}

}  // namespace tessaly::ui
