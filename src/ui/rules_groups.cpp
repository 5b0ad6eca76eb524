#include "ui/rules_groups.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <array>

#include "ui/grid_model.h"
#include "ui/qt_text.h"
#include "ui/score_view.h"

namespace tessaly::ui {

namespace {
constexpr std::array<int, 3> kWidths = {56, 230, 110};
}  // namespace

GroupsPanel::GroupsPanel(Session& session, QWidget* parent)
    : QGroupBox(QStringLiteral("分班约束（同班 / 不同班）"), parent), s_(session) {
  setObjectName(QStringLiteral("GroupsPanel"));
  auto* layout = new QHBoxLayout(this);
  model_ = new GridModel(GridModel::Layout{true, false, 0, 3}, this);
  model_->SetEditableColumns({static_cast<int>(rules::kGroupNoteColumn)},
                             [this](std::size_t row, std::size_t, const QString& text) {
                               rules::EditGroupNote(page_, s_.state, static_cast<int>(row),
                                                    Gb(text));
                               Render();
                             });
  model_->SetEditing(true);
  view_ = MakeScoreView(model_, this);
  view_->setObjectName(QStringLiteral("GroupsGrid"));
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->verticalHeader()->hide();
  view_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
  view_->setMinimumWidth(kWidths[0] + kWidths[1] + kWidths[2] + 24);
  layout->addWidget(view_, 3);

  auto* inputs = new QVBoxLayout;
  layout->addLayout(inputs, 2);
  // The box says what it takes inside itself, and stays three lines high:
  // the second rules page must still fit a 1366x768 screen.
  numbers_ = new QPlainTextEdit(this);
  numbers_->setObjectName(QStringLiteral("GroupNumbers"));
  numbers_->setPlaceholderText(QStringLiteral("学号（可从表格粘贴，每行一个或多个）"));
  numbers_->setToolTip(
      QStringLiteral("输入或粘贴一组学生的学号，每行一个或多个，"
                     "再点“添加不同班”或“添加同班”"));
  numbers_->setMaximumHeight(60);
  inputs->addWidget(numbers_);
  auto* note_row = new QHBoxLayout;
  note_row->addWidget(new QLabel(QStringLiteral("备注："), this));
  note_ = new QLineEdit(this);
  note_->setObjectName(QStringLiteral("GroupNote"));
  note_row->addWidget(note_, 1);
  inputs->addLayout(note_row);
  auto* buttons = new QHBoxLayout;
  add_apart_ = new QPushButton(QStringLiteral("添加不同班"), this);
  add_together_ = new QPushButton(QStringLiteral("添加同班"), this);
  delete_ = new QPushButton(QStringLiteral("删除所选约束"), this);
  for (QPushButton* b : {add_apart_, add_together_, delete_}) buttons->addWidget(b);
  inputs->addLayout(buttons);
  inputs->addStretch();

  connect(add_apart_, &QPushButton::clicked, this, [this] { Add(model::GroupKind::kApart); });
  connect(add_together_, &QPushButton::clicked, this, [this] { Add(model::GroupKind::kTogether); });
  connect(delete_, &QPushButton::clicked, this, [this] {
    const QModelIndexList rows = view_->selectionModel()->selectedRows();
    if (rows.isEmpty()) return;
    rules::DeleteGroup(page_, s_.state, static_cast<int>(model_->GridRow(rows.front().row())));
    Render();
  });
}

void GroupsPanel::Add(model::GroupKind kind) {
  if (rules::AddGroup(page_, s_.state, s_.user, kind, Gb(numbers_->toPlainText()),
                      Gb(note_->text()))) {
    numbers_->clear();
    note_->clear();
  }
  Render();
}

void GroupsPanel::Enter() {
  rules::RefreshGroupGrid(page_, s_.state);
  Render();
}

void GroupsPanel::Render() {
  model_->SetGrid(page_.grid);
  SetColumnWidths(view_, kWidths);
}

}  // namespace tessaly::ui
