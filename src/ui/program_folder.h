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

// The files the program reads and the settings file it writes.
struct ProgramFiles {
  QString folder;
  QString settings;        // path.ini
  QString skin;            // skin/skin.ini
  QString help;            // fbhelp/help.html
  QString video;           // fbhelp/fbys.webm
  QString companion_page;  // fbhelp/kelvane.html
  QString companion;       // Kelvane
  // Every file inside `folder`, the settings file too.
  static ProgramFiles In(const QString& folder);
  // The files of a program whose executable is in `exe_folder`. A program
  // folder keeps them beside the executable (it runs from wherever it is
  // copied); an installed program finds them in ../share/tessaly. The
  // settings file stays in a program folder that can be written, and goes to
  // `user_config`/tessaly/path.ini otherwise, and always for an installed
  // program, so that nothing is written under /usr.
  static ProgramFiles Locate(const QString& exe_folder, const QString& user_config);
  // Locate() for the running program and the user's configuration folder
  // ($XDG_CONFIG_HOME or ~/.config; %APPDATA% on Windows).
  static ProgramFiles OfThisProgram();
};

}  // namespace tessaly::ui
