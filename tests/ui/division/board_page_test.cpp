// The class board of the division page driven as a teacher drives it: cards
// dragged (the view's drag and drop handling with the card's own data) onto
// another class and onto a card of another class, with and without
// back-fill; a pinned card refused; a namesake move warned and asked; undo
// and redo; Ctrl+Right; and the board agreeing with the averages table after
// moves made on it and on the query page.

#include "ui/division/board_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>
#include <map>
#include <memory>

#include "adjust/class_board.h"
#include "engine/evaluation.h"
#include "io/division_file.h"
#include "platform/encoding.h"
#include "support/fake_user.h"
#include "ui/division/board_view.h"
#include "ui/division/division_context.h"
#include "ui/division/division_page.h"
#include "ui/division/query_page.h"
#include "ui/grid_model.h"
#include "ui/sample_division.h"

using namespace tessaly;
using tessaly::ui::division::BoardPage;
using tessaly::ui::division::BoardView;
using tessaly::ui::division::DivisionPage;

namespace {

// The sample divided, the board of its second range (six classes) showing.
struct Fixture : uitest::SampleDivision {
  Fixture() : SampleDivision(700) {
    page.innerPages()->setCurrentIndex(5);
    board()->rangeBox()->setCurrentIndex(1);
    page.show();
  }
  BoardPage* board() { return page.boardPage(); }
  BoardView* view() { return board()->view(); }
  const adjust::ClassBoard& model() { return board()->board(); }

  // Where the student is on the board now: its column, or -1.
  int ColumnOf(const std::string& number) {
    const auto place = adjust::FindCard(model(), number);
    return place ? static_cast<int>(place->column) : -1;
  }
  // The first card of `column` that may move and has no namesake in
  // `other` (a plain move that does not warn).
  std::string Mover(std::size_t column, std::size_t other) {
    for (const adjust::BoardCard& c : model().columns[column].cards) {
      if (c.pinned()) continue;
      bool namesake = false;
      for (const adjust::BoardCard& o : model().columns[other].cards) {
        namesake = namesake || (!c.sound_key.empty() && o.sound_key == c.sound_key);
      }
      if (!namesake) return c.number;
    }
    return {};
  }

  // A drag of `number`'s card entering the board and moving to `at`;
  // returns whether the board accepted it there.
  bool DragOver(const std::string& number, const QPoint& at) {
    std::unique_ptr<QMimeData> data(BoardView::CardData(number));
    QDragEnterEvent enter(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view()->viewport(), &enter);
    QDragMoveEvent move(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view()->viewport(), &move);
    return move.isAccepted();
  }
  void Drop(const std::string& number, const QPoint& at) {
    DragOver(number, at);
    std::unique_ptr<QMimeData> data(BoardView::CardData(number));
    QDropEvent drop(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view()->viewport(), &drop);
  }
};

std::string Utf8(const std::string& cp936) {
  return enc::ToUtf8(cp936);
}

}  // namespace

class BoardPageTest : public QObject {
  Q_OBJECT
 private slots:
  void BoardShowsTheClassesWithTheAveragesTablesFigures() {
    Fixture f;
    QCOMPARE(f.page.innerPages()->tabText(5), QStringLiteral("调班看板"));
    QCOMPARE(f.board()->rangeBox()->count(), 3);
    QCOMPARE(f.model().columns.size(), 6u);
    QVERIFY(f.board()->backFill()->isChecked());
    QVERIFY(f.board()->legend()->text().contains(QStringLiteral("≤0.5分")));
    const model::Grid averages = engine::ShowAverages(f.state());
    std::size_t seen = 0;
    for (const auto& column : f.model().columns) {
      for (std::size_t r = 0; r < averages.RowCount(); ++r) {
        if (averages.Cell(r, 0) != std::to_string(column.figures.class_id) + enc::FromUtf8(" 班"))
          continue;
        // The first row of the class is its averages; the total is last.
        const auto& row = averages.rows[r];
        QCOMPARE(Utf8(row[averages.rows[0].size() - 1]), Utf8(adjust::AverageText(column.figures)));
        ++seen;
        break;
      }
    }
    QCOMPARE(seen, 6u);
    // The search highlights matching cards.
    const std::string name = f.model().columns[2].cards[0].name;
    f.board()->searchBox()->setText(QString::fromStdString(Utf8(name)));
    QVERIFY(adjust::CardOf(f.model(), f.model().columns[2].cards[0].number) != nullptr);
    std::size_t marked = 0;
    for (const auto& c : f.model().columns)
      for (const auto& card : c.cards) marked += card.match ? 1 : 0;
    QVERIFY(marked >= 1);
  }

  void DragWithoutBackFillMovesPinsAndUndoes() {
    Fixture f;
    f.board()->backFill()->setChecked(false);
    const std::string number = f.Mover(0, 1);
    QVERIFY(!number.empty());
    const std::size_t size1 = f.model().columns[1].cards.size();
    // Over the other class: the figures after the move and the target colour.
    QVERIFY(f.DragOver(number, f.view()->ColumnPoint(1)));
    QCOMPARE(f.view()->HoverColumn(), std::optional<std::size_t>(1));
    QVERIFY(f.view()->HoverPreview() != nullptr);
    const adjust::MovePreview p = *f.view()->HoverPreview();  // the drop clears it
    QVERIFY(p.possible && !p.Warns());
    QCOMPARE(p.to_after.size, static_cast<std::int32_t>(size1 + 1));
    QVERIFY(f.view()->ColumnColour(1) != f.view()->ColumnColour(2));
    f.Drop(number, f.view()->ColumnPoint(1));
    QCOMPARE(f.ColumnOf(number), 1);
    QVERIFY(adjust::CardOf(f.model(), number)->pinned());
    QCOMPARE(f.model().columns[1].cards.size(), size1 + 1);
    QVERIFY(f.board()->statusLabel()->text().contains(QStringLiteral("调入")));
    // The averages agree with the board after the move.
    QCOMPARE(Utf8(adjust::AverageText(f.model().columns[1].figures)),
             Utf8(adjust::AverageText(p.to_after)));
    f.page.undoButton()->click();
    QCOMPARE(f.ColumnOf(number), 0);
    QVERIFY(!adjust::CardOf(f.model(), number)->pinned());
    f.page.redoButton()->click();
    QCOMPARE(f.ColumnOf(number), 1);
    QVERIFY(f.user.Messages().empty());
  }

  void DragWithBackFillShowsWhoCameBack() {
    Fixture f;
    const std::string number = f.Mover(2, 3);
    const std::size_t size2 = f.model().columns[2].cards.size();
    QVERIFY(f.DragOver(number, f.view()->ColumnPoint(3)));
    const adjust::MovePreview* p = f.view()->HoverPreview();
    QVERIFY(p != nullptr && p->back_filled);
    const std::string back = p->back_filled->number;
    QVERIFY(f.view()->HoverText().contains(QStringLiteral("自动补回")));
    f.Drop(number, f.view()->ColumnPoint(3));
    QCOMPARE(f.ColumnOf(number), 3);
    QCOMPARE(f.ColumnOf(back), 2);
    QCOMPARE(f.model().columns[2].cards.size(), size2);
    QVERIFY(f.board()->statusLabel()->text().contains(QStringLiteral("自动补回的学生：")));
    f.page.undoButton()->click();
    QCOMPARE(f.ColumnOf(number), 2);
    QCOMPARE(f.ColumnOf(back), 3);
  }

  void DropOnACardExchangesAsOneStep() {
    Fixture f;
    const std::string a = f.Mover(0, 4);
    const std::string b = f.Mover(4, 0);
    f.Drop(a, f.view()->CardPoint(b));
    QCOMPARE(f.ColumnOf(a), 4);
    QCOMPARE(f.ColumnOf(b), 0);
    QVERIFY(f.board()->statusLabel()->text().contains(QStringLiteral("对换")));
    f.page.undoButton()->click();
    QCOMPARE(f.ColumnOf(a), 0);
    QCOMPARE(f.ColumnOf(b), 4);
    QVERIFY(!f.page.undoButton()->isEnabled());
  }

  void PinnedCardIsRefused() {
    Fixture f;
    f.board()->backFill()->setChecked(false);
    const std::string number = f.Mover(0, 1);
    f.Drop(number, f.view()->ColumnPoint(1));  // now pinned to its new class
    QVERIFY(adjust::CardOf(f.model(), number)->pinned());
    const model::ProgramState before = f.state();
    QVERIFY(!f.DragOver(number, f.view()->ColumnPoint(2)));
    QVERIFY(!f.view()->HoverPreview()->possible);
    QVERIFY(f.view()->HoverText().contains(QStringLiteral("已预设在")));
    f.Drop(number, f.view()->ColumnPoint(2));
    QCOMPARE(f.ColumnOf(number), 1);
    QVERIFY(f.state() == before);
    QCOMPARE(f.user.Messages().size(), 1u);
    QVERIFY(f.user.Messages()[0].find("不能调动") != std::string::npos);
  }

  void NamesakeMoveWarnsAndAsks() {
    Fixture f;
    f.board()->backFill()->setChecked(false);
    // Two namesakes in different classes of the range.
    std::string number;
    std::size_t target = 0;
    const auto& columns = f.model().columns;
    for (std::size_t k = 0; k < columns.size() && number.empty(); ++k) {
      for (const auto& c : columns[k].cards) {
        if (c.pinned() || c.sound_key.empty() || !number.empty()) continue;
        for (std::size_t o = 0; o < columns.size() && number.empty(); ++o) {
          if (o == k) continue;
          for (const auto& d : columns[o].cards) {
            if (d.sound_key == c.sound_key) {
              number = c.number;
              target = o;
            }
          }
        }
      }
    }
    QVERIFY(!number.empty());
    const int from = f.ColumnOf(number);
    QVERIFY(f.DragOver(number, f.view()->ColumnPoint(target)));
    QVERIFY(f.view()->HoverPreview()->Warns());
    QVERIFY(f.view()->HoverText().contains(QStringLiteral("同名或读音相近")));
    const QColor warning = f.view()->ColumnColour(target);
    QVERIFY(f.DragOver(f.Mover(from == 0 ? 1 : 0, target), f.view()->ColumnPoint(target)));
    QVERIFY(f.view()->ColumnColour(target) != warning);
    f.user.confirm_answers = {false};
    f.Drop(number, f.view()->ColumnPoint(target));
    QCOMPARE(f.ColumnOf(number), from);
    QVERIFY(f.user.Messages().back().find("仍然要调班吗？") != std::string::npos);
    f.user.confirm_answers = {true};
    f.Drop(number, f.view()->ColumnPoint(target));
    QCOMPARE(f.ColumnOf(number), static_cast<int>(target));
  }

  void CtrlRightMovesTheSelectedCard() {
    Fixture f;
    f.board()->backFill()->setChecked(false);
    const std::string number = f.Mover(2, 3);
    QTest::mouseClick(f.view()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      f.view()->CardPoint(number));
    QCOMPARE(f.view()->selected(), number);
    QTest::keyClick(f.view(), Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(f.ColumnOf(number), 3);
    QCOMPARE(f.view()->selected(), number);
    f.page.undoButton()->click();
    QCOMPARE(f.ColumnOf(number), 2);
  }

  void MovesElsewhereShowOnTheBoard() {
    Fixture f;
    f.board()->backFill()->setChecked(false);
    const std::string number = f.Mover(0, 5);
    const std::int32_t target = f.model().columns[5].figures.class_id;
    f.page.innerPages()->setCurrentIndex(4);
    ui::division::QueryPage* q = f.page.queryPage();
    q->backFill()->setChecked(false);
    q->numberBox()->setText(QString::fromStdString(Utf8(number)));
    q->nameBox()->setText(QString::fromStdString(Utf8(adjust::CardOf(f.model(), number)->name)));
    q->targetBox()->setCurrentIndex(q->targetBox()->findText(QStringLiteral("%1 班").arg(target)));
    q->transferButton()->click();
    f.page.innerPages()->setCurrentIndex(5);
    QCOMPARE(f.ColumnOf(number), 5);
    f.page.undoButton()->click();
    QCOMPARE(f.ColumnOf(number), 0);
  }
};

QTEST_MAIN(BoardPageTest)
#include "board_page_test.moc"
