// tessaly: the desktop program. `tessaly FILE.fb` opens that division file.

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

#include "ui/main_window.h"
#include "ui/qt_settings.h"
#include "ui/startup.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  using namespace tessaly::ui;
  InstallQtTranslations();
  const ProgramFiles files = ProgramFiles::OfThisProgram();
  MainWindow window(files, std::make_unique<QtIniSettings>(files.settings));
  ShowMaximised(window);
  const QStringList args = QApplication::arguments();
  if (args.size() > 1) {
    const QString path = QFileInfo(args[1]).absoluteFilePath();
    QTimer::singleShot(0, &window, [&window, path] { window.OpenDivisionFile(path); });
  }
  return app.exec();
}
