// The versions window, the averages chart and the printed class lists,
// driven through their widgets on the divided sample cohort.

#include "ui/division/versions_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <map>

#include "io/division_file.h"
#include "model/clipboard_port.h"
#include "model/settings_port.h"
#include "platform/encoding.h"
#include "stats/averages_chart.h"
#include "stats/division_versions.h"
#include "support/fake_user.h"
#include "ui/division/averages_chart_view.h"
#include "ui/division/averages_page.h"
#include "ui/division/division_context.h"
#include "ui/division/division_page.h"
#include "ui/division/print_window.h"
#include "ui/grid_model.h"
#include "ui/sample_division.h"

using namespace tessaly;
using tessaly::ui::division::DivisionPage;

namespace {

struct Fixture : uitest::SampleDivision {
  QPushButton* Named(const char* name) { return page.findChild<QPushButton*>(name); }
};

void Choose(QTableView* view, std::initializer_list<int> rows) {
  view->clearSelection();
  for (int row : rows) {
    view->selectionModel()->select(view->model()->index(row, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
}

}  // namespace

class VersionsWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void VersionsAreKeptComparedRestoredAndDeleted() {
    Fixture f;
    f.Named("versionsButton")->click();
    auto* w = f.page.findChild<ui::division::VersionsWindow*>();
    QVERIFY(w && w->isVisible());
    QVERIFY(!w->restoreButton()->isEnabled());
    const auto divided = f.state().RangeSets;
    w->nameBox()->setText(QStringLiteral("初分"));
    w->saveButton()->click();
    QCOMPARE(w->listModel()->rowCount(), 1);
    QVERIFY(w->nameBox()->text().isEmpty());

    f.page.optimiseButton()->click();
    QVERIFY(f.state().RangeSets != divided);
    w->nameBox()->setText(QStringLiteral("优化后"));
    QTest::keyClick(w->nameBox(), Qt::Key_Return);
    QCOMPARE(w->listModel()->rowCount(), 2);

    // Nothing chosen: every version beside the current division.
    w->compareButton()->click();
    const model::Grid& g = w->comparison()->grid();
    QCOMPARE(g.ColumnCount(), 4u);
    QCOMPARE(g, stats::CompareVersions(f.state(), f.user, {"初分"_gb, "优化后"_gb}));
    QCOMPARE(g.rows.back()[3], std::string("0"));
    QVERIFY(g.rows.back()[2] != "0");

    // Restore: one undo step, and the comparison follows the new division.
    Choose(w->list(), {0});
    w->restoreButton()->click();
    QCOMPARE(f.state().RangeSets, divided);
    QCOMPARE(w->comparison()->grid().rows.back()[2], std::string("0"));
    QVERIFY(f.page.undoButton()->isEnabled());
    f.page.undoButton()->click();
    QVERIFY(f.state().RangeSets != divided);

    // Delete asks first; No keeps the version.
    Choose(w->list(), {1});
    f.user.confirm_answers = {false, true};
    w->deleteButton()->click();
    QCOMPARE(f.state().Versions.size(), 2u);
    w->deleteButton()->click();
    QCOMPARE(f.state().Versions.size(), 1u);
    QCOMPARE(f.state().Versions[0].Name, "初分"_gb);
    QCOMPARE(w->listModel()->rowCount(), 1);
    // Restore without a choice warns and changes nothing.
    w->list()->clearSelection();
    const auto before = f.state().RangeSets;
    w->restoreButton()->click();
    QCOMPARE(f.state().RangeSets, before);
    QCOMPARE(f.user.Messages().back(), std::string("warning: 请在列表中选择一个要恢复的方案！"));
  }

  void TheChartFollowsTheDivision() {
    Fixture f;
    f.page.averagesPage()->chartButton()->click();
    auto* w = f.page.averagesPage()->findChild<ui::division::AveragesChartWindow*>();
    QVERIFY(w && w->isVisible());
    const auto& chart = w->view()->chart();
    QCOMPARE(chart.size(), 3u);  // the three ranges of the sample
    QCOMPARE(chart[2].class_ids.size(), 8u);
    QCOMPARE(chart[2].measures.size(), 10u);  // 总分 and nine subjects
    f.page.optimiseButton()->click();
    const auto now = stats::AveragesChart(f.state());
    QCOMPARE(w->view()->chart().size(), now.size());
    for (std::size_t r = 0; r < now.size(); ++r) {
      QCOMPARE(w->view()->chart()[r].deviation, now[r].deviation);
    }
    // Bars are painted: coloured pixels on the white ground.
    const QImage image = w->view()->grab().toImage();
    int coloured = 0;
    for (int y = 0; y < image.height(); y += 2) {
      for (int x = 0; x < image.width(); x += 2) {
        const QColor c = image.pixelColor(x, y);
        coloured += c.saturation() > 100;
      }
    }
    QVERIFY(coloured > 200);
  }

  void ClassListsAreWrittenAsPdf() {
    Fixture f;
    ui::division::PrintWindow w(f.page.context(), &f.page);
    QCOMPARE(w.classBox()->count(), 1 + 16);
    QVERIFY(!w.columnBoxes().empty());
    QCOMPARE(w.columnBoxes()[0]->text(), QStringLiteral("总分"));
    w.columnBoxes()[0]->setChecked(true);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lists.pdf"));
    QVERIFY(w.WritePdf(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");
    // The text reads back where poppler's tools are installed.
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (!pdftotext.isEmpty()) {
      QProcess p;
      p.start(pdftotext, {path, QStringLiteral("-")});
      QVERIFY(p.waitForFinished(60000));
      const QString text = QString::fromUtf8(p.readAllStandardOutput());
      // Every class on its own pages, and the student numbers on them.
      QVERIFY(text.count(QChar('\f')) >= 17);
      const auto& s = f.state().RangeSets[0].Students[0];
      QVERIFY(text.contains(QString::fromStdString(s.Number)));
    }
    // Nothing divided: a warning, no file.
    f.state().RangeSets.clear();
    const QString none = dir.filePath(QStringLiteral("none.pdf"));
    QVERIFY(!w.WritePdf(none));
    QVERIFY(!QFile::exists(none));
    QCOMPARE(f.user.Messages().back(),
             std::string("warning: 还没有分班结果，没有可打印的分班名单！"));
  }
};

QTEST_MAIN(VersionsWindowTest)
#include "versions_window_test.moc"
