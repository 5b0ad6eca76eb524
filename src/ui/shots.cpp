// tessaly-shots: walks through the desktop program on a division file and
// saves a picture of every page and window, for people to look at (the help
// page uses them too). With --pause MS it waits between the steps, so that a
// screen recorder can film the walk as the demonstration video.
//   tessaly-shots [--pause MS] DIVISION.fb OUTPUT_FOLDER

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <functional>
#include <memory>

#include "model/student_groups.h"
#include "ui/division/board_page.h"
#include "ui/division/board_view.h"
#include "ui/division/counts_page.h"
#include "ui/division/division_page.h"
#include "ui/help_windows.h"
#include "ui/import_tab.h"
#include "ui/main_window.h"
#include "ui/new_division_window.h"
#include "ui/qt_settings.h"
#include "ui/qt_text.h"
#include "ui/shots/settle.h"
#include "ui/startup.h"

namespace {

using namespace tessaly::ui;

int g_pause = 0;

using shots::Settle;

void Save(QWidget* w, const QString& folder, const QString& name) {
  shots::Save(w, folder, name, 150 + g_pause);
}

// Runs `act` once `w` is showing (a modal window opened by a command).
void WhenShown(QWidget* w, std::function<void()> act) {
  auto* timer = new QTimer(w);
  timer->setInterval(50);
  QObject::connect(timer, &QTimer::timeout, w, [w, timer, act] {
    if (!w->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    act();
  });
  timer->start();
}

// A keep-apart and a keep-together group of the first students of the
// sample's first table.
tessaly::model::RuleList SampleGroups(const tessaly::model::ProgramState& state) {
  std::vector<std::string> numbers;
  for (const tessaly::model::Student_F& table : state.ImportedSets) {
    for (const tessaly::model::student& s : table.Students) {
      if (numbers.size() < 5) numbers.push_back(s.Number);
    }
  }
  if (numbers.size() < 5) return {};
  return {tessaly::model::GroupRow({tessaly::model::GroupKind::kApart,
                                    {numbers[0], numbers[1], numbers[2]},
                                    Gb(QStringLiteral("家长要求"))}),
          tessaly::model::GroupRow({tessaly::model::GroupKind::kTogether,
                                    {numbers[3], numbers[4]},
                                    Gb(QStringLiteral("兄妹"))})};
}

// The class board of the range with the most classes while a card is
// dragged over a class where it would meet a namesake: the figures after
// the move beside the present ones, the column in the warning colour.
void BoardDragShot(QWidget& window, division::BoardPage& board, const QString& out) {
  board.rangeBox()->setCurrentIndex(board.rangeBox()->count() - 1);
  const auto& columns = board.board().columns;
  std::string number;
  std::size_t target = 0;
  // The namesakes in neighbouring classes, so that both show their figures.
  for (std::size_t k = 0; k + 1 < columns.size() && number.empty(); ++k) {
    for (const auto& c : columns[k].cards) {
      for (const auto& d : columns[k + 1].cards) {
        if (!c.pinned() && !c.sound_key.empty() && d.sound_key == c.sound_key) {
          number = c.number, target = k + 1;
        }
      }
    }
  }
  if (number.empty()) return;
  division::BoardView* view = board.view();
  view->Select(number);
  const QPoint at = view->ColumnPoint(target);
  std::unique_ptr<QMimeData> data(division::BoardView::CardData(number));
  QDragEnterEvent enter(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view->viewport(), &enter);
  QDragMoveEvent move(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view->viewport(), &move);
  Save(&window, out, QStringLiteral("08-division-7-board-drag"));
  QDragLeaveEvent leave;
  QApplication::sendEvent(view->viewport(), &leave);
  board.rangeBox()->setCurrentIndex(0);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  tessaly::ui::InstallQtTranslations();
  QStringList args = QApplication::arguments();
  args.removeFirst();
  if (args.size() >= 2 && args[0] == QStringLiteral("--pause")) {
    g_pause = args[1].toInt();
    args = args.mid(2);
  }
  if (args.size() != 2) {
    qWarning("usage: tessaly-shots [--pause MS] DIVISION.fb OUTPUT_FOLDER");
    return 2;
  }
  const QString out = args[1];
  QDir().mkpath(out);
  const ProgramFiles files = ProgramFiles::In(ProgramFolder());
  MainWindow window(files, std::make_unique<QtIniSettings>(files.settings));
  window.setGeometry(QApplication::primaryScreen()->availableGeometry());
  window.show();
  Settle(300);

  // The first page before and after the new-division dialog.
  Save(&window, out, QStringLiteral("01-import-empty"));
  NewDivisionWindow* dialog = window.importTab()->newDivisionWindow();
  dialog->combineBox()->setChecked(true);
  dialog->countBox()->setValue(2);
  dialog->show();
  Save(dialog, out, QStringLiteral("02-new-division"));
  dialog->hide();

  // A pasted table with mistakes: the error window.
  window.session().state.DivisionStarted = true;
  QApplication::clipboard()->setText(
      QStringLiteral("学号\t姓名\t性别\tKEMU语文\n1001\t张三\t男\t90\n1001\t李四\t女\t88\n"
                     "1003\t王五\t难\t70\n"));
  ErrorWindow* errors = window.user().errorWindow();
  WhenShown(errors, [&] {
    Save(errors, out, QStringLiteral("03-errors"));
    errors->accept();
  });
  window.importTab()->PasteImport();
  window.session().state.DivisionStarted = false;

  // The division file, shown on the first page; the progress window.
  window.OpenDivisionFile(QFileInfo(args[0]).absoluteFilePath());
  window.importTab()->findChild<QListWidget*>()->setCurrentRow(0);
  Save(&window, out, QStringLiteral("04-import-table"));
  ProgressWindow* progress = window.user().progressWindow();
  progress->Start(QStringLiteral("导入进度"));
  progress->SetValue(45);
  Save(progress, out, QStringLiteral("05-progress"));
  progress->hide();

  const QStringList pages = {QString(), QStringLiteral("06-rules-1"), QStringLiteral("07-rules-2"),
                             QStringLiteral("08-division"), QStringLiteral("09-companion")};
  for (int i = 1; i < pages.size(); ++i) {
    // The second rules page with two groups of the teacher, taken away again
    // before the division.
    tessaly::model::RuleList& groups = window.session().state.GroupRows;
    if (i == 2) groups = SampleGroups(window.session().state);
    window.pages()->setCurrentIndex(i);
    Save(&window, out, pages[i]);
    if (i == 2) groups.clear();
    if (i == 3) {
      // The division page after "开始分班": every inner page.
      division::DivisionPage* page = window.divisionPage();
      page->Divide();
      const char* inner[] = {"averages", "roster", "counts", "samenames", "query", "board"};
      for (int k = 0; k < 6; ++k) {
        page->innerPages()->setCurrentIndex(k);
        if (k == 2) page->countsPage()->computeButton()->click();
        Save(&window, out, QStringLiteral("08-division-%1-%2").arg(k + 1).arg(inner[k]));
      }
      BoardDragShot(window, *page->boardPage(), out);
      page->innerPages()->setCurrentIndex(0);
    }
  }
  window.pages()->setCurrentIndex(0);

  HelpWindow* help = window.helpWindow();
  WhenShown(help, [&] {
    help->resize(window.size() * 0.9);
    Save(help, out, QStringLiteral("10-help"));
    help->accept();
  });
  help->ShowPage(files.help);
  Settle(200);
  return 0;
}
