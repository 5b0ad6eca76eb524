#include "ui/division/roster_page.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "engine/division.h"
#include "engine/names/same_names.h"
#include "engine/roster.h"
#include "ui/division/division_context.h"
#include "ui/division/result_view.h"
#include "ui/grid_model.h"
#include "ui/qt_text.h"
#include "ui/score_view.h"

namespace tessaly::ui::division {

RosterPage::RosterPage(DivisionContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
  list_ = new QListWidget(this);
  list_->setFixedWidth(130);
  model_ = new GridModel(GridModel::Layout{true, false, 0, 0}, this);
  view_ = MakeResultView(model_, true, ctx_, this);
  auto* hint = new QLabel(QStringLiteral("选定单元格后，点击鼠标右键，选择<复制>"
                                         "，然后打开Excel或WPS选择粘贴，可把相应的数据复制出来。"),
                          this);
  hint->setFrameShape(QFrame::StyledPanel);
  auto* row = new QHBoxLayout;
  row->addWidget(list_);
  row->addWidget(view_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row, 1);
  layout->addWidget(hint);
  connect(list_, &QListWidget::currentRowChanged, this, &RosterPage::Choose);
}

void RosterPage::Render() {
  const std::vector<std::string> items = engine::ClassListItems(ctx_.state());
  const QSignalBlocker block(list_);
  list_->clear();
  int chosen = -1;
  for (std::size_t i = 0; i < items.size(); ++i) {
    list_->addItem(Q(items[i]));
    if (items[i] == ctx_.rosterItem()) chosen = static_cast<int>(i);
  }
  // A class the list no longer names (the ranges changed): every student.
  if (chosen < 0 && !items.empty()) {
    chosen = 0;
    ctx_.SetRosterItem(items[0]);
  }
  list_->setCurrentRow(chosen);
  SetScoreGrid(view_, model_, engine::ClassRosterOfItem(ctx_.state(), ctx_.rosterItem()));
}

void RosterPage::Choose(int row) {
  if (row < 0 || row >= list_->count()) return;
  ctx_.SetRosterItem(Gb(list_->item(row)->text()));
  Render();
}

SameNamesPage::SameNamesPage(DivisionContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
  model_ = new GridModel(GridModel::Layout{false, false, 0, 0}, this);
  view_ = MakeResultView(model_, false, ctx_, this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(view_);
}

void SameNamesPage::Render() {
  model_->SetGrid(engine::ShowSameNames(ctx_.state()));
  if (model_->columnCount() > 0) {
    FitColumns(view_, 560);
    // The first column holds the range headings: wide enough for them, but
    // never so wide that the names are pushed off the page.
    view_->setColumnWidth(0, std::clamp(view_->columnWidth(0), 120, 560));
  }
}

}  // namespace tessaly::ui::division
