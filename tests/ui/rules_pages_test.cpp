// The rules pages driven through their widgets: weights with the cell
// editor and the role menu, the sound boxes, ranges added and deleted with
// their warnings, band conditions and balance levels, the teacher's groups,
// and leaving the first rules page writing the lists.

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>

#include "modal_script.h"
#include "platform/encoding.h"
#include "ui/grid_model.h"
#include "ui/import_tab.h"
#include "ui/new_division_window.h"
#include "ui/rules_groups.h"
#include "ui/rules_tab1.h"
#include "ui/rules_tab2.h"
#include "ui_fixture.h"

using tessaly::uitest::Desk;
using tessaly::uitest::ModalScript;

namespace {

std::string Gb(const char* utf8) {
  return tessaly::enc::FromUtf8(utf8);
}

// Starts a division (combined of `tables` tables, or one table when 1) and
// pastes each table under its name.
void ImportTables(Desk& desk, ModalScript& script, int tables) {
  script.Then([tables](QWidget* w) {
    auto* d = qobject_cast<tessaly::ui::NewDivisionWindow*>(w);
    if (d == nullptr) return false;
    (tables > 1 ? d->combineBox() : d->singleBox())->setChecked(true);
    d->countBox()->setValue(std::max(tables, 2));
    QMetaObject::invokeMethod(d->okButton(), "click", Qt::QueuedConnection);
    return true;
  });
  desk.Find<QPushButton>("bsSkinButton4")->click();
  QTRY_VERIFY(script.Done());
  QGuiApplication::clipboard()->setText(
      QStringLiteral("学号\t姓名\t性别\tKEMU语文\tKEMU数学\tJUNHENG住校\n"
                     "1001\t张三\t男\t90\t85\t是\n1002\t李四\t女\t88\t92\t否\n"
                     "1003\t王五\t男\t70\t60\t是\n"));
  auto* tab = desk.window->importTab();
  for (int i = 1; i <= tables; ++i) {
    desk.Find<QLineEdit>("bsSkinEdit2", tab)->setText(QStringLiteral("表%1").arg(i));
    desk.Find<QPushButton>("bsSkinButton3", tab)->click();
  }
}

// The weight cell editor now open (a closed one may wait for deletion).
QLineEdit* OpenEditor(QTableView* view) {
  for (auto* e : view->findChildren<QLineEdit*>(QStringLiteral("weightEditor"))) {
    if (e->isVisible()) return e;
  }
  return nullptr;
}

// Types `text` into the weight cell of table row `row` (from 1).
void TypeWeight(QTableView* view, int row, const QString& text) {
  const QModelIndex cell = view->model()->index(row - 1, 0);
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(cell).center());
  QLineEdit* editor = OpenEditor(view);
  QVERIFY(editor != nullptr);
  editor->selectAll();
  QTest::keyClick(editor, Qt::Key_Delete);
  QTest::keyClicks(editor, text);
}

void ClickCell(QTableView* view, int row, int col) {
  const QModelIndex cell = view->model()->index(row, col);
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(cell).center());
}

}  // namespace

class RulesPagesTest : public QObject {
  Q_OBJECT

 private slots:
  void weightsRolesAndSoundsAreWrittenWhenThePageIsLeft() {
    Desk desk;
    desk.Start();
    ModalScript script;
    ImportTables(desk, script, 2);
    auto& state = desk.window->session().state;
    QCOMPARE(state.NextSetSlot, 3);
    desk.window->pages()->setCurrentIndex(1);
    auto* rules = desk.window->rulesTab1();
    auto* view = rules->weightsView();
    QCOMPARE(view->model()->rowCount(), 2);

    // A weight above 100 is refused as it is typed, and the cell emptied.
    script.Answer(QMessageBox::Ok);
    TypeWeight(view, 1, QStringLiteral("150"));
    QTRY_VERIFY(script.Done());
    QVERIFY(script.messages.last().startsWith(QStringLiteral("该值无效！")));
    QCOMPARE(OpenEditor(view)->text(), QString());
    TypeWeight(view, 1, QStringLiteral("6x0"));  // the x is dropped
    TypeWeight(view, 2, QStringLiteral("40"));

    // The role menu opens on the role cell; N1 makes table 2 the main table.
    ClickCell(view, 1, 1);
    QTRY_VERIFY(rules->roleMenu()->isVisible());
    rules->roleMenu()->findChild<QAction*>(QStringLiteral("N1"))->trigger();
    rules->roleMenu()->hide();
    QCOMPARE(view->model()->index(1, 1).data().toString(), QStringLiteral("主表"));
    QCOMPARE(view->model()->index(0, 1).data().toString(), QStringLiteral("参考表"));

    desk.Find<QCheckBox>("bsSkinCheckRadioBox4", rules)->setChecked(true);  // h-f
    desk.Find<QCheckBox>("bsSkinCheckRadioBox8", rules)->setChecked(true);  // en-eng
    desk.window->pages()->setCurrentIndex(0);  // leaving writes, without warnings
    QCOMPARE(state.ImportedSets[1].WeightPercent, 60);
    QCOMPARE(state.ImportedSets[2].WeightPercent, 40);
    QVERIFY(!state.ImportedSets[1].IsMainTable);
    QVERIFY(state.ImportedSets[2].IsMainTable);
    QCOMPARE(state.InitialSoundPairs, tessaly::model::RuleList({"h-f"}));
    QCOMPARE(state.FinalSoundPairs, tessaly::model::RuleList({"en-eng"}));
    QVERIFY(script.unexpected.isEmpty());

    // Coming back shows what was stored; N2 on the main table leaves none,
    // and leaving by another page warns.
    desk.window->pages()->setCurrentIndex(1);
    QVERIFY(desk.Find<QCheckBox>("bsSkinCheckRadioBox4", rules)->isChecked());
    QCOMPARE(view->model()->index(0, 0).data().toString(), QStringLiteral("60 %"));
    ClickCell(view, 1, 1);
    QTRY_VERIFY(rules->roleMenu()->isVisible());
    rules->roleMenu()->findChild<QAction*>(QStringLiteral("N2"))->trigger();
    rules->roleMenu()->hide();
    script.Answer(QMessageBox::Ok);
    desk.window->pages()->setCurrentIndex(2);
    QTRY_VERIFY(script.Done());
    QCOMPARE(script.messages.last(), QStringLiteral("您还没有选择哪份成绩表为主表!"));
    QVERIFY(!state.ImportedSets[2].IsMainTable);
  }

  void rangesAddAndDeleteWithTheirWarnings() {
    Desk desk;
    desk.Start();
    ModalScript script;
    ImportTables(desk, script, 1);
    desk.window->pages()->setCurrentIndex(1);
    auto* rules = desk.window->rulesTab1();
    auto* add = desk.Find<QPushButton>("bsSkinButton1", rules);
    auto* del = desk.Find<QPushButton>("bsSkinButton2", rules);
    auto* start = desk.Find<QComboBox>("bsSkinComboBox1", rules);
    auto* end = desk.Find<QComboBox>("bsSkinComboBox2", rules);

    script.Answer(QMessageBox::Ok);
    add->click();
    QTRY_VERIFY(script.Done());
    QCOMPARE(script.messages.last(), QStringLiteral("您还没有选择按学号还是按名次！"));

    desk.Find<QRadioButton>("bsSkinCheckRadioBox18", rules)->click();  // 按名次
    QTest::keyClicks(start->lineEdit(), QStringLiteral("1a"));         // ranks take digits only
    QTest::keyClicks(end->lineEdit(), QStringLiteral("100"));
    QTest::keyClicks(desk.Find<QLineEdit>("bsSkinEdit5", rules), QStringLiteral("2"));
    QTest::keyClicks(desk.Find<QLineEdit>("bsSkinEdit6", rules), QStringLiteral("4,5"));
    add->click();
    auto* grid = rules->rangeView()->model();
    QCOMPARE(grid->index(0, 1).data().toString(), QStringLiteral("1-100-"));
    QCOMPARE(grid->index(0, 3).data().toString(), QStringLiteral("4,5,"));
    QCOMPARE(start->currentText(), QStringLiteral("101"));
    QCOMPARE(end->currentText(), QString());

    // An overlapping range is refused; the next one is added.
    start->setEditText(QString());
    QTest::keyClicks(start->lineEdit(), QStringLiteral("100"));
    QTest::keyClicks(end->lineEdit(), QStringLiteral("200"));
    QTest::keyClicks(desk.Find<QLineEdit>("bsSkinEdit5", rules), QStringLiteral("1"));
    QTest::keyClicks(desk.Find<QLineEdit>("bsSkinEdit6", rules), QStringLiteral("6"));
    script.Answer(QMessageBox::Ok);
    add->click();
    QTRY_VERIFY(script.Done());
    QCOMPARE(script.messages.last(), QStringLiteral("名次不能与前面输入的名次区间重叠！"));

    script.Answer(QMessageBox::Ok);
    del->click();
    QTRY_VERIFY(script.Done());
    QCOMPARE(script.messages.last(), QStringLiteral("请选择要删除的列后，再点击此按钮！"));

    // Leaving the page writes the grid into the range rows.
    desk.window->pages()->setCurrentIndex(0);
    auto& state = desk.window->session().state;
    QCOMPARE(state.ClassRangeRows.size(), std::size_t{1});
    QCOMPARE(state.ClassRangeRows[0], Gb("按名次|1-100-|2|4,5,||"));

    desk.window->pages()->setCurrentIndex(1);
    ClickCell(rules->rangeView(), 0, 0);
    del->click();
    QCOMPARE(grid->index(0, 1).data().toString(), QString());
    desk.window->pages()->setCurrentIndex(0);
    QVERIFY(state.ClassRangeRows.empty());

    // By student number the boxes offer the main table's numbers.
    desk.window->pages()->setCurrentIndex(1);
    desk.Find<QRadioButton>("bsSkinCheckRadioBox19", rules)->click();
    QCOMPARE(start->count(), 3);
    QCOMPARE(end->itemText(2), QStringLiteral("1003"));
    QVERIFY(script.unexpected.isEmpty());
  }

  void bandConditionsAndBalanceLevels() {
    Desk desk;
    desk.Start();
    ModalScript script;
    ImportTables(desk, script, 1);
    auto& state = desk.window->session().state;
    state.ClassRangeRows = {Gb("按名次|1-100-|2|1,2,||")};
    desk.window->pages()->setCurrentIndex(2);
    auto* rules = desk.window->rulesTab2();
    QCOMPARE(state.BalanceItemRows,
             tessaly::model::RuleList({Gb("性别|4 级|"), Gb("住校|4 级|"), Gb("语文|2 级|"),
                                       Gb("数学|2 级|"), Gb("总分|2 级|")}));
    auto* add = desk.Find<QPushButton>("bsSkinButton6", rules);

    script.Answer(QMessageBox::Ok);
    add->click();
    QTRY_VERIFY(script.Done());
    QCOMPARE(script.messages.last(), QStringLiteral("请选择学号区间!"));

    auto* range = desk.Find<QComboBox>("bsSkinComboBox3", rules);
    QCOMPARE(range->count(), 1);
    range->setCurrentIndex(0);
    emit range->activated(0);
    desk.Find<QRadioButton>("bsSkinCheckRadioBox15", rules)->click();  // 总分
    auto* one_key = desk.Find<QCheckBox>("bsSkinCheckRadioBox20", rules);
    one_key->click();
    QVERIFY(!desk.Find<QLineEdit>("bsSkinEdit4", rules)->isEnabled());
    QVERIFY(desk.Find<QLineEdit>("bsSkinEdit11", rules)->isEnabled());
    QTest::keyClicks(desk.Find<QLineEdit>("bsSkinEdit12", rules), QStringLiteral("100"));
    QTest::keyClicks(desk.Find<QLineEdit>("bsSkinEdit13", rules), QStringLiteral("60"));
    QTest::keyClicks(desk.Find<QLineEdit>("bsSkinEdit11", rules), QStringLiteral("0"));
    script.Answer(QMessageBox::Ok);
    add->click();
    QTRY_VERIFY(script.Done());
    QCOMPARE(script.messages.last(), QStringLiteral("间隔分值必须大于0!"));
    desk.Find<QLineEdit>("bsSkinEdit11", rules)->setText(QStringLiteral("15"));
    add->click();
    add->click();  // the same series again adds nothing
    QCOMPARE(state.BandConditionRows.size(), std::size_t{3});
    auto* bands = rules->bandView()->model();
    QCOMPARE(bands->index(2, 2).data().toString(), QStringLiteral("大于 60 且小于等于 70"));
    QCOMPARE(bands->index(2, 3).data().toString(), QStringLiteral("3 级"));

    // The level menu of a condition, then deleting two selected rows.
    ClickCell(rules->bandView(), 0, 3);
    QTRY_VERIFY(rules->bandMenu()->isVisible());
    rules->bandMenu()->findChild<QAction*>(QStringLiteral("N6"))->trigger();
    rules->bandMenu()->hide();
    QVERIFY(state.BandConditionRows[0].ends_with(Gb("$1 级$")));
    rules->bandView()->selectionModel()->select(
        QItemSelection(bands->index(0, 0), bands->index(1, 3)),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    desk.Find<QPushButton>("bsSkinButton7", rules)->click();
    QCOMPARE(state.BandConditionRows.size(), std::size_t{1});

    // A balance level set through its menu.
    ClickCell(rules->itemsView(), 3, 1);
    QTRY_VERIFY(rules->itemsMenu()->isVisible());
    rules->itemsMenu()->findChild<QAction*>(QStringLiteral("N91"))->trigger();
    rules->itemsMenu()->hide();
    QCOMPARE(state.BalanceItemRows[3], Gb("数学|9 级|"));
    QCOMPARE(rules->itemsView()->model()->index(3, 1).data().toString(), QStringLiteral("9 级"));
    QVERIFY(script.unexpected.isEmpty());
  }

  void teachersGroupsAddedDeletedAndNoted() {
    Desk desk;
    desk.Start();
    ModalScript script;
    ImportTables(desk, script, 1);
    auto& state = desk.window->session().state;
    desk.window->pages()->setCurrentIndex(2);
    auto* panel = desk.window->rulesTab2()->groups();
    QCOMPARE(panel->title(), QStringLiteral("分班约束（同班 / 不同班）"));

    // Numbers pasted as a column, one of them unknown: named, nothing added.
    panel->numbersBox()->setPlainText(QStringLiteral("1001\n1002\n1009"));
    script.Answer(QMessageBox::Ok);
    panel->addApartButton()->click();
    QTRY_VERIFY(script.Done());
    QCOMPARE(script.messages.last(),
             QStringLiteral("下列学号在数据表中没有找到，约束没有添加：1009"));
    QVERIFY(state.GroupRows.empty());

    // Typed: several numbers a line.
    panel->numbersBox()->clear();
    QTest::keyClicks(panel->numbersBox(), QStringLiteral("1001 1002"));
    panel->numbersBox()->insertPlainText(QStringLiteral("，1003"));
    panel->noteBox()->setText(QStringLiteral("同一宿舍"));
    panel->addTogetherButton()->click();
    QCOMPARE(state.GroupRows, tessaly::model::RuleList({Gb("同班|1001,1002,1003,|同一宿舍|")}));
    QVERIFY(panel->numbersBox()->toPlainText().isEmpty());
    panel->numbersBox()->setPlainText(QStringLiteral("1001\t1003"));
    panel->addApartButton()->click();
    auto* grid = panel->view()->model();
    QCOMPARE(grid->rowCount(), 2);
    QCOMPARE(grid->index(0, 0).data().toString(), QStringLiteral("同班"));
    QCOMPARE(grid->index(0, 1).data().toString(),
             QStringLiteral("1001 张三、1002 李四、1003 王五"));
    QCOMPARE(grid->index(1, 0).data().toString(), QStringLiteral("不同班"));

    // The note edited in its cell.
    QVERIFY(grid->setData(grid->index(1, 2), QStringLiteral("曾经吵架"), Qt::EditRole));
    QCOMPARE(state.GroupRows[1], Gb("不同班|1001,1003,|曾经吵架|"));

    // Deleting the selected group.
    panel->view()->selectRow(0);
    panel->deleteButton()->click();
    QCOMPARE(state.GroupRows, tessaly::model::RuleList({Gb("不同班|1001,1003,|曾经吵架|")}));
    QCOMPARE(grid->rowCount(), 1);
    QVERIFY(script.unexpected.isEmpty());
  }
};

int RunRulesPageTests(int argc, char** argv) {
  RulesPagesTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "rules_pages_test.moc"
