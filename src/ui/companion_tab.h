#pragma once
// The page "排课软件": the companion timetabling program's page and its
// launcher.

#include <QWidget>

#include "ui/session.h"

class QTextBrowser;

namespace tessaly::ui {

// "启动排课软件": starts the companion program without waiting for it, or
// shows the missing-file message. True when it was started.
bool LaunchCompanion(const QString& program, model::UserPort& user);

class CompanionTab : public QWidget {
  Q_OBJECT
 public:
  CompanionTab(Session& session, QWidget* parent = nullptr);
  // Loads the companion program's page (at start-up).
  void LoadPage();
  QTextBrowser* browser() const { return browser_; }

 private:
  Session& s_;
  QTextBrowser* browser_;
};

}  // namespace tessaly::ui
