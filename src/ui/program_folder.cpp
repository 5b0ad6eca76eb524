#include "ui/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

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

namespace {

// The program's own files are beside the executable: the portable program
// folder, or the build folder.
bool HoldsProgramFiles(const QString& folder) {
  return QFileInfo::exists(InFolder(folder, QStringLiteral("skin/skin.ini"))) ||
         QFileInfo::exists(InFolder(folder, QStringLiteral("fbhelp/help.html")));
}

// The settings file can be written where it is, or created there.
bool CanWriteSettings(const QString& path) {
  const QFileInfo file(path);
#ifdef Q_OS_WIN
  // Windows grants writing by access lists that QFileInfo does not read (a
  // folder under Program Files looks writable): the folder is tried.
  if (file.exists() && !(file.isFile() && file.isWritable())) return false;
  QTemporaryFile probe(InFolder(file.absolutePath(), QStringLiteral("path-XXXXXX.tmp")));
  return probe.open();
#else
  if (file.exists()) return file.isFile() && file.isWritable();
  return QFileInfo(file.absolutePath()).isWritable();
#endif
}

}  // namespace

ProgramFiles ProgramFiles::Locate(const QString& exe_folder, const QString& user_config) {
  const QString user_settings = InFolder(user_config, QStringLiteral("tessaly/path.ini"));
  if (!HoldsProgramFiles(exe_folder)) {
    const QString shared = QDir::cleanPath(exe_folder + QStringLiteral("/../share/tessaly"));
    if (HoldsProgramFiles(shared)) {
      ProgramFiles f = In(QDir::toNativeSeparators(shared));
      f.settings = user_settings;
      return f;
    }
  }
  // A program folder, or no files at all: then the program tells which file
  // it misses beside the executable.
  ProgramFiles f = In(exe_folder);
  if (!CanWriteSettings(f.settings)) f.settings = user_settings;
  return f;
}

ProgramFiles ProgramFiles::OfThisProgram() {
#ifdef Q_OS_WIN
  // The roaming application data, where Windows keeps a user's settings.
  return Locate(ProgramFolder(), qEnvironmentVariable("APPDATA"));
#else
  return Locate(ProgramFolder(),
                QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
#endif
}

}  // namespace tessaly::ui
