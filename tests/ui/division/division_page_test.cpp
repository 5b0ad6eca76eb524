// The division page driven through its widgets on the sample cohort:
// divide, balance, optimise in every mode, copy, count, save and reopen,
// export, and undo and redo giving back the exact averages table.

#include "stats/division_page.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <map>

#include "engine/evaluation.h"
#include "engine/names/same_names.h"
#include "engine/transfer.h"
#include "io/division_file.h"
#include "io/table_text.h"
#include "platform/encoding.h"
#include "stats/evenness.h"
#include "support/fake_user.h"
#include "ui/division/averages_page.h"
#include "ui/division/counts_page.h"
#include "ui/division/division_context.h"
#include "ui/division/division_page.h"
#include "ui/division/query_page.h"
#include "ui/division/roster_page.h"
#include "ui/grid_model.h"

using namespace tessaly;
using tessaly::ui::division::DivisionPage;

namespace {

class MapSettings : public model::SettingsPort {
 public:
  std::optional<std::string> Read(const std::string& section, const std::string& key) override {
    auto it = values.find(section + "/" + key);
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  bool Write(const std::string& section, const std::string& key,
             const std::string& value) override {
    values[section + "/" + key] = value;
    return true;
  }
  std::map<std::string, std::string> values;
};

std::string Utf8(const std::string& cp936) {
  return enc::ToUtf8(cp936);
}

// The sample cohort on the division page, divided with a fixed coin.
struct Fixture {
  testing::FakeUser user;
  model::MemoryClipboard clipboard;
  MapSettings settings;
  ui::Session session{{}, {}, user, clipboard, settings, {}};
  DivisionPage page{session};

  Fixture() {
    const io::DivisionRead read =
        io::LoadDivisionFile(std::string(TESSALY_SOURCE_DIR) + "/data/sample.fb", {});
    if (!read.ok) qFatal("the sample cannot be read");
    session.state = read.state;
    page.context().SetCoinSeed(1);
    page.resize(1366, 768);
    page.Enter();
    page.divideButton()->click();
  }
  model::ProgramState& state() { return session.state; }
  model::Grid AveragesShown() { return page.averagesPage()->model()->grid(); }
};

}  // namespace

class DivisionPageTest : public QObject {
  Q_OBJECT
 private slots:
  void DivisionShowsScoreAveragesAndClassList() {
    Fixture f;
    QVERIFY(f.page.scoreLabel()->text().startsWith(QStringLiteral("分班结果评分：")));
    QCOMPARE(f.AveragesShown(), engine::ShowAverages(f.state()));
    QVERIFY(f.AveragesShown().RowCount() > 10);
    QCOMPARE(f.page.averagesPage()->evennessModel()->grid(), stats::EvennessTable(f.state()));
    // The option group starts at "优化均衡人数", undo has nothing to take back.
    QCOMPARE(f.page.options()->checkedId(), 1);
    QVERIFY(!f.page.undoButton()->isEnabled());
    // The roster page lists every class and shows the chosen one.
    f.page.innerPages()->setCurrentIndex(1);
    QListWidget* list = f.page.rosterPage()->classList();
    QCOMPARE(list->item(0)->text(), QStringLiteral("全部学生"));
    QCOMPARE(list->count(), 1 + 2 + 6 + 8);
    QCOMPARE(f.page.rosterPage()->model()->rowCount(), 1500);
    list->setCurrentRow(3);
    const model::Grid& roster = f.page.rosterPage()->model()->grid();
    QVERIFY(roster.RowCount() > 1);
    for (std::size_t r = 1; r < roster.RowCount(); ++r) QCOMPARE(roster.rows[r].back(), "3");
    // The same-name page shows the namesakes of the sample.
    f.page.innerPages()->setCurrentIndex(3);
    QVERIFY(f.page.sameNamesPage()->model()->grid().RowCount() > 2);
  }

  void BalancingButtonsAreUndoableAndWarnWithoutAControlScore() {
    Fixture f;
    ui::division::AveragesPage* p = f.page.averagesPage();
    QCOMPARE(p->totalRangeBox()->count(), 4);  // three ranges and 全部区间
    p->totalButton()->click();
    QCOMPARE(f.user.Messages().back(), std::string("warning: 您还没有输入控制分数！"));
    QVERIFY(!f.page.undoButton()->isEnabled());

    const model::Grid divided = f.AveragesShown();
    const QString divided_score = f.page.scoreLabel()->text();
    p->totalRangeBox()->setCurrentIndex(3);
    QTest::keyClicks(p->totalControl(), "0.5x");  // the letter is refused
    QCOMPARE(p->totalControl()->text(), QStringLiteral("0.5"));
    p->totalButton()->click();
    QVERIFY(f.page.undoButton()->isEnabled());
    QCOMPARE(f.AveragesShown(), engine::ShowAverages(f.state()));
    QCOMPARE(f.page.scoreLabel()->text().toStdString(),
             Utf8(stats::CurrentScoreCaption(f.state())));

    p->subjectRangeBox()->setCurrentIndex(0);
    p->subjectBox()->setCurrentIndex(1);
    QTest::keyClicks(p->subjectControl(), "1");
    p->subjectButton()->click();

    // Two undo steps give back the division as the division left it.
    f.page.undoButton()->click();
    f.page.undoButton()->click();
    QCOMPARE(f.AveragesShown(), divided);
    QCOMPARE(f.page.scoreLabel()->text(), divided_score);
    QVERIFY(!f.page.undoButton()->isEnabled());
    QVERIFY(f.page.redoButton()->isEnabled());
  }

  void TransferUndoAndRedoByKeysRestoreTheExactAveragesTable() {
    Fixture f;
    const model::Grid before = f.AveragesShown();
    const model::ProgramState divided = f.state();
    const model::student x = f.state().RangeSets[1].Students[10];
    const std::int32_t target = x.AssignedClass == 3 ? 4 : 3;
    auto& ctx = f.page.context();
    ctx.Change("调班", [&] {
      return engine::bsSkinButton13Click(f.state(), f.user, x.Number, x.Name, target, 20, false);
    });
    ctx.ShowCurrentScore();
    const model::Grid after = f.AveragesShown();
    QVERIFY(after != before);
    f.page.show();
    f.page.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.page));
    QTest::keyClick(&f.page, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.AveragesShown(), before);
    QCOMPARE(f.state().RangeSets, divided.RangeSets);
    QTest::keyClick(&f.page, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(f.AveragesShown(), after);
  }

  void EveryOptimiserModeRunsAsOneStep() {
    Fixture f;
    // The deep optimisation's time, beside it: the default budget first.
    QComboBox* seconds = f.page.deepSecondsBox();
    QCOMPARE(seconds->count(), 3);
    QCOMPARE(seconds->currentText(), QStringLiteral("2 秒"));
    QCOMPARE(seconds->itemData(2).toDouble(), 30.0);
    for (int option = 0; option < 4; ++option) {
      f.page.options()->button(option)->click();
      f.user.progress.clear();
      f.page.optimiseButton()->click();
      QVERIFY(!f.user.progress.empty());
      QCOMPARE(f.user.progress.back(), 100);
      QCOMPARE(f.AveragesShown(), engine::ShowAverages(f.state()));
    }
    QVERIFY(f.page.undoButton()->isEnabled());
  }

  void ContextMenusCopyASelectionOrTheWholeTable() {
    Fixture f;
    QTableView* view = f.page.averagesPage()->view();
    view->setCurrentIndex(view->model()->index(1, 0));
    view->selectionModel()->select(view->model()->index(1, 0), QItemSelectionModel::ClearAndSelect);
    view->actions()[0]->trigger();
    QCOMPARE(f.clipboard.GetText(), f.AveragesShown().Cell(1, 0) + "\t\r\n");
    QCOMPARE(f.user.Messages().back(),
             std::string("information: 已复制成功！请打开Excel，选择粘贴即可。"));
    view->actions()[1]->trigger();
    QCOMPARE(f.clipboard.GetText(), io::TableText(f.AveragesShown()));
    // The roster's heading row is part of the whole table.
    f.page.innerPages()->setCurrentIndex(1);
    f.page.rosterPage()->view()->actions()[1]->trigger();
    QVERIFY(Utf8(f.clipboard.GetText()).rfind("序号\t学号\t", 0) == 0);
  }

  void CountsComputeTheStatisticsTable() {
    Fixture f;
    f.page.innerPages()->setCurrentIndex(2);
    ui::division::CountsPage* p = f.page.countsPage();
    QCOMPARE(p->rangeBox()->count(), 3);
    p->computeButton()->click();
    const model::Grid& table = p->statisticsModel()->grid();
    QVERIFY(table.RowCount() > 20);
    QCOMPARE(Utf8(table.Cell(0, 0)), std::string("性别统计"));
  }

  void SaveReopenAndExport() {
    Fixture f;
    QTemporaryDir dir;
    const std::string fb = (dir.path() + "/divided.fb").toStdString();
    f.user.file_answers.push_back(fb);
    f.page.saveButton()->click();
    const io::DivisionRead read = io::LoadDivisionFile(fb, {});
    QVERIFY(read.ok);
    QCOMPARE(read.state.RangeSets.size(), f.state().RangeSets.size());
    for (std::size_t r = 0; r < read.state.RangeSets.size(); ++r) {
      const auto& a = read.state.RangeSets[r].Students;
      const auto& b = f.state().RangeSets[r].Students;
      QCOMPARE(a.size(), b.size());
      for (std::size_t i = 0; i < a.size(); ++i) QCOMPARE(a[i].AssignedClass, b[i].AssignedClass);
    }

    const std::string xlsx = (dir.path() + "/divided.xlsx").toStdString();
    f.user.file_answers.push_back(xlsx);
    f.page.exportButton()->click();
    QVERIFY(QFile::exists(QString::fromStdString(xlsx)));
    QVERIFY(QFile(QString::fromStdString(xlsx)).size() > 1000);
    QVERIFY(Utf8(f.clipboard.GetText()).find("年级或班级(平均分)") != std::string::npos);
    // The copy of all data gives the same text.
    // The export re-ranked each range for its statistics, so the roster of a
    // later copy shows those ranks; from then on every copy of all data gives
    // the same text, and its averages block is the exported one.
    const std::string exported = f.clipboard.GetText();
    f.clipboard.SetText("");
    f.page.copyAllButton()->click();
    const std::string copied = f.clipboard.GetText();
    const std::string heading = "年级或班级(平均分)"_gb;
    QVERIFY(copied.find(heading) != std::string::npos);
    QCOMPARE(copied.substr(copied.find(heading)), exported.substr(exported.find(heading)));
    f.clipboard.SetText("");
    f.page.copyAllButton()->click();
    QCOMPARE(f.clipboard.GetText(), copied);
  }

  void QueriesOfEveryKindFollowTheKeys() {
    Fixture f;
    f.page.innerPages()->setCurrentIndex(4);
    ui::division::QueryPage* q = f.page.queryPage();
    QCOMPARE(q->resultModel()->rowCount(), 1500);  // everyone on entry
    QCOMPARE(q->classBox()->count(), 2 + 6 + 8 + 1);
    QCOMPARE(q->classBox()->itemText(16), QStringLiteral("全部"));
    QVERIFY(!q->classBox()->isEnabled());
    // Typing without a kind warns and drops the key.
    QTest::keyClicks(q->queryBox(), "2");
    QCOMPARE(q->queryBox()->text(), QString());
    QCOMPARE(f.user.Messages().back(), std::string("warning: 请先选择查询类别！"));

    const model::student s = f.state().RangeSets[2].Students[5];
    q->kinds()->button(3)->click();
    QTest::keyClicks(q->queryBox(), QString::fromStdString(s.Number));
    QCOMPARE(q->resultModel()->rowCount(), 1);
    QCOMPARE(q->resultModel()->grid().Cell(1, 1), s.Number);
    q->queryBox()->clear();
    q->kinds()->button(2)->click();
    // A name arrives through the input method; the key release queries.
    q->queryBox()->setText(QString::fromStdString(Utf8(s.Name)));
    QTest::keyRelease(q->queryBox(), Qt::Key_Shift);
    QVERIFY(q->resultModel()->rowCount() >= 1);
    q->queryBox()->clear();
    q->kinds()->button(1)->click();
    QTest::keyClicks(q->queryBox(), "z");
    const int with_z = q->resultModel()->rowCount();
    QVERIFY(with_z > 10 && with_z < 1500);
    q->kinds()->button(4)->click();
    QVERIFY(q->classBox()->isEnabled());
    q->classBox()->setCurrentIndex(2);
    emit q->classBox()->activated(2);
    const model::Grid& cls = q->resultModel()->grid();
    QVERIFY(cls.RowCount() > 10);
    for (std::size_t r = 1; r < cls.RowCount(); ++r) QCOMPARE(Utf8(cls.Cell(r, 6)), "3");
  }

  void TransfersWithAndWithoutBackFillAndTheirUndo() {
    Fixture f;
    f.page.innerPages()->setCurrentIndex(4);
    ui::division::QueryPage* q = f.page.queryPage();
    const model::Grid divided = engine::ShowAverages(f.state());
    // Row 1 of the results goes into the adjust fields.
    q->resultView()->clicked(q->resultModel()->index(0, 0));
    const std::string number = q->resultModel()->grid().Cell(1, 1);
    QCOMPARE(q->numberBox()->text().toStdString(), Utf8(number));
    const model::student* x = nullptr;
    for (const auto& set : f.state().RangeSets)
      for (const auto& s : set.Students)
        if (s.Number == number) x = &s;
    QVERIFY(x != nullptr);
    const std::int32_t from = x->AssignedClass;
    const int target = from == 1 ? 1 : 0;  // the other class of the first range
    q->targetBox()->setCurrentIndex(target);
    q->transferButton()->click();
    QVERIFY(Utf8(f.user.Messages().back()).find("自动补回的学生：") != std::string::npos ||
            f.user.Messages().back().find("没找到总分之差小于：") != std::string::npos);
    // Without back-fill the student moves and is pinned.
    q->backFill()->setChecked(false);
    q->resultView()->clicked(q->resultModel()->index(1, 0));
    const std::string second = q->resultModel()->grid().Cell(2, 1);
    q->targetBox()->setCurrentIndex(1);
    q->transferButton()->click();
    bool moved = false;
    for (const auto& set : f.state().RangeSets)
      for (const auto& s : set.Students)
        if (s.Number == second) moved = s.AssignedClass == 2 && s.PresetClass == 2;
    QVERIFY(moved);
    QCOMPARE(f.page.scoreLabel()->text().toStdString(),
             Utf8(stats::CurrentScoreCaption(f.state())));
    // Undoing both moves gives back the averages of the division exactly.
    f.page.undoButton()->click();
    if (f.page.undoButton()->isEnabled()) f.page.undoButton()->click();
    QCOMPARE(engine::ShowAverages(f.state()), divided);
  }

  void PastedBatchMovesItsRows() {
    Fixture f;
    f.page.innerPages()->setCurrentIndex(4);
    ui::division::QueryPage* q = f.page.queryPage();
    QCOMPARE(q->batchModel()->rowCount(), 9);
    std::string moves;
    std::vector<std::string> numbers;
    for (int i = 0; i < 3; ++i) {
      const model::student& s = f.state().RangeSets[1].Students[20 + i];
      const int target = s.AssignedClass == 3 ? 4 : 3;
      moves +=
          s.Number + "\t" + s.Name + "\t" + std::to_string(target) + enc::FromUtf8("班") + "\r\n";
      numbers.push_back(s.Number);
    }
    f.clipboard.SetText(moves);
    q->batchView()->setCurrentIndex(q->batchModel()->index(0, 0));
    q->batchView()->actions()[0]->trigger();
    QCOMPARE(q->batchModel()->grid().Cell(3, 0), numbers[2]);
    q->batchBackFill()->setChecked(false);
    q->batchButton()->click();
    for (std::size_t i = 0; i < numbers.size(); ++i) {
      for (const auto& s : f.state().RangeSets[1].Students) {
        if (s.Number == numbers[i]) QVERIFY(s.PresetClass == s.AssignedClass);
      }
    }
    QVERIFY(f.page.undoButton()->isEnabled());
    // Deleting the first row moves the others up.
    q->batchView()->setCurrentIndex(q->batchModel()->index(0, 0));
    q->batchView()->actions()[1]->trigger();
    QCOMPARE(q->batchModel()->grid().Cell(1, 0), numbers[1]);
  }

  // With TESSALY_SCREENSHOTS set to a folder: every inner page after a
  // division of the sample, at the two screen sizes, as PNG files there.
  void Screenshots() {
    const QString folder = qEnvironmentVariable("TESSALY_SCREENSHOTS");
    if (folder.isEmpty()) QSKIP("TESSALY_SCREENSHOTS not set");
    Fixture f;
    f.page.show();
    const char* names[] = {"averages", "roster", "counts", "samenames", "query"};
    for (QSize size : {QSize(1366, 700), QSize(1920, 1010)}) {
      f.page.resize(size);
      for (int i = 0; i < 5; ++i) {
        f.page.innerPages()->setCurrentIndex(i);
        if (i == 2) f.page.countsPage()->computeButton()->click();
        QCoreApplication::processEvents();
        const QString file = QStringLiteral("%1/division-%2-%3.png")
                                 .arg(folder, QString::fromLatin1(names[i]))
                                 .arg(size.width());
        QVERIFY(f.page.grab().save(file));
      }
    }
  }

  void AnOpenedFileForgetsTheSteps() {
    Fixture f;
    ui::division::AveragesPage* p = f.page.averagesPage();
    p->totalRangeBox()->setCurrentIndex(3);
    QTest::keyClicks(p->totalControl(), "0.5");
    p->totalButton()->click();
    QVERIFY(f.page.undoButton()->isEnabled());
    // Another division arrives from the import page: the steps are gone.
    f.state().RangeSets[0].Students[0].AssignedClass = -1;
    f.page.Enter();
    QVERIFY(!f.page.undoButton()->isEnabled());
  }
};

QTEST_MAIN(DivisionPageTest)
#include "division_page_test.moc"
