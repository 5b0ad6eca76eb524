#pragma once
// A main window over a fresh program folder, as the program starts.

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "ui/main_window.h"
#include "ui/qt_settings.h"

namespace tessaly::uitest {

struct Desk {
  QTemporaryDir folder;
  std::unique_ptr<ui::MainWindow> window;

  // Starts the program in the folder; `ini` is the settings file's content
  // beforehand (none: no settings file).
  void Start(const char* ini = nullptr) {
    if (ini != nullptr) {
      QFile f(folder.filePath(QStringLiteral("path.ini")));
      f.open(QIODevice::WriteOnly);
      f.write(ini);
    }
    const ui::ProgramFiles files = ui::ProgramFiles::In(folder.path());
    window = std::make_unique<ui::MainWindow>(files,
                                              std::make_unique<ui::QtIniSettings>(files.settings));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  }

  // The widget of that name inside `root` (the main window by default).
  template <typename T>
  T* Find(const char* name, QObject* root = nullptr) {
    if (root == nullptr) root = window.get();
    T* w = root->findChild<T*>(QString::fromLatin1(name));
    if (w == nullptr) qFatal("no widget %s", name);
    return w;
  }

  QString Settings() {
    QFile f(folder.filePath(QStringLiteral("path.ini")));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
  }
};

}  // namespace tessaly::uitest
