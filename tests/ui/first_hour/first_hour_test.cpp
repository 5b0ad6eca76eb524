// What a new teacher meets in the first hour, driven through the real
// widgets: dividing again over a changed division asks first and is one
// undo step; the file dialogs give files the extension of what is written
// and start where the teacher last was; the status line says what happened
// to which file; an opened division shows its score; boxes take what the
// Chinese input mode types.

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "engine/division.h"
#include "engine/evaluation.h"
#include "engine/transfer.h"
#include "io/division_file.h"
#include "modal_script.h"
#include "model/silent_user.h"
#include "stats/division_page.h"
#include "support/fake_user.h"
#include "ui/division/averages_page.h"
#include "ui/division/division_context.h"
#include "ui/division/division_page.h"
#include "ui/division/query_page.h"
#include "ui/grid_model.h"
#include "ui/new_division_window.h"
#include "ui/qt_text.h"
#include "ui/startup.h"
#include "ui_fixture.h"

using namespace tessaly;
using tessaly::ui::division::DivisionPage;
using tessaly::uitest::Desk;
using tessaly::uitest::ModalScript;

namespace {

const QString kSample = QStringLiteral(TESSALY_SOURCE_DIR "/data/sample.fb");

class NoSettings : public model::SettingsPort {
 public:
  std::optional<std::string> Read(const std::string&, const std::string&) override { return {}; }
  bool Write(const std::string&, const std::string&, const std::string&) override { return true; }
};

// The sample cohort on a division page of its own, divided with a fixed coin
// and a scripted user.
struct DividedPage {
  testing::FakeUser user;
  model::MemoryClipboard clipboard;
  NoSettings settings;
  ui::Session session{{}, {}, user, clipboard, settings, {}};
  DivisionPage page{session};

  DividedPage() {
    const io::DivisionRead read = io::LoadDivisionFile(ui::PathText(kSample), {});
    if (!read.ok) qFatal("the sample cannot be read");
    session.state = read.state;
    page.context().SetCoinSeed(1);
    page.Enter();
    page.divideButton()->click();
  }
  model::ProgramState& state() { return session.state; }
  int Confirms() const {
    int n = 0;
    for (const std::string& c : user.calls) n += c.rfind("confirm: ", 0) == 0 ? 1 : 0;
    return n;
  }
};

// Answers a file dialog: notes where it started and what name it proposed,
// picks the filter entry `filter`, types `name` (a full path) and accepts.
struct FileAnswer {
  explicit FileAnswer(QString typed, int entry = 0) : name(std::move(typed)), filter(entry) {}

  QString name;
  int filter = 0;
  QString started_in;
  QString proposed;
  QStringList filters;

  ModalScript::Step Step() {
    return [this](QWidget* w) {
      auto* dialog = qobject_cast<QFileDialog*>(w);
      if (dialog == nullptr) return false;
      started_in = dialog->directory().absolutePath();
      filters = dialog->nameFilters();
      dialog->selectNameFilter(filters.value(filter));
      auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      if (edit == nullptr) qFatal("the file dialog has no name box");
      proposed = edit->text();
      edit->setText(name);
      QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
      return true;
    };
  }
};

// Types `text` key by key as the Chinese input mode does: each key press
// carries one (full-width) character.
void Type(QWidget* box, const QString& text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(box, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(box, &release);
  }
}

void Finish(ModalScript& script) {
  QTRY_VERIFY_WITH_TIMEOUT(script.Done(), 20000);
}

QString Status(Desk& desk) {
  return desk.window->statusBar()->currentMessage();
}

// The sample, divided and saved in `folder` as "divided.fb".
QString DividedFile(const QTemporaryDir& folder) {
  io::DivisionRead read = io::LoadDivisionFile(ui::PathText(kSample), {});
  model::SilentUser user;
  engine::Coin coin(3);
  engine::bsSkinButton10Click(read.state, user, coin);
  const QString path = folder.filePath(QStringLiteral("divided.fb"));
  if (io::SaveDivisionFile(read.state, ui::PathText(path))) qFatal("cannot save the division");
  return path;
}

}  // namespace

class FirstHourTest : public QObject {
  Q_OBJECT
 private slots:
  void dividingAgainOverAChangedDivisionAsksAndIsOneUndoStep() {
    DividedPage f;
    QCOMPARE(f.Confirms(), 0);  // the first division replaces nothing
    // A move by hand: the division now holds the teacher's work.
    const auto& set = f.state().RangeSets[1].Students;
    const model::student x = set.front();
    std::int32_t to = x.AssignedClass;
    for (const model::student& s : set) {
      if (s.AssignedClass != x.AssignedClass) to = s.AssignedClass;
    }
    f.page.context().Change("调班", [&] {
      return engine::TransferStudent(f.state(), f.user, x.Number, x.Name, to, 20,
                                     engine::BackFillMode::NoBackFill);
    });
    const model::ProgramState moved = f.state();
    const QString moved_score = f.page.scoreLabel()->text();

    f.user.confirm_answers = {false};
    f.page.divideButton()->click();
    QCOMPARE(f.user.Messages().back(),
             std::string("confirm: 重新分班将替换当前的分班结果（包括手工调整），是否继续？"));
    QCOMPARE(f.state(), moved);  // No: nothing changed

    f.user.confirm_answers = {true};
    f.page.context().SetCoinSeed(2);
    f.page.divideButton()->click();
    QVERIFY(f.state().RangeSets != moved.RangeSets);
    QVERIFY(f.page.undoButton()->isEnabled());
    QCOMPARE(f.page.undoButton()->toolTip(), QStringLiteral("撤销：开始分班"));

    // Ctrl+Z brings the division with the move back, and its score.
    f.page.show();
    QVERIFY(QTest::qWaitForWindowActive(&f.page));
    QTest::keyClick(&f.page, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.state().RangeSets, moved.RangeSets);
    QCOMPARE(f.page.scoreLabel()->text(), moved_score);
    QCOMPARE(f.page.averagesPage()->model()->grid(), engine::ShowAverages(f.state()));
    // That division holds the move: dividing again asks again.
    f.user.confirm_answers = {false};
    f.page.divideButton()->click();
    QCOMPARE(f.Confirms(), 3);
    QCOMPARE(f.state().RangeSets, moved.RangeSets);
  }

  void anOpenedDivisionShowsItsScoreAndTheStatusLineSaysSo() {
    QTemporaryDir files;
    const QString path = DividedFile(files);
    Desk desk;
    desk.Start();
    QVERIFY(Status(desk).isEmpty());
    desk.window->OpenDivisionFile(path);
    QVERIFY2(Status(desk).startsWith(QStringLiteral("已打开 ") + path), qPrintable(Status(desk)));
    desk.window->pages()->setCurrentIndex(3);
    DivisionPage* page = desk.window->divisionPage();
    const model::ProgramState& state = desk.window->session().state;
    const std::string caption = stats::CurrentScoreCaption(state);
    QVERIFY(!caption.empty());
    QCOMPARE(page->scoreLabel()->text(), ui::Q(caption));
    QCOMPARE(page->averagesPage()->model()->grid(), engine::ShowAverages(state));
    // The opened division may hold hand work: dividing asks first.
    ModalScript script;
    script.Answer(QMessageBox::No);
    page->divideButton()->click();
    Finish(script);
    QCOMPARE(script.messages.value(0),
             QStringLiteral("重新分班将替换当前的分班结果（包括手工调整），是否继续？"));
  }

  void savesAndExportsGetTheExtensionOfWhatIsWritten() {
    QTemporaryDir files;
    Desk desk;
    desk.Start();
    desk.window->OpenDivisionFile(kSample);
    desk.window->pages()->setCurrentIndex(3);
    DivisionPage* page = desk.window->divisionPage();
    page->context().SetCoinSeed(1);
    ModalScript script;
    page->divideButton()->click();
    QVERIFY(!page->scoreLabel()->text().isEmpty());

    // The first division file: no extension typed, whatever entry is chosen.
    FileAnswer save(files.filePath(QStringLiteral("结果")));
    script.Then(save.Step());
    page->saveButton()->click();
    Finish(script);
    QCOMPARE(save.filters.size(), 1);
    QVERIFY(QFileInfo::exists(files.filePath(QStringLiteral("结果.fb"))));
    QVERIFY(Status(desk).startsWith(QStringLiteral("已保存到 ") +
                                    files.filePath(QStringLiteral("结果.fb"))));

    // The next save starts in that folder and proposes that name; a
    // workbook extension typed by mistake becomes .fb.
    FileAnswer again(files.filePath(QStringLiteral("第二次.xls")));
    script.Then(again.Step());
    page->saveButton()->click();
    Finish(script);
    QCOMPARE(again.started_in, QDir(files.path()).absolutePath());
    QCOMPARE(again.proposed, QStringLiteral("结果.fb"));
    QVERIFY(QFileInfo::exists(files.filePath(QStringLiteral("第二次.fb"))));

    // The export: .xlsx with every entry it offers, never the import's .xls.
    for (int entry = 0; entry < 2; ++entry) {
      const QString name = QStringLiteral("导出%1").arg(entry);
      FileAnswer out(files.filePath(entry == 0 ? name : name + QStringLiteral(".xls")), entry);
      script.Then(out.Step());
      page->exportButton()->click();
      Finish(script);
      QVERIFY(!out.filters.join(QChar(' ')).contains(QStringLiteral("*.xls ")));
      QVERIFY(QFileInfo::exists(files.filePath(name + QStringLiteral(".xlsx"))));
      QVERIFY(Status(desk).startsWith(QStringLiteral("已导出到 ") +
                                      files.filePath(name + QStringLiteral(".xlsx"))));
    }
    QVERIFY(script.unexpected.isEmpty());
    // The folders are kept in the settings file for the next start.
    QVERIFY(desk.Settings().contains(QStringLiteral("DivisionFiles")));
    QVERIFY(desk.Settings().contains(QStringLiteral("ExportedTables")));
    QCOMPARE(desk.window->user().StartFolder(ui::FileKind::kExport),
             QDir(files.path()).absolutePath());
  }

  void dialogsOfEachKindOfferTheirEntries() {
    using ui::FileKind;
    const ui::FileDialogPlan open_table = ui::PlanFileDialog(
        QStringLiteral("Excel 文件(*.xls)|*.xls|Excel 文件(*.xlsx)|*.xlsx"), false);
    QCOMPARE(open_table.kind, FileKind::kImport);
    QVERIFY(open_table.entries.startsWith(QStringLiteral("全部表格文件 (*.xls *.xlsx *.csv)")));
    QVERIFY(open_table.entries.contains(QStringLiteral("*.csv);;")) ||
            open_table.entries.endsWith(QStringLiteral("(*.csv)")));
    const ui::FileDialogPlan export_table =
        ui::PlanFileDialog(QStringLiteral("Excel文件(*.xlsx)|*.xlsx"), true);
    QCOMPARE(export_table.kind, FileKind::kExport);
    QCOMPARE(export_table.entries, QStringLiteral("Excel文件(*.xlsx)"));
    QCOMPARE(export_table.extension, QStringLiteral("xlsx"));
    const ui::FileDialogPlan division =
        ui::PlanFileDialog(QStringLiteral("分班数据文件(*.fb)|*.fb"), true);
    QCOMPARE(division.kind, FileKind::kDivision);
    QCOMPARE(division.extension, QStringLiteral("fb"));
    QCOMPARE(ui::PlanFileDialog(QStringLiteral("分班数据文件(*.fb)|*.fb"), false).extension,
             QString());

    QCOMPARE(ui::WithExtension(QStringLiteral("/a/高一"), QStringLiteral("xlsx")),
             QStringLiteral("/a/高一.xlsx"));
    QCOMPARE(ui::WithExtension(QStringLiteral("/a/高一.XLSX"), QStringLiteral("xlsx")),
             QStringLiteral("/a/高一.XLSX"));
    QCOMPARE(ui::WithExtension(QStringLiteral("/a/高一.xls"), QStringLiteral("xlsx")),
             QStringLiteral("/a/高一.xlsx"));
    QCOMPARE(ui::WithExtension(QStringLiteral("/a/2025.高一"), QStringLiteral("fb")),
             QStringLiteral("/a/2025.高一.fb"));
    QCOMPARE(ui::FileNameFrom(QStringLiteral(" 1:高一/期末 ")), QStringLiteral("1_高一_期末"));
  }

  void startFolderIsTheDocumentsFolderFirst() {
    Desk desk;
    desk.Start();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString first = desk.window->user().StartFolder(ui::FileKind::kDivision);
    QVERIFY(first == documents || (documents.isEmpty() && first == QDir::homePath()));
    // A remembered folder that was since removed is not offered either.
    {
      QTemporaryDir gone;
      desk.window->user().NoteFile(ui::FileKind::kImport, gone.filePath(QStringLiteral("a.xlsx")));
      QCOMPARE(desk.window->user().StartFolder(ui::FileKind::kImport),
               QDir(gone.path()).absolutePath());
    }
    QCOMPARE(desk.window->user().StartFolder(ui::FileKind::kImport), first);
  }

  void aNewDivisionShowsInTheStatusLine() {
    Desk desk;
    desk.Start();
    ModalScript script;
    script.Then([](QWidget* w) {
      auto* d = qobject_cast<ui::NewDivisionWindow*>(w);
      if (d == nullptr) return false;
      d->singleBox()->setChecked(true);
      QMetaObject::invokeMethod(d->okButton(), "click", Qt::QueuedConnection);
      return true;
    });
    desk.Find<QPushButton>("bsSkinButton4")->click();
    Finish(script);
    QVERIFY2(Status(desk).startsWith(QStringLiteral("已新建分班数据")), qPrintable(Status(desk)));
  }

  void boxesTakeWhatTheChineseInputModeTypes() {
    Desk desk;
    desk.Start();
    desk.window->OpenDivisionFile(kSample);
    desk.window->pages()->setCurrentIndex(1);
    auto* ids = desk.Find<QLineEdit>("bsSkinEdit6");
    ids->setFocus();
    Type(ids, QStringLiteral("１，２，３"));
    QCOMPARE(ids->text(), QStringLiteral("1,2,3"));
    // Through the input method, as a committed text: the ideographic comma
    // and letters stay out, as typed keys would.
    QInputMethodEvent typed;
    typed.setCommitString(QStringLiteral("，４、ａ"));
    QApplication::sendEvent(ids, &typed);
    QCOMPARE(ids->text(), QStringLiteral("1,2,3,4"));
    auto* count = desk.Find<QLineEdit>("bsSkinEdit5");
    Type(count, QStringLiteral("１２ｘ"));
    QCOMPARE(count->text(), QStringLiteral("12"));

    desk.window->pages()->setCurrentIndex(3);
    DivisionPage* page = desk.window->divisionPage();
    QLineEdit* control = page->averagesPage()->totalControl();
    Type(control, QStringLiteral("０．５"));
    QCOMPARE(control->text(), QStringLiteral("0.5"));
    QSpinBox* limit = page->queryPage()->limit();
    limit->selectAll();
    Type(limit, QStringLiteral("３５"));
    QCOMPARE(limit->value(), 35);
  }

  // A 1366x768 screen less a task bar (40) and a title bar (31): a window
  // whose pages need more cannot be maximised and hangs off the screen.
  void theWindowFitsASmallScreenWithATaskbar() {
    QVERIFY(ui::ApplySkin(QStringLiteral(TESSALY_SOURCE_DIR "/data/skin/skin.ini")));
    Desk desk;
    desk.Start();
    desk.window->OpenDivisionFile(kSample);
    desk.window->pages()->setCurrentIndex(3);
    const QSize needed = desk.window->minimumSizeHint();
    qApp->setStyleSheet(QString());
    QVERIFY2(needed.height() <= 768 - 40 - 31, qPrintable(QString::number(needed.height())));
    QVERIFY2(needed.width() <= 1366, qPrintable(QString::number(needed.width())));
  }

  void theSkinsPicturesAreFound() {
    QVERIFY(ui::ApplySkin(QStringLiteral(TESSALY_SOURCE_DIR "/data/skin/skin.ini")));
    const QString sheet = qApp->styleSheet();
    qApp->setStyleSheet(QString());
    const QRegularExpression picture(QStringLiteral("url\\((skin:[^)]+)\\)"));
    int pictures = 0;
    for (auto match = picture.globalMatch(sheet); match.hasNext(); ++pictures) {
      const QString name = match.next().captured(1);
      QVERIFY2(QFile::exists(name), qPrintable(name));
    }
    QVERIFY(pictures >= 4);  // the spin boxes' and the combo boxes' arrows
  }

  void controlsWhoseCaptionDoesNotSayWhatTheyDoHaveATooltip() {
    Desk desk;
    desk.Start();
    DivisionPage* page = desk.window->divisionPage();
    for (QAbstractButton* option : page->options()->buttons()) {
      QVERIFY2(!option->toolTip().isEmpty(), qPrintable(option->text()));
    }
    QVERIFY(!desk.Find<QLabel>("bsSkinStatusPanel6")->toolTip().isEmpty());
    QVERIFY(!desk.Find<QCheckBox>("bsSkinCheckRadioBox20")->toolTip().isEmpty());
    QVERIFY(!desk.Find<QCheckBox>("bsSkinCheckRadioBox2")->toolTip().isEmpty());
  }
};

QTEST_MAIN(FirstHourTest)
#include "first_hour_test.moc"
