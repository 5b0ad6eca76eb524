#include "ui/score_view.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolTip>
#include <algorithm>

#include "ui/grid_model.h"
#include "ui/qt_text.h"

namespace tessaly::ui {

namespace {

// Paints the view's corner button as a header section carrying the heading
// of the grid's first column ("序号").
class CornerPainter : public QObject {
 public:
  CornerPainter(GridModel* model, QObject* parent) : QObject(parent), model_(model) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Paint) return false;
    auto* button = static_cast<QAbstractButton*>(watched);
    QStylePainter painter(button);
    QStyleOptionHeader option;
    option.initFrom(button);
    option.rect = button->rect();
    option.text = Q(model_->grid().Cell(0, 0));
    option.textAlignment = Qt::AlignCenter;
    option.position = QStyleOptionHeader::OnlyOneSection;
    painter.drawControl(QStyle::CE_Header, option);
    return true;
  }

 private:
  GridModel* model_;
};

// Cells too narrow for their text show the whole text as a tooltip; the
// others show what the model says of them (the level cells' hint).
class FullTextDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) override {
    if (event != nullptr && event->type() == QEvent::ToolTip && index.isValid()) {
      const QString text = index.data(Qt::DisplayRole).toString();
      if (!text.isEmpty() && sizeHint(option, index).width() > option.rect.width()) {
        QToolTip::showText(event->globalPos(), text, view->viewport(), option.rect);
        return true;
      }
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
  }
};

}  // namespace

QTableView* MakeScoreView(GridModel* model, QWidget* parent) {
  auto* view = new QTableView(parent);
  view->setModel(model);
  view->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view->setSelectionBehavior(QAbstractItemView::SelectItems);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setWordWrap(false);
  view->setItemDelegate(new FullTextDelegate(view));
  view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  view->horizontalHeader()->setResizeContentsPrecision(60);
  view->horizontalHeader()->setHighlightSections(false);
  QHeaderView* rows = view->verticalHeader();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(view->fontMetrics().height() + 8);
  rows->setDefaultAlignment(Qt::AlignCenter);
  rows->setMinimumWidth(40);
  if (auto* corner = view->findChild<QAbstractButton*>()) {
    corner->installEventFilter(new CornerPainter(model, view));
  }
  return view;
}

void SetScoreGrid(QTableView* view, GridModel* model, const model::Grid& grid) {
  model->SetGrid(grid);
  FitColumns(view, 220);
}

void FitColumns(QTableView* view, int max_width) {
  const QAbstractItemModel* model = view->model();
  if (model == nullptr || model->columnCount() == 0) return;
  // Every row of the result tables (a range's key may stand far down);
  // the first rows of a long roster, where measuring all would stall.
  constexpr int kMeasuredRows = 3000;
  view->horizontalHeader()->setResizeContentsPrecision(model->rowCount() <= kMeasuredRows ? -1
                                                                                          : 60);
  view->resizeColumnsToContents();
  for (int c = 0; c < model->columnCount(); ++c) {
    if (view->columnWidth(c) > max_width) view->setColumnWidth(c, max_width);
  }
}

void SetColumnWidths(QTableView* view, std::span<const int> widths) {
  // Texts up to this wide are shown whole (a range key such as
  // "按学号|202500001-202500642-|"); longer ones show as a tooltip.
  constexpr int kWidest = 360;
  int c = 0;
  for (int w : widths) {
    // Never narrower than the heading, whatever the screen's font, nor than
    // the cells' texts.
    const int content =
        std::min(kWidest, static_cast<const QAbstractItemView*>(view)->sizeHintForColumn(c));
    view->setColumnWidth(c, std::max({w, view->horizontalHeader()->sectionSizeHint(c), content}));
    ++c;
  }
}

}  // namespace tessaly::ui
