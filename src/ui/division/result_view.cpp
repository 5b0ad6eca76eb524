#include "ui/division/result_view.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>
#include <algorithm>

#include "io/export/all_data.h"
#include "ui/division/division_context.h"
#include "ui/score_view.h"

namespace tessaly::ui::division {

QTableView* MakeGridView(GridModel* model, bool heading_row, QWidget* parent) {
  QTableView* view = MakeScoreView(model, parent);
  view->verticalHeader()->hide();
  if (!heading_row) view->horizontalHeader()->hide();
  return view;
}

QTableView* MakeResultView(GridModel* model, bool heading_row, DivisionContext& ctx,
                           QWidget* parent) {
  QTableView* view = MakeGridView(model, heading_row, parent);
  view->setContextMenuPolicy(Qt::ActionsContextMenu);
  auto* selected = new QAction(QStringLiteral("复制所选单元格"), view);
  auto* whole = new QAction(QStringLiteral("复制整张表格"), view);
  view->addAction(selected);
  view->addAction(whole);
  QObject::connect(selected, &QAction::triggered, view, [view, model, &ctx] {
    const auto range = SelectedGridRange(view, model);
    if (!range) return;
    io::exports::CopyTable(model->grid(), false, *range, ctx.clipboard(), ctx.user());
  });
  QObject::connect(whole, &QAction::triggered, view, [model, &ctx] {
    io::exports::CopyTable(model->grid(), true, io::CellRange{}, ctx.clipboard(), ctx.user());
  });
  return view;
}

std::optional<io::CellRange> SelectedGridRange(const QTableView* view, const GridModel* model) {
  const QModelIndexList cells = view->selectionModel()->selectedIndexes();
  int left = 0, top = 0, right = -1, bottom = -1;
  if (!cells.isEmpty()) {
    left = top = INT32_MAX;
    for (const QModelIndex& i : cells) {
      left = std::min(left, i.column());
      right = std::max(right, i.column());
      top = std::min(top, i.row());
      bottom = std::max(bottom, i.row());
    }
  } else if (view->currentIndex().isValid()) {
    left = right = view->currentIndex().column();
    top = bottom = view->currentIndex().row();
  } else {
    return std::nullopt;
  }
  return io::CellRange{model->GridColumn(left), model->GridRow(top), model->GridColumn(right),
                       model->GridRow(bottom)};
}

std::optional<std::pair<std::size_t, std::size_t>> SelectedGridRows(const QTableView* view,
                                                                    const GridModel* model) {
  const auto range = SelectedGridRange(view, model);
  if (!range) return std::nullopt;
  return std::make_pair(range->top, range->bottom);
}

}  // namespace tessaly::ui::division
