// The road of a division up to the rules: start-up, new division, the two
// imports, the table list, help, video and companion.

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTextBrowser>

#include "modal_script.h"
#include "ui/grid_model.h"
#include "ui/help_windows.h"
#include "ui/import_settings_dialog.h"
#include "ui/import_tab.h"
#include "ui/new_division_window.h"
#include "ui/startup.h"
#include "ui_fixture.h"

using tessaly::uitest::Desk;
using tessaly::uitest::ModalScript;

namespace {

const char kGoodTable[] =
    "学号\t姓名\t性别\tKEMU语文\tKEMU数学\tJUNHENG住校\t备注\n"
    "1001\t张三\t男\t90\t85.5\t是\t\n"
    "1002\t李四\t女\t88\t92\t否\t班长\n"
    "1003\t王五\t男\t缺考\t70\t是\t\n";

const char kBadTable[] =
    "学号\t姓名\t性别\tKEMU语文\n"
    "1001\t张三\t男\t90\n"
    "1001\t李四\t女\t88\n"
    "1003\t王五\t难\t70\n";

// A table in the teacher's own words: a title row, plain headings.
const char kOwnTable[] =
    "2024级高一期末考试成绩表\n"
    "学号\t姓名\t性别\t语文\t数学(150)\t住校\t总分\t备注\n"
    "1001\t张三\t男\t90\t120\t住校\t210\t\n"
    "1002\t李四\t女\t88\t130\t走读\t218\t班长\n"
    "1003\t王五\t男\t70\t110\t住校\t180\t\n"
    "1004\t赵六\t女\t75\t100\t走读\t175\t\n";

// A step for the import settings window: `act` looks at it and clicks, then
// `close` (its OK or cancel button) is pressed.
ModalScript::Step InSettings(std::function<void(tessaly::ui::ImportSettingsDialog*)> act,
                             bool confirm) {
  return [act, confirm](QWidget* w) {
    auto* d = qobject_cast<tessaly::ui::ImportSettingsDialog*>(w);
    if (d == nullptr) return false;
    act(d);
    // Under a real display, TESSALY_SHOT_DIR keeps a picture of each window.
    static int shot = 0;
    if (!qEnvironmentVariableIsEmpty("TESSALY_SHOT_DIR")) {
      d->grab().save(QStringLiteral("%1/import-settings-%2.png")
                         .arg(qEnvironmentVariable("TESSALY_SHOT_DIR"))
                         .arg(++shot));
    }
    QMetaObject::invokeMethod(confirm ? d->okButton() : d->cancelButton(), "click",
                              Qt::QueuedConnection);
    return true;
  };
}

QStringList Captions(tessaly::ui::ImportSettingsDialog* d) {
  QStringList out;
  for (int c = 1; d->roleButton(c) != nullptr || c == 1; ++c) {
    out << (d->roleButton(c) ? d->roleButton(c)->text() : QString());
  }
  return out;
}

// A step for the new-division dialog: ticks one of its boxes (with a count
// for the combined mode) and presses "确   定".
ModalScript::Step ChooseMode(bool combine, int count = 2) {
  return [combine, count](QWidget* w) {
    auto* d = qobject_cast<tessaly::ui::NewDivisionWindow*>(w);
    if (d == nullptr) return false;
    (combine ? d->combineBox() : d->singleBox())->setChecked(true);
    d->countBox()->setValue(count);
    QMetaObject::invokeMethod(d->okButton(), "click", Qt::QueuedConnection);
    return true;
  };
}

// Waits until every step of the script was taken.
void Finish(ModalScript& script) {
  QTRY_VERIFY_WITH_TIMEOUT(script.Done(), 10000);
}

}  // namespace

class ImportPageTest : public QObject {
  Q_OBJECT

 private slots:
  void startsWithoutSettingsFile() {
    Desk desk;
    desk.Start();
    auto* w = desk.window.get();
    QCOMPARE(w->windowTitle(), QStringLiteral("Tessaly V3.5 增强版"));
    QCOMPARE(w->pages()->count(), 5);
    QCOMPARE(w->pages()->currentIndex(), 0);
    QCOMPARE(w->pages()->tabText(1), QStringLiteral("分班规则制定1(必须)"));
    QCOMPARE(w->pages()->tabText(3), QStringLiteral("自动分班及处理"));
    const QString ini = desk.Settings();
    QVERIFY(ini.contains(QStringLiteral("[face]")));
    QVERIFY(ini.contains(QStringLiteral("skin.ini")));
    QVERIFY(ini.contains(QStringLiteral("YSBJ_Show=1")));
    QCOMPARE(desk.Find<QLabel>("bsSkinStatusPanel6")->text(), QStringLiteral("S"));
    QVERIFY(!w->session().state.DivisionStarted);
  }

  void startsWithSettingsFileAndTogglesPresetColumn() {
    Desk desk;
    desk.Start("[YuSeBanJi]\nYSBJ_Show=0\n");
    auto* status = desk.Find<QLabel>("bsSkinStatusPanel6");
    QCOMPARE(status->text(), QStringLiteral("H"));
    QVERIFY(!desk.window->session().state.ShowPresetClass);
    // An existing file gets no defaults written into it.
    QVERIFY(!desk.Settings().contains(QStringLiteral("facefile")));

    auto* name_box = desk.Find<QLineEdit>("bsSkinEdit1", desk.window->importTab());
    name_box->setText(QStringLiteral("期末"));
    QTest::keyClick(name_box, Qt::Key_Backspace);
    QCOMPARE(status->text(), QStringLiteral("S"));
    QCOMPARE(name_box->text(), QStringLiteral("期"));  // the key still edits
    QVERIFY(desk.Settings().contains(QStringLiteral("YSBJ_Show=1")));
    QTest::keyClick(name_box, Qt::Key_Backspace);
    QCOMPARE(status->text(), QStringLiteral("H"));
    QVERIFY(desk.Settings().contains(QStringLiteral("YSBJ_Show=0")));
  }

  void unreadableSettingValueReadsAsShown() {
    Desk desk;
    desk.Start("[YuSeBanJi]\nYSBJ_Show=yes\n");
    QCOMPARE(desk.Find<QLabel>("bsSkinStatusPanel6")->text(), QStringLiteral("S"));
  }

  void newDivisionInBothModes() {
    Desk desk;
    desk.Start();
    auto& state = desk.window->session().state;
    auto* new_button = desk.Find<QPushButton>("bsSkinButton4");

    ModalScript script;
    script.Then(ChooseMode(true, 3));
    new_button->click();
    Finish(script);
    QVERIFY(state.DivisionStarted);
    QVERIFY(state.CombineMode);
    QCOMPARE(state.ExpectedSetCount, 3);

    // The dialog shows the last choice; unticking it and pressing OK is
    // refused with a warning, then one table is chosen.
    auto* dialog = desk.window->importTab()->newDivisionWindow();
    script.Then([dialog](QWidget* w) {
      if (w != dialog) return false;
      if (!dialog->combineBox()->isChecked() || dialog->countBox()->value() != 3) {
        qWarning("the dialog lost the last choice");
      }
      dialog->combineBox()->setChecked(false);
      QMetaObject::invokeMethod(dialog->okButton(), "click", Qt::QueuedConnection);
      return true;
    });
    script.Answer(QMessageBox::Ok);
    script.Then([dialog](QWidget* w) {
      if (w != dialog) return false;
      QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);  // the close button
      return true;
    });
    script.Answer(QMessageBox::Ok);
    script.Then(ChooseMode(false, 5));
    new_button->click();
    Finish(script);
    QCOMPARE(script.messages, QStringList({QStringLiteral("请勾选导入成绩的份数！"),
                                           QStringLiteral("请勾选导入成绩的份数！")}));
    QVERIFY(!state.CombineMode);
    QCOMPARE(state.ExpectedSetCount, 1);
    QVERIFY(script.unexpected.isEmpty());
  }

  void pasteImportWithErrorsThenWithout() {
    Desk desk;
    desk.Start();
    auto* tab = desk.window->importTab();
    auto* paste = desk.Find<QPushButton>("bsSkinButton3", tab);
    ModalScript script;

    // Before a new division the import refuses.
    QGuiApplication::clipboard()->setText(QString::fromUtf8(kGoodTable));
    script.Answer(QMessageBox::Ok);
    paste->click();
    Finish(script);
    QCOMPARE(script.messages.last(), QStringLiteral("请点击<新建班级数据>按钮后，再进行该操作！"));

    script.Then(ChooseMode(false));
    desk.Find<QPushButton>("bsSkinButton4")->click();
    Finish(script);

    QString errors;
    auto* error_window = desk.window->user().errorWindow();
    script.Then([&errors, error_window](QWidget* w) {
      if (w != error_window) return false;
      errors = error_window->memo()->toPlainText();
      QMetaObject::invokeMethod(error_window->closeButton(), "click", Qt::QueuedConnection);
      return true;
    });
    QGuiApplication::clipboard()->setText(QString::fromUtf8(kBadTable));
    paste->click();
    Finish(script);
    QCOMPARE(error_window->windowTitle(), QStringLiteral("错误提示"));
    const QStringList lines = errors.split(QChar('\n'));
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines[0].contains(QStringLiteral("1001 重复")));
    QVERIFY(lines[1].startsWith(QStringLiteral("王五 ，该同学性别填写有误")));
    QVERIFY(desk.window->session().state.ImportedSets.empty());
    QCOMPARE(desk.Find<QListWidget>("bsSkinListBox1")->count(), 0);

    QGuiApplication::clipboard()->setText(QString::fromUtf8(kGoodTable));
    desk.Find<QLineEdit>("bsSkinEdit2", tab)->setText(QStringLiteral("期末考试"));
    paste->click();
    QTRY_VERIFY(!desk.window->user().progressWindow()->isVisible());
    auto* list = desk.Find<QListWidget>("bsSkinListBox1");
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QStringLiteral("期末考试"));
    // 序号 is the row heading; then 学号 姓名 性别 预设班级 语文 数学 总分 名次 住校 备注.
    auto* model = tab->scoreModel();
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(model->columnCount(), 10);
    QCOMPARE(model->headerData(4, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("语文"));
    QCOMPARE(model->headerData(2, Qt::Vertical, Qt::DisplayRole).toString(), QStringLiteral("3"));
    QCOMPARE(model->index(0, 6).data().toString(), QStringLiteral("175.5"));
    QCOMPARE(model->index(1, 7).data().toString(), QStringLiteral("1"));  // 李四 ranks first

    // Hiding the preset column re-shows the table without it.
    QTest::keyClick(desk.Find<QLineEdit>("bsSkinEdit1", tab), Qt::Key_Backspace);
    QCOMPARE(model->columnCount(), 9);

    // A second paste replaces the table after Yes.
    script.Answer(QMessageBox::Yes);
    paste->click();
    Finish(script);
    QVERIFY(script.messages.last().startsWith(QStringLiteral("清除当前分班数据重新分班吗？")));
    QCOMPARE(list->count(), 1);
    QVERIFY(script.unexpected.isEmpty());
  }

  void settingsWindowChangesRolesAndCancelImportsNothing() {
    Desk desk;
    desk.Start();
    auto* tab = desk.window->importTab();
    auto* paste = desk.Find<QPushButton>("bsSkinButton3", tab);
    ModalScript script;
    script.Then(ChooseMode(false));
    desk.Find<QPushButton>("bsSkinButton4")->click();
    Finish(script);
    QGuiApplication::clipboard()->setText(QString::fromUtf8(kOwnTable));

    // Cancel imports nothing. The window shows the proposal: the heading row
    // 2 found below the title, 住校 offered as a balance column.
    QStringList shown;
    int heading_row = 0;
    QString note;
    script.Then(InSettings(
        [&](tessaly::ui::ImportSettingsDialog* d) {
          shown = Captions(d);
          heading_row = d->headingRowBox()->value();
          note = d->findChild<QLabel*>(QStringLiteral("noteLabel"))->text();
          QVERIFY(!d->roleButton(1)->isEnabled());
          QVERIFY(d->roleButton(4)->isEnabled());
          QVERIFY(!d->sheetBox()->isVisible());  // pasted text has one table
        },
        false));
    paste->click();
    Finish(script);
    QCOMPARE(shown,
             (QStringList{"学号", "姓名", "性别", "科目", "科目", "平衡列", "其他", "其他"}));
    QCOMPARE(heading_row, 2);
    QVERIFY(note.contains(QStringLiteral("第1行（表头、说明等）没有导入")));
    QVERIFY(desk.window->session().state.ImportedSets.empty());
    QCOMPARE(desk.Find<QListWidget>("bsSkinListBox1")->count(), 0);

    // One click moves a role on: 平衡列 -> 预设班级 -> 其他, 其他 -> 科目.
    script.Then(InSettings(
        [&](tessaly::ui::ImportSettingsDialog* d) {
          d->roleButton(6)->click();
          QCOMPARE(d->roleButton(6)->text(), QStringLiteral("预设班级"));
          d->roleButton(8)->click();
          d->roleButton(8)->click();
          d->roleButton(8)->click();  // 备注 takes the preset classes
          QCOMPARE(d->roleButton(6)->text(), QStringLiteral("其他"));
          d->roleButton(8)->click();
          d->roleButton(6)->click();
          shown = Captions(d);
        },
        true));
    paste->click();
    Finish(script);
    QCOMPARE(shown, (QStringList{"学号", "姓名", "性别", "科目", "科目", "科目", "其他", "其他"}));
    const auto& table = desk.window->session().state.ImportedSets.at(0);
    QCOMPARE(table.Headings.SubjectHeadings.size(), std::size_t{3});
    QVERIFY(table.Headings.BalanceHeadings.empty());
    // 住校 as a subject reads 0, so the teacher's totals still agree; 数学(150)
    // is the subject 数学.
    QCOMPARE(tab->scoreModel()->headerData(5, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("数学"));
    QCOMPARE(desk.Find<QListWidget>("bsSkinListBox1")->count(), 1);

    // The next table with the same headings opens with these roles.
    script.Answer(QMessageBox::Yes);
    script.Then(
        InSettings([&](tessaly::ui::ImportSettingsDialog* d) { shown = Captions(d); }, false));
    paste->click();
    Finish(script);
    QCOMPARE(shown[5], QStringLiteral("科目"));
    QVERIFY(desk.Settings().contains(QStringLiteral("[DaoRuSheZhi]")));
    QVERIFY(script.unexpected.isEmpty());
  }

  void settingsWindowPicksAnotherSheetAndHeadingRow() {
    Desk desk;
    desk.Start();
    auto* tab = desk.window->importTab();
    ModalScript script;
    script.Then(ChooseMode(false));
    desk.Find<QPushButton>("bsSkinButton4")->click();
    Finish(script);
    const QString file = QStringLiteral(TESSALY_TEST_DATA "/import/teacher_second.xlsx");
    script.Then([file](QWidget* w) {
      auto* dialog = qobject_cast<QFileDialog*>(w);
      if (dialog == nullptr) return false;
      if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
        name->setText(file);
      } else {
        dialog->selectFile(file);
      }
      QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
      return true;
    });
    QStringList sheets;
    bool ok_on_notes = true;
    script.Then(InSettings(
        [&](tessaly::ui::ImportSettingsDialog* d) {
          // The notes sheet is the active one, listed first; the data sheet,
          // which has the headings, is the one read.
          for (int i = 0; i < d->sheetBox()->count(); ++i) sheets << d->sheetBox()->itemText(i);
          QCOMPARE(d->sheetBox()->currentText(), QStringLiteral("期末成绩"));
          d->headingRowBox()->setValue(2);  // no headings there
          QVERIFY(!d->okButton()->isEnabled());
          d->headingRowBox()->setValue(1);
          d->sheetBox()->setCurrentIndex(0);
          emit d->sheetBox()->activated(0);
          ok_on_notes = d->okButton()->isEnabled();
          d->sheetBox()->setCurrentIndex(1);
          emit d->sheetBox()->activated(1);
          QCOMPARE(d->roleButton(12)->text(), QStringLiteral("平衡列"));
          d->roleButton(12)->click();
          d->roleButton(12)->click();  // 住校: 其他
          d->roleButton(13)->click();  // 特长, offered too: 其他 as well
          d->roleButton(13)->click();
        },
        true));
    desk.Find<QPushButton>("bsSkinXFormButton1", tab)->click();
    Finish(script);
    QCOMPARE(sheets, (QStringList{"说明", "期末成绩"}));
    QVERIFY(!ok_on_notes);
    const auto& table = desk.window->session().state.ImportedSets.at(0);
    QCOMPARE(table.Students.size(), std::size_t{12});
    QCOMPARE(table.Headings.SubjectHeadings.size(), std::size_t{5});
    QVERIFY(table.Headings.BalanceHeadings.empty());
    QVERIFY(script.unexpected.isEmpty());
  }

  void qtDialogsSpeakChinese() {
    QVERIFY(tessaly::ui::InstallQtTranslations());
    QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("t"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QVERIFY(box.button(QMessageBox::Yes)->text().contains(QStringLiteral("是")));
    QVERIFY(box.button(QMessageBox::Cancel)->text().contains(QStringLiteral("取消")));
    QFileDialog files(nullptr, QStringLiteral("t"));
    files.setOption(QFileDialog::DontUseNativeDialog);
    QVERIFY(files.labelText(QFileDialog::Reject).contains(QStringLiteral("取消")));
    if (!qEnvironmentVariableIsEmpty("TESSALY_SHOT_DIR")) {
      const QString dir = qEnvironmentVariable("TESSALY_SHOT_DIR");
      box.show();
      files.show();
      QTest::qWait(200);
      box.grab().save(dir + QStringLiteral("/qt-message-box.png"));
      files.grab().save(dir + QStringLiteral("/qt-file-dialog.png"));
    }
  }

  void workbookImportsAndClearsInCombinedMode() {
    Desk desk;
    desk.Start();
    auto* tab = desk.window->importTab();
    ModalScript script;
    script.Then(ChooseMode(true, 2));
    desk.Find<QPushButton>("bsSkinButton4")->click();
    Finish(script);

    const QString file = QStringLiteral(TESSALY_TEST_DATA "/import/scores.xlsx");
    auto choose_file = [file](QWidget* w) {
      auto* dialog = qobject_cast<QFileDialog*>(w);
      if (dialog == nullptr) return false;
      if (!dialog->nameFilters().join(QChar(' ')).contains(QStringLiteral("*.csv"))) {
        qWarning("the workbook dialog does not offer .csv");
      }
      // The name box is filled directly: selectFile leaves it alone while it
      // has the focus, and when the dialog came up focused first the accept
      // found no file and the test waited for ever.
      if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
        name->setText(file);
      } else {
        dialog->selectFile(file);
      }
      QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
      return true;
    };
    auto* workbook = desk.Find<QPushButton>("bsSkinXFormButton1", tab);
    desk.Find<QLineEdit>("bsSkinEdit1", tab)->setText(QStringLiteral("第一次"));
    // The fixture's KEMU合计 is the total of the other subjects: each import
    // warns about it.
    script.Then(choose_file);
    script.Answer(QMessageBox::Ok);
    workbook->click();
    Finish(script);
    QVERIFY(script.messages.last().contains(QStringLiteral("“KEMU合计”")));
    desk.Find<QLineEdit>("bsSkinEdit1", tab)->setText(QStringLiteral("第二次"));
    script.Then(choose_file);
    script.Answer(QMessageBox::Ok);
    workbook->click();
    Finish(script);
    auto* list = desk.Find<QListWidget>("bsSkinListBox1");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(1)->text(), QStringLiteral("第二次"));
    QCOMPARE(desk.window->session().state.NextSetSlot, 3);
    QVERIFY(tab->scoreModel()->rowCount() > 0);

    // Clearing without a selection warns; clearing the second selects the
    // first and shows it.
    list->clearSelection();
    script.Answer(QMessageBox::Ok);
    desk.Find<QPushButton>("bsSkinButton9")->click();
    Finish(script);
    QCOMPARE(script.messages.last(), QStringLiteral("您还没有选择要清除的数据表!"));
    list->setCurrentRow(1);
    desk.Find<QPushButton>("bsSkinButton9")->click();
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(desk.window->session().state.NextSetSlot, 2);
    QVERIFY(tab->scoreModel()->rowCount() > 0);
    QVERIFY(script.unexpected.isEmpty());
  }

  void opensDivisionFileGivenAtStart() {
    Desk desk;
    desk.Start();
    desk.window->OpenDivisionFile(QStringLiteral(TESSALY_SOURCE_DIR "/data/sample.fb"));
    QVERIFY(desk.window->session().state.DivisionStarted);
    QCOMPARE(desk.Find<QListWidget>("bsSkinListBox1")->count(), 1);
    QCOMPARE(desk.window->importTab()->scoreModel()->rowCount(), 1500);
  }

  void largeTableShowsEveryStudent() {
    Desk desk;
    desk.Start();
    ModalScript script;
    script.Then(ChooseMode(false));
    desk.Find<QPushButton>("bsSkinButton4")->click();
    Finish(script);
    QString text = QStringLiteral("学号\t姓名\t性别\tKEMU语文\tKEMU数学\n");
    for (int i = 0; i < 20000; ++i) {
      text += QStringLiteral("%1\t学生%2\t%3\t%4\t%5\n")
                  .arg(100000 + i)
                  .arg(i)
                  .arg(i % 2 ? QStringLiteral("男") : QStringLiteral("女"))
                  .arg(i % 100)
                  .arg((i * 7) % 100);
    }
    QGuiApplication::clipboard()->setText(text);
    desk.Find<QPushButton>("bsSkinButton3", desk.window->importTab())->click();
    auto* view = desk.window->importTab()->scoreView();
    QCOMPARE(view->model()->rowCount(), 20000);
    view->scrollToBottom();
    QCOMPARE(view->model()->index(19999, 0).data().toString(), QStringLiteral("119999"));
  }

  void helpVideoAndCompanion() {
    Desk desk;
    desk.Start();
    ModalScript script;
    // The folder holds no video and no companion program: both give the
    // missing-file message naming the file and the download address.
    script.Answer(QMessageBox::Ok);
    desk.Find<QPushButton>("bsSkinButton21")->click();
    Finish(script);
    QVERIFY(script.messages.last().startsWith(QStringLiteral("演示文件：")));
    QVERIFY(script.messages.last().contains(QStringLiteral("fbys")));
    QVERIFY(script.messages.last().contains(QStringLiteral("下载网址：https://")));
    script.Answer(QMessageBox::Ok);
    desk.Find<QPushButton>("bsSkinButton22")->click();
    Finish(script);
    QVERIFY(script.messages.last().contains(QStringLiteral("Kelvane")));

    // The help page opens in the window "操作说明".
    QFile page(desk.folder.filePath(QStringLiteral("fbhelp/help.html")));
    QDir(desk.folder.path()).mkdir(QStringLiteral("fbhelp"));
    page.open(QIODevice::WriteOnly);
    page.write("<html><body><h1>分班步骤</h1></body></html>");
    page.close();
    auto* help = desk.window->helpWindow();
    QString shown;
    script.Then([help, &shown](QWidget* w) {
      if (w != help) return false;
      shown = help->browser()->toPlainText();
      QMetaObject::invokeMethod(help, "accept", Qt::QueuedConnection);
      return true;
    });
    desk.Find<QPushButton>("bsSkinButton20")->click();
    Finish(script);
    QCOMPARE(help->windowTitle(), QStringLiteral("操作说明"));
    QVERIFY(shown.contains(QStringLiteral("分班步骤")));
  }
};

int RunImportPageTests(int argc, char** argv) {
  ImportPageTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "import_page_test.moc"
