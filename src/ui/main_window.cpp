#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QStatusBar>
#include <QTabWidget>
#include <QTime>
#include <QTimer>
#include <utility>

#include "io/work_commands.h"
#include "platform/recovery_folder.h"
#include "rules/main_table.h"
#include "ui/companion_tab.h"
#include "ui/division/division_page.h"
#include "ui/help_windows.h"
#include "ui/import_tab.h"
#include "ui/preset_file_user.h"
#include "ui/qt_text.h"
#include "ui/rules_tab1.h"
#include "ui/rules_tab2.h"
#include "ui/startup.h"
#include "ui/work_guard.h"

namespace tessaly::ui {

MainWindow::MainWindow(const ProgramFiles& files, std::unique_ptr<model::SettingsPort> settings,
                       QWidget* parent)
    : QMainWindow(parent), settings_(std::move(settings)) {
  setObjectName(QStringLiteral("Tmain"));
  user_ = std::make_unique<QtUser>(this);
  user_->UseSettings(settings_.get());
  user_->ProposeNamesFrom([this] {
    const model::Student_F* main = rules::MainTable(session_->state);
    return main != nullptr ? main->TableName : std::string();
  });
  session_.reset(new Session{{}, {}, *user_, clipboard_, *settings_, files});
  guard_ = new WorkGuard(*session_, this, user_->progressWindow(), platform::RecoveryFolder());
  session_->may_replace_work = [this] { return guard_->MayLeave(); };
  ShowTitle();

  pages_ = new QTabWidget(this);
  pages_->setObjectName(QStringLiteral("bsSkinPageControl1"));
  import_ = new ImportTab(*session_, pages_);
  rules1_ = new RulesTab1(*session_, pages_);
  rules2_ = new RulesTab2(*session_, pages_);
  division_ = new division::DivisionPage(*session_, pages_);
  companion_ = new CompanionTab(*session_, pages_);
  pages_->addTab(import_, QStringLiteral("分班数据导入"));
  pages_->addTab(rules1_, QStringLiteral("分班规则制定1(必须)"));
  pages_->addTab(rules2_, QStringLiteral("分班规则制定2(可选)"));
  pages_->addTab(division_, QStringLiteral("自动分班及处理"));
  pages_->addTab(companion_, QStringLiteral("排课软件"));
  setCentralWidget(pages_);

  help_ = new HelpWindow(this);
  video_ = new VideoWindow(this);
  connect(import_, &ImportTab::helpRequested, this,
          [this] { ShowHelp(help_, session_->files.help); });
  connect(import_, &ImportTab::videoRequested, this,
          [this] { ShowVideo(video_, session_->files.video, *user_); });
  connect(pages_, &QTabWidget::currentChanged, this, &MainWindow::PageChanged);
  statusBar()->setObjectName(QStringLiteral("statusLine"));
  connect(import_, &ImportTab::statusMessage, this, &MainWindow::ShowStatus);
  connect(division_, &division::DivisionPage::statusMessage, this, &MainWindow::ShowStatus);
  connect(guard_, &WorkGuard::markChanged, this, &MainWindow::ShowTitle);
  connect(guard_, &WorkGuard::restored, this, [this] {
    import_->Render();
    PageChanged(pages_->currentIndex());
  });
}

void MainWindow::ShowStatus(const QString& text) {
  statusBar()->showMessage(text + QStringLiteral("    ") +
                           QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
}

MainWindow::~MainWindow() = default;

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!started_) StartUp();
}

void MainWindow::StartUp() {
  if (started_) return;
  started_ = true;
  QApplication::setApplicationName(QStringLiteral("Tessaly"));
  QApplication::setApplicationDisplayName(QStringLiteral("Tessaly"));
  companion_->LoadPage();
  ApplySkin(session_->files.skin);
  const bool existed = QFileInfo::exists(session_->files.settings);
  Session& s = *session_;
  s.state = {};
  s.state.ShowPresetClass = ReadPresetSetting(s.settings, existed, PathText(s.files.skin));
  s.page = {};
  s.work.Started(s.state);
  import_->Render();
  // Once the window shows: a copy that a program which did not end cleanly
  // left, then the file named at start.
  QTimer::singleShot(0, this, [this] {
    guard_->OfferLeftCopies();
    if (!start_file_.isEmpty()) OpenDivisionFile(std::exchange(start_file_, QString()));
  });
}

void MainWindow::OpenDivisionFile(const QString& path) {
  if (!guard_->MayLeave()) return;
  PresetFileUser preset(*user_, PathText(path));
  WatchingUser user(preset);
  Session& s = *session_;
  io::OpenDivisionWork(s.state, s.page, s.work, user);
  import_->Render();
  if (user.Done()) {
    user_->NoteFile(FileKind::kDivision, path);
    ShowStatus(QStringLiteral("已打开 ") + path);
  }
  guard_->Look();
}

void MainWindow::ShowTitle() {
  const model::UnsavedWork& work = session_->work;
  QString title = QStringLiteral("Tessaly V3.5 增强版");
  if (!work.File().empty()) {
    title = QFileInfo(QString::fromStdString(work.File())).fileName() + QStringLiteral("[*] - ") +
            title;
  } else if (work.Changed()) {
    title += QStringLiteral("[*]");
  }
  setWindowTitle(title);
  setWindowModified(work.Changed());
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!guard_->MayLeave()) {
    event->ignore();
    return;
  }
  guard_->Finish();
  QMainWindow::closeEvent(event);
}

void MainWindow::PageChanged(int index) {
  // Leaving the first rules page writes its settings, whichever way the
  // user switched away from it.
  if (current_page_ == 1 && index != 1) rules1_->Leave();
  current_page_ = index;
  if (index == 1) rules1_->Enter();
  if (index == 2) rules2_->Enter();
  if (index == 3) division_->Enter();
}

}  // namespace tessaly::ui
