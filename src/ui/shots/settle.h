#pragma once
// What the picture and film programs (tessaly-shots, tessaly-shots-versions,
// tessaly-tour) share: letting the windows paint before a picture is taken.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QString>
#include <QThread>
#include <QWidget>

namespace tessaly::ui::shots {

// Runs the event loop for `ms` milliseconds, so that the windows paint (and
// a recorder films them).
inline void Settle(int ms) {
  QElapsedTimer t;
  t.start();
  do {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(10);
  } while (t.elapsed() < ms);
}

// Lets `w` paint for `ms`, then saves its picture as FOLDER/NAME.png.
inline void Save(QWidget* w, const QString& folder, const QString& name, int ms) {
  Settle(ms);
  w->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

}  // namespace tessaly::ui::shots
