// tessaly: the desktop program. `tessaly FILE.fb` opens that division file.

#include <QApplication>
#include <QFileInfo>

#include "ui/main_window.h"
#include "ui/qt_settings.h"
#include "ui/startup.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  using namespace tessaly::ui;
  InstallQtTranslations();
  const ProgramFiles files = ProgramFiles::OfThisProgram();
  MainWindow window(files, std::make_unique<QtIniSettings>(files.settings));
  const QStringList args = QApplication::arguments();
  if (args.size() > 1) window.SetStartFile(QFileInfo(args[1]).absoluteFilePath());
  ShowMaximised(window);
  return app.exec();
}
