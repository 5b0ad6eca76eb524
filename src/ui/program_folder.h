#pragma once
// The program folder and the files the program finds in it: the settings
// file, the skin, the help pages, the demonstration video and the companion
// program.

#include <QString>

namespace tessaly::ui {

// Where the program and the companion program can be downloaded again.
inline constexpr char kDownloadAddress[] = "https://tessaly.org/download";

// The folder of the running executable.
QString ProgramFolder();

// `relative` (with "/" between its parts) inside `folder`, with one
// separator between them.
QString InFolder(const QString& folder, const QString& relative);

// "演示文件：" + path + " 没找到，可能丢失，请重新下载安装软件，下载网址：" +
// the download address.
QString MissingFileMessage(const QString& path);

// The files of the program folder.
struct ProgramFiles {
  QString folder;
  QString settings;        // path.ini
  QString skin;            // skin/skin.ini
  QString help;            // fbhelp/help.html
  QString video;           // fbhelp/fbys.webm
  QString companion_page;  // fbhelp/kelvane.html
  QString companion;       // Kelvane
  static ProgramFiles In(const QString& folder);
};

}  // namespace tessaly::ui
