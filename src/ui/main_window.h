#pragma once
// The main window "Tessaly V3.5 增强版": five pages in the order of the
// work, the program state they share, and the secondary windows.

#include <QMainWindow>
#include <memory>

#include "ui/qt_clipboard.h"
#include "ui/session.h"
#include "ui/user_dialogs.h"

class QTabWidget;

namespace tessaly::ui {

class CompanionTab;
class HelpWindow;
class ImportTab;
class RulesTab1;
class RulesTab2;
class VideoWindow;
class WorkGuard;
namespace division {
class DivisionPage;
}

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  MainWindow(const ProgramFiles& files, std::unique_ptr<model::SettingsPort> settings,
             QWidget* parent = nullptr);
  ~MainWindow() override;

  // The start-up steps that run when the window is first shown: the title,
  // the companion page, the skin, the settings file, an empty state.
  void StartUp();
  // Opens a division file given at start (as a double-click on it would),
  // after asking about unsaved work.
  void OpenDivisionFile(const QString& path);
  // The division file to open once the window is shown, after any recovery
  // copy was offered.
  void SetStartFile(const QString& path) { start_file_ = path; }
  // The title: the division file's name with the unsaved mark, then
  // "Tessaly V3.5 增强版".
  void ShowTitle();

  Session& session() { return *session_; }
  QtUser& user() { return *user_; }
  QTabWidget* pages() const { return pages_; }
  ImportTab* importTab() const { return import_; }
  RulesTab1* rulesTab1() const { return rules1_; }
  RulesTab2* rulesTab2() const { return rules2_; }
  division::DivisionPage* divisionPage() const { return division_; }
  CompanionTab* companionTab() const { return companion_; }
  HelpWindow* helpWindow() const { return help_; }
  VideoWindow* videoWindow() const { return video_; }
  WorkGuard* workGuard() const { return guard_; }

  // Shows what was last done with a file in the status line, with the time.
  void ShowStatus(const QString& text);

 protected:
  void showEvent(QShowEvent* event) override;
  // Closing with unsaved work asks first; a cancelled or failed save keeps
  // the program open.
  void closeEvent(QCloseEvent* event) override;

 private:
  void PageChanged(int index);

  std::unique_ptr<QtUser> user_;
  QtClipboard clipboard_;
  std::unique_ptr<model::SettingsPort> settings_;
  std::unique_ptr<Session> session_;
  QTabWidget* pages_;
  ImportTab* import_;
  RulesTab1* rules1_;
  RulesTab2* rules2_;
  division::DivisionPage* division_;
  CompanionTab* companion_;
  HelpWindow* help_;
  VideoWindow* video_;
  WorkGuard* guard_;
  QString start_file_;
  int current_page_ = 0;
  bool started_ = false;
};

}  // namespace tessaly::ui
