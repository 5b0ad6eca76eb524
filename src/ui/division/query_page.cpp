#include "ui/division/query_page.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include "ui/division/division_context.h"
#include "ui/division/result_view.h"
#include "ui/grid_model.h"
#include "ui/key_input.h"
#include "ui/qt_text.h"
#include "ui/score_view.h"

namespace tessaly::ui::division {

namespace {

QSpinBox* LimitBox(QWidget* parent) {
  auto* spin = new QSpinBox(parent);
  spin->setRange(0, 1000);
  spin->setValue(20);
  AcceptFullWidth(spin);
  return spin;
}

void Fill(QComboBox* box, const std::vector<std::string>& items, const std::string& current) {
  const QSignalBlocker block(box);
  box->clear();
  int chosen = -1;
  for (std::size_t i = 0; i < items.size(); ++i) {
    box->addItem(Q(items[i]));
    if (items[i] == current) chosen = static_cast<int>(i);
  }
  box->setCurrentIndex(chosen);
}

}  // namespace

QueryPage::QueryPage(DivisionContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
  // The query.
  auto* kind_group = new QGroupBox(QStringLiteral("查询类别选择"), this);
  auto* kind_layout = new QHBoxLayout(kind_group);
  kinds_ = new QButtonGroup(this);
  const char* captions[] = {"按姓名首字母查询", "按姓名查询", "按学号查询", "查看整个班级"};
  for (int k = 1; k <= 4; ++k) {
    auto* radio = new QRadioButton(QString::fromUtf8(captions[k - 1]), kind_group);
    kinds_->addButton(radio, k);
    kind_layout->addWidget(radio);
  }
  class_box_ = new QComboBox(kind_group);
  class_box_->setMinimumWidth(80);
  kind_layout->addWidget(class_box_);
  query_ = new QLineEdit(this);
  query_->setMinimumWidth(140);
  query_->installEventFilter(this);
  query_button_ = new QPushButton(QStringLiteral("查询"), this);
  auto* query_row = new QHBoxLayout;
  query_row->addWidget(kind_group);
  query_row->addWidget(new QLabel(QStringLiteral("查询信息输入："), this));
  query_row->addWidget(query_);
  query_row->addWidget(query_button_);
  query_row->addStretch();

  results_ = new GridModel(GridModel::Layout{true, false, 0, 0}, this);
  results_view_ = MakeGridView(results_, true, this);
  results_view_->setSelectionBehavior(QAbstractItemView::SelectRows);

  // The manual transfer.
  auto* adjust_group = new QGroupBox(QStringLiteral("调整班级"), this);
  number_ = new QLineEdit(adjust_group);
  name_ = new QLineEdit(adjust_group);
  target_ = new QComboBox(adjust_group);
  back_fill_ = new QCheckBox(QStringLiteral("自动补回人数"), adjust_group);
  back_fill_->setChecked(true);
  limit_ = LimitBox(adjust_group);
  transfer_ = new QPushButton(QStringLiteral("开始调班"), adjust_group);
  // Number and name share a row, so that the page fits a 1366x768 screen
  // with a task bar.
  auto* adjust_layout = new QGridLayout(adjust_group);
  auto* who = new QHBoxLayout;
  who->addWidget(new QLabel(QStringLiteral("学号："), adjust_group));
  who->addWidget(number_, 3);
  who->addWidget(new QLabel(QStringLiteral("姓名："), adjust_group));
  who->addWidget(name_, 2);
  adjust_layout->addLayout(who, 0, 0, 1, 2);
  adjust_layout->addWidget(new QLabel(QStringLiteral("转入到："), adjust_group), 2, 0);
  adjust_layout->addWidget(target_, 2, 1);
  adjust_layout->addWidget(
      new QLabel(QStringLiteral("调整时，是否对调出班级自动补回匹配度最高的学生"), adjust_group), 3,
      0, 1, 2);
  adjust_layout->addWidget(back_fill_, 4, 0, 1, 2);
  auto* limit_row = new QHBoxLayout;
  auto* limit_label = new QLabel(
      QStringLiteral("自动补回的学生总分与当前被调整的学生总分之差不超过："), adjust_group);
  limit_label->setWordWrap(true);
  limit_row->addWidget(limit_label, 1);
  limit_row->addWidget(limit_);
  limit_row->addWidget(new QLabel(QStringLiteral("分"), adjust_group));
  adjust_layout->addLayout(limit_row, 5, 0, 1, 2);
  adjust_layout->addWidget(transfer_, 6, 0, 1, 2);
  adjust_layout->setRowStretch(7, 1);
  adjust_group->setFixedWidth(360);

  auto* results_box = new QVBoxLayout;
  results_box->addWidget(
      new QLabel(QStringLiteral("查询结果（点击相应行，相关学生可自动进入调整项目内容）："), this));
  results_box->addWidget(results_view_, 1);
  auto* upper = new QHBoxLayout;
  upper->addLayout(results_box, 1);
  upper->addWidget(adjust_group);

  // The batch transfer.
  batch_ = new GridModel(GridModel::Layout{true, false, 0, 4}, this);
  batch_view_ = MakeGridView(batch_, true, this);
  batch_view_->setContextMenuPolicy(Qt::ActionsContextMenu);
  batch_view_->installEventFilter(this);
  auto* paste = new QAction(QStringLiteral("粘贴"), batch_view_);
  auto* remove = new QAction(QStringLiteral("删除行"), batch_view_);
  auto* clear = new QAction(QStringLiteral("清除内容"), batch_view_);
  batch_view_->addActions({paste, remove, clear});
  batch_back_fill_ = new QCheckBox(QStringLiteral("自动补回人数"), this);
  batch_back_fill_->setChecked(true);
  batch_limit_ = LimitBox(this);
  batch_button_ = new QPushButton(QStringLiteral("批量调整"), this);
  auto* batch_controls = new QVBoxLayout;
  auto* batch_question = new QHBoxLayout;
  batch_question->addWidget(
      new QLabel(QStringLiteral("调整时，是否对调出班级自动补回匹配度最高的学生"), this));
  batch_question->addWidget(batch_back_fill_);
  batch_question->addStretch();
  batch_controls->addLayout(batch_question);
  auto* batch_limit_row = new QHBoxLayout;
  batch_limit_row->addWidget(
      new QLabel(QStringLiteral("自动补回的学生总分与当前学生总分之差不超过："), this));
  batch_limit_row->addWidget(batch_limit_);
  batch_limit_row->addWidget(new QLabel(QStringLiteral("分"), this));
  batch_limit_row->addStretch();
  batch_controls->addLayout(batch_limit_row);
  batch_controls->addWidget(batch_button_);
  batch_controls->addStretch();
  auto* batch_box = new QVBoxLayout;
  batch_box->addWidget(new QLabel(QStringLiteral("批量转班名单（可从excel复制到下表中）:"), this));
  batch_box->addWidget(batch_view_, 1);
  auto* lower = new QHBoxLayout;
  lower->addLayout(batch_box, 1);
  lower->addLayout(batch_controls);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(query_row);
  layout->addLayout(upper, 3);
  layout->addLayout(lower, 2);

  connect(kinds_, &QButtonGroup::idClicked, this, [this](int id) {
    adjust::SelectQueryKind(page_, static_cast<adjust::QueryKind>(id));
    class_box_->setEnabled(page_.class_box_enabled);
  });
  connect(class_box_, &QComboBox::activated, this, [this](int item) {
    adjust::ChooseClassItem(page_, static_cast<std::size_t>(item));
    Render();
  });
  connect(query_button_, &QPushButton::clicked, this, [this] {
    page_.query_text = Gb(query_->text());
    adjust::bsSkinButton12Click(page_, ctx_.user());
    Render();
  });
  connect(results_view_, &QTableView::clicked, this, [this](const QModelIndex& index) {
    adjust::SelectResultRow(page_, results_->GridRow(index.row()));
    number_->setText(Q(page_.adjust_number));
    name_->setText(Q(page_.adjust_name));
  });
  connect(transfer_, &QPushButton::clicked, this, &QueryPage::Transfer);
  connect(batch_button_, &QPushButton::clicked, this, &QueryPage::RunBatch);
  connect(paste, &QAction::triggered, this, &QueryPage::PasteBatch);
  connect(remove, &QAction::triggered, this, &QueryPage::DeleteRows);
  connect(clear, &QAction::triggered, this, &QueryPage::ClearCells);
  class_box_->setEnabled(false);
}

bool QueryPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == query_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!key->text().isEmpty() && key->text().at(0).isPrint() &&
        !adjust::QueryKeyPressed(page_, ctx_.user())) {
      return true;  // the key is dropped
    }
  }
  if (watched == query_ && event->type() == QEvent::KeyRelease) {
    adjust::QueryKeyReleased(page_, Gb(query_->text()));
    Render();
  }
  if (watched == batch_view_ && event->type() == QEvent::KeyPress) {
    if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Backspace) {
      ClearCells();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void QueryPage::Enter() {
  adjust::bsSkinTabSheet10Enter(ctx_.state(), page_);
  Render();
  RenderBatch();
}

void QueryPage::Refresh() {
  if (keep_results_) return;
  page_.index = adjust::BuildQueryIndex(ctx_.state());
  const int kind = static_cast<int>(page_.kind);
  if (kind >= 1 && kind <= 3) {
    adjust::QueryKeyReleased(page_, page_.query_text);
  } else {
    std::size_t item = page_.class_items.empty() ? 0 : page_.class_items.size() - 1;
    for (std::size_t i = 0; i < page_.class_items.size(); ++i) {
      if (page_.class_items[i] == page_.class_text) item = i;
    }
    adjust::ChooseClassItem(page_, item);
  }
  Render();
}

void QueryPage::Render() {
  Fill(class_box_, page_.class_items, page_.class_text);
  class_box_->setEnabled(page_.class_box_enabled);
  Fill(target_, page_.target_items, page_.target_text);
  SetScoreGrid(results_view_, results_, page_.results);
}

void QueryPage::RenderBatch() {
  batch_->SetGrid(page_.batch.grid);
  int c = 0;
  for (int w : adjust::kBatchColumnWidths) batch_view_->setColumnWidth(c++, w);
}

void QueryPage::Transfer() {
  page_.adjust_number = Gb(number_->text());
  page_.adjust_name = Gb(name_->text());
  page_.target_text = Gb(target_->currentText());
  page_.back_fill = back_fill_->isChecked();
  page_.limit = limit_->value();
  page_.query_text = Gb(query_->text());
  ctx_.Change("开始调班",
              [&] { return adjust::bsSkinButton13Click(ctx_.state(), ctx_.user(), page_); });
  ctx_.ShowCurrentScore();
  Render();
}

void QueryPage::RunBatch() {
  page_.batch_settings.back_fill = batch_back_fill_->isChecked();
  page_.batch_settings.limit = batch_limit_->value();
  // The results shown stay as they were; the next query sees the moves.
  keep_results_ = true;
  ctx_.Change("批量调整",
              [&] { return adjust::bsSkinButton14Click(ctx_.state(), ctx_.user(), page_); });
  keep_results_ = false;
  RenderBatch();
}

void QueryPage::PasteBatch() {
  const QModelIndex current = batch_view_->currentIndex();
  const std::size_t row = batch_->GridRow(current.isValid() ? current.row() : 0);
  const std::size_t column = current.isValid() ? static_cast<std::size_t>(current.column()) : 0;
  adjust::PasteIntoBatchGrid(page_.batch, ctx_.clipboard().GetText(), row, column);
  RenderBatch();
}

void QueryPage::DeleteRows() {
  const auto rows = SelectedGridRows(batch_view_, batch_);
  if (!rows) return;
  adjust::DeleteBatchRows(page_.batch, rows->first, rows->second);
  RenderBatch();
}

void QueryPage::ClearCells() {
  const auto range = SelectedGridRange(batch_view_, batch_);
  if (!range) return;
  adjust::ClearBatchCells(page_.batch, range->top, range->left, range->bottom, range->right);
  RenderBatch();
}

}  // namespace tessaly::ui::division
