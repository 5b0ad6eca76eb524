// The teacher's work in the main window: the unsaved mark in the title, the
// question before closing, a new division or an opened file, and the
// recovery copy that a killed program leaves and the next start restores.
//
// `test_ui_work --divide-and-wait FOLDER` is the program that gets killed:
// it opens the sample, divides, waits for its recovery copy, prints
// "ready" and the score of its division, and waits to be killed.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMediaPlayer>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>
#include <cstring>

#include "io/division_file.h"
#include "modal_script.h"
#include "stats/division_page.h"
#include "ui/division/division_page.h"
#include "ui/division/query_page.h"
#include "ui/help_windows.h"
#include "ui/import_tab.h"
#include "ui/new_division_window.h"
#include "ui/qt_text.h"
#include "ui/work_guard.h"
#include "ui_fixture.h"

using namespace tessaly;
using tessaly::uitest::Desk;
using tessaly::uitest::ModalScript;

namespace {

const QString kTitle = QStringLiteral("Tessaly V3.5 增强版");

// A recovery folder of its own for every window made after it.
struct DataHome {
  QTemporaryDir dir;
  DataHome() { qputenv("XDG_DATA_HOME", dir.path().toLocal8Bit()); }
  QString Recovery() const { return dir.filePath(QStringLiteral("tessaly/recovery")); }
  QStringList Copies(const QString& sub = {}) const {
    return QDir(Recovery() + sub).entryList({QStringLiteral("*.fb")}, QDir::Files);
  }
};

QString CopyOfSample(const QTemporaryDir& into) {
  const QString path = into.filePath(QStringLiteral("sample.fb"));
  QFile::remove(path);
  QFile::copy(QStringLiteral(TESSALY_SOURCE_DIR "/data/sample.fb"), path);
  QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
  return path;
}

void Click(QWidget* w) {
  QTest::mouseClick(w, Qt::LeftButton);
}

std::string ScoreOf(const model::ProgramState& state) {
  return stats::CurrentScoreCaption(state);
}

// Opens the sample and divides it with the button, as a teacher would.
void OpenAndDivide(Desk& desk, const QString& sample) {
  desk.window->OpenDivisionFile(sample);
  desk.window->pages()->setCurrentIndex(3);
  Click(desk.window->divisionPage()->divideButton());
  QTRY_VERIFY(desk.window->isWindowModified());
}

// A file dialog step: types `path` and accepts, or cancels when it is empty.
ModalScript::Step FileChoice(const QString& path) {
  return [path](QWidget* w) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    if (dialog == nullptr) return false;
    if (path.isEmpty()) {
      QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
      return true;
    }
    // The dialog may have been opened with a proposed name that it selects
    // once the folder is read; choosing the file replaces that selection.
    dialog->selectFile(path);
    if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
      name->setText(path);
    }
    QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    return true;
  };
}

void Finish(ModalScript& script) {
  QTRY_VERIFY_WITH_TIMEOUT(script.Done(), 20000);
  QVERIFY2(script.unexpected.isEmpty(), qPrintable(script.unexpected.join('\n')));
}

// The program that gets killed (see the top of the file).
int DivideAndWait(const char* folder) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "test_ui_work";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  const ui::ProgramFiles files = ui::ProgramFiles::In(QString::fromLocal8Bit(folder));
  ui::MainWindow window(files, std::make_unique<ui::QtIniSettings>(files.settings));
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;
  window.OpenDivisionFile(QDir(QString::fromLocal8Bit(folder)).filePath("sample.fb"));
  window.pages()->setCurrentIndex(3);
  Click(window.divisionPage()->divideButton());
  io::RecoveryCopies& copies = window.workGuard()->copies();
  while (copies.OwnCopy().empty() || !QFile::exists(QString::fromStdString(copies.OwnCopy()))) {
    QTest::qWait(50);
  }
  std::printf("ready\t%s\n", enc::ToUtf8(ScoreOf(window.session().state)).c_str());
  std::fflush(stdout);
  for (;;) QTest::qWait(1000);
}

}  // namespace

class WorkTest : public QObject {
  Q_OBJECT

 private slots:
  void titleShowsTheFileAndTheUnsavedMark() {
    DataHome home;
    Desk desk;
    desk.Start();
    QCOMPARE(desk.window->windowTitle(), kTitle);
    const QString sample = CopyOfSample(desk.folder);
    ModalScript script;
    OpenAndDivide(desk, sample);
    QCOMPARE(desk.window->windowTitle(), QStringLiteral("sample.fb[*] - ") + kTitle);
    QCOMPARE(home.Copies().size(), 1);  // the first change is kept at once

    // Saved under another name: the mark and the copy go.
    const QString saved = desk.folder.filePath(QStringLiteral("年级分班.fb"));
    script.Then(FileChoice(saved));
    Click(desk.window->divisionPage()->saveButton());
    Finish(script);
    QTRY_VERIFY(!desk.window->isWindowModified());
    QCOMPARE(desk.window->windowTitle(), QStringLiteral("年级分班.fb[*] - ") + kTitle);
    QTRY_VERIFY(home.Copies().isEmpty());

    // A move marks it again.
    ui::division::QueryPage* q = desk.window->divisionPage()->queryPage();
    desk.window->divisionPage()->innerPages()->setCurrentIndex(4);
    const model::student s = desk.window->session().state.RangeSets[0].Students[0];
    q->numberBox()->setText(ui::Q(s.Number));
    q->nameBox()->setText(ui::Q(s.Name));
    q->backFill()->setChecked(false);
    q->targetBox()->setCurrentIndex(s.AssignedClass == 1 ? 1 : 0);
    Click(q->transferButton());
    QTRY_VERIFY(desk.window->isWindowModified());
    QTRY_COMPARE(home.Copies().size(), 1);
  }

  void closingAsksAndACancelledSaveKeepsTheProgramOpen() {
    DataHome home;
    Desk desk;
    desk.Start();
    const QString sample = CopyOfSample(desk.folder);
    OpenAndDivide(desk, sample);
    const model::ProgramState divided = desk.window->session().state;

    ModalScript script;
    script.Answer(QMessageBox::Cancel);
    QVERIFY(!desk.window->close());
    Finish(script);
    QCOMPARE(script.messages, QStringList{QStringLiteral("是否保存对当前分班数据的更改？")});
    QVERIFY(desk.window->isVisible());
    QVERIFY(desk.window->session().state == divided);

    // 保存 writes the file the work came from, and the program closes.
    script.Answer(QMessageBox::Save);
    QVERIFY(desk.window->close());
    Finish(script);
    const io::DivisionRead read = io::LoadDivisionFile(ui::PathText(sample), {});
    QVERIFY(read.ok);
    QCOMPARE(ScoreOf(read.state), ScoreOf(divided));
    QVERIFY(home.Copies().isEmpty());
  }

  void closingWithoutAFileAsksForOneAndNotSavingDropsTheCopy() {
    DataHome home;
    Desk desk;
    desk.Start();
    const QString sample = CopyOfSample(desk.folder);
    OpenAndDivide(desk, sample);
    QFile::remove(sample);
    // The work as restored from a copy without a file: saving asks a name.
    desk.window->session().work.Restored(desk.window->session().state, {});
    ModalScript script;
    script.Answer(QMessageBox::Save);
    script.Then(FileChoice({}));
    QVERIFY(!desk.window->close());
    Finish(script);
    QVERIFY(desk.window->isVisible());
    QVERIFY(desk.window->isWindowModified());

    script.Answer(QMessageBox::Discard);
    QVERIFY(desk.window->close());
    Finish(script);
    QVERIFY(home.Copies().isEmpty());
  }

  void newDivisionAndOpenAskToo() {
    DataHome home;
    Desk desk;
    desk.Start();
    const QString sample = CopyOfSample(desk.folder);
    OpenAndDivide(desk, sample);
    const model::ProgramState divided = desk.window->session().state;
    ui::ImportTab* tab = desk.window->importTab();
    desk.window->pages()->setCurrentIndex(0);

    ModalScript script;
    script.Answer(QMessageBox::Cancel);
    Click(desk.Find<QPushButton>("bsSkinButton4", tab));
    Finish(script);
    QVERIFY(desk.window->session().state == divided);

    // 不保存, then the file choice cancelled: the work is still there, unsaved.
    script.Answer(QMessageBox::Discard);
    script.Then(FileChoice({}));
    Click(desk.Find<QPushButton>("bsSkinButton5", tab));
    Finish(script);
    QVERIFY(desk.window->session().state == divided);
    QVERIFY(desk.window->isWindowModified());

    // 保存, then the new division's own question and dialog: a clean start.
    script.Answer(QMessageBox::Save);
    script.Answer(QMessageBox::Yes);
    script.Then([](QWidget* w) {
      auto* d = qobject_cast<ui::NewDivisionWindow*>(w);
      if (d == nullptr) return false;
      d->singleBox()->setChecked(true);
      QMetaObject::invokeMethod(d->okButton(), "click", Qt::QueuedConnection);
      return true;
    });
    Click(desk.Find<QPushButton>("bsSkinButton4", tab));
    Finish(script);
    QVERIFY(desk.window->session().state.ImportedSets.empty());
    QTRY_COMPARE(desk.window->windowTitle(), kTitle);
    QVERIFY(!desk.window->isWindowModified());
    const io::DivisionRead read = io::LoadDivisionFile(ui::PathText(sample), {});
    QVERIFY(read.ok);
    QCOMPARE(ScoreOf(read.state), ScoreOf(divided));
  }

  void aKilledProgramsWorkIsOfferedAndRestored() {
    DataHome home;
    QTemporaryDir folder;
    const QString sample = CopyOfSample(folder);
    QProcess killed;
    killed.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    killed.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--divide-and-wait"), folder.path()});
    QString line;
    for (int i = 0; i < 1200 && !line.startsWith(QStringLiteral("ready")); ++i) {
      killed.waitForReadyRead(100);
      if (killed.canReadLine()) line = QString::fromUtf8(killed.readLine()).trimmed();
    }
    QVERIFY2(line.startsWith(QStringLiteral("ready")), "the divided program never got ready");
    const QString score = line.section(QChar('\t'), 1);
    killed.kill();  // SIGKILL
    QVERIFY(killed.waitForFinished(10000));
    QCOMPARE(killed.exitStatus(), QProcess::CrashExit);
    QCOMPARE(home.Copies().size(), 1);

    ModalScript script;
    script.Answer(QMessageBox::Yes);
    Desk desk;
    desk.Start();
    Finish(script);
    QVERIFY(script.messages.value(0).startsWith(
        QStringLiteral("上次未正常退出，是否恢复未保存的分班数据？\n（恢复副本写于 20")));
    const model::ProgramState& state = desk.window->session().state;
    QCOMPARE(QString::fromStdString(enc::ToUtf8(ScoreOf(state))), score);
    QVERIFY(!state.RangeSets.empty());
    QVERIFY(desk.window->isWindowModified());
    QCOMPARE(desk.window->windowTitle(), QStringLiteral("sample.fb[*] - ") + kTitle);
    // The work lives on in this program's copy only.
    QCOMPARE(home.Copies().size(), 1);
    QCOMPARE(
        home.Copies()[0],
        QFileInfo(QString::fromStdString(desk.window->workGuard()->copies().OwnCopy())).fileName());
    QCOMPARE(desk.window->importTab()->findChild<QListWidget*>()->count(),
             static_cast<int>(state.ImportedSets.size()));
  }

  void aDeclinedCopyIsSetAsideAndNotOfferedAgain() {
    DataHome home;
    QDir().mkpath(home.Recovery());
    model::ProgramState left;
    {
      Desk desk;
      desk.Start();
      OpenAndDivide(desk, CopyOfSample(desk.folder));
      left = desk.window->session().state;
    }
    const QString copy = home.Recovery() + QStringLiteral("/tessaly-1-abcdef.fb");
    QVERIFY(!io::SaveDivisionFile(left, ui::PathText(copy)));
    {
      ModalScript script;
      script.Answer(QMessageBox::No);
      Desk desk;
      desk.Start();
      Finish(script);
      QVERIFY(desk.window->session().state.ImportedSets.empty());
      QVERIFY(!desk.window->isWindowModified());
    }
    QCOMPARE(home.Copies(QStringLiteral("/set-aside")), QStringList{"tessaly-1-abcdef.fb"});
    ModalScript script;
    Desk desk;
    desk.Start();
    QTest::qWait(200);
    QVERIFY(script.unexpected.isEmpty());
  }

  void theDemonstrationVideoPlaysFromTheProgramFolder() {
    const ui::ProgramFiles files = ui::ProgramFiles::In(QStringLiteral(TESSALY_PROGRAM_DIR));
    QVERIFY2(QFile::exists(files.video), qPrintable(files.video));
    ui::VideoWindow window;
    qint64 duration = 0;
    QTimer::singleShot(0, &window, [&] {
      for (int i = 0; i < 200 && duration <= 0; ++i) {
        QTest::qWait(100);
        if (window.player() != nullptr) duration = window.player()->duration();
      }
      window.accept();
    });
    window.Play(files.video);
    QVERIFY2(duration >= 20000, qPrintable(QString::number(duration)));
  }

  void theQuestionsTexts() {
    QCOMPARE(ui::KeepWorkQuestionText(), QStringLiteral("是否保存对当前分班数据的更改？"));
    QVERIFY(ui::RecoveryOfferText(0).startsWith(
        QStringLiteral("上次未正常退出，是否恢复未保存的分班数据？")));
  }
};

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--divide-and-wait") == 0) return DivideAndWait(argv[2]);
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  WorkTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "work_test.moc"
