#include "ui/program_folder.h"

#include <QCoreApplication>
#include <QDir>

namespace tessaly::ui {

QString ProgramFolder() {
  return QCoreApplication::applicationDirPath();
}

QString InFolder(const QString& folder, const QString& relative) {
  QString rel = QDir::toNativeSeparators(relative);
  if (folder.endsWith(QDir::separator()) || folder.endsWith(QChar('/'))) return folder + rel;
  return folder + QDir::separator() + rel;
}

QString MissingFileMessage(const QString& path) {
  return QStringLiteral("演示文件：") + path +
         QStringLiteral(" 没找到，可能丢失，请重新下载安装软件，下载网址：") +
         QString::fromLatin1(kDownloadAddress);
}

ProgramFiles ProgramFiles::In(const QString& folder) {
  ProgramFiles f;
  f.folder = folder;
  f.settings = InFolder(folder, QStringLiteral("path.ini"));
  f.skin = InFolder(folder, QStringLiteral("skin/skin.ini"));
  f.help = InFolder(folder, QStringLiteral("fbhelp/help.html"));
  f.video = InFolder(folder, QStringLiteral("fbhelp/fbys.webm"));
  f.companion_page = InFolder(folder, QStringLiteral("fbhelp/kelvane.html"));
#ifdef Q_OS_WIN
  f.companion = InFolder(folder, QStringLiteral("Kelvane.exe"));
#else
  f.companion = InFolder(folder, QStringLiteral("Kelvane"));
#endif
  return f;
}

}  // namespace tessaly::ui
