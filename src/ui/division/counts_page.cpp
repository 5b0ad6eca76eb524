#include "ui/division/counts_page.h"

#include <QAbstractItemView>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "stats/headcount_table.h"
#include "ui/division/division_context.h"
#include "ui/division/result_view.h"
#include "ui/grid_model.h"
#include "ui/key_input.h"
#include "ui/qt_text.h"
#include "ui/score_view.h"

namespace tessaly::ui::division {

namespace {

// Clicking an item of the subject box flips its tick and keeps the list open.
class TickFilter : public QObject {
 public:
  TickFilter(QComboBox* box, QStandardItemModel* items) : QObject(box), box_(box), items_(items) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::MouseButtonRelease) return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QModelIndex index = box_->view()->indexAt(mouse->position().toPoint());
    if (!index.isValid()) return false;
    QStandardItem* item = items_->itemFromIndex(index);
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    return true;
  }

 private:
  QComboBox* box_;
  QStandardItemModel* items_;
};

// The value boxes take digits and backspace only.
QLineEdit* ValueBox(QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
  edit->setFixedWidth(50);
  AcceptFullWidth(edit);
  return edit;
}

}  // namespace

CountsPage::CountsPage(DivisionContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
  auto* range_group = new QGroupBox(QStringLiteral("选择学生区间"), this);
  range_ = new QComboBox(range_group);
  range_->setMinimumWidth(150);
  (new QVBoxLayout(range_group))->addWidget(range_);

  auto* subject_group = new QGroupBox(QStringLiteral("应用科目"), this);
  all_ = new QRadioButton(QStringLiteral("所有科目"), subject_group);
  total_ = new QRadioButton(QStringLiteral("总分"), subject_group);
  ticked_ = new QRadioButton(QStringLiteral("单科"), subject_group);
  auto* choice = new QButtonGroup(this);
  choice->addButton(all_);
  choice->addButton(total_);
  choice->addButton(ticked_);
  subjects_ = new QComboBox(subject_group);
  subject_items_ = new QStandardItemModel(subjects_);
  subjects_->setModel(subject_items_);
  subjects_->setMinimumWidth(90);
  subjects_->view()->viewport()->installEventFilter(new TickFilter(subjects_, subject_items_));
  auto* subject_layout = new QGridLayout(subject_group);
  subject_layout->addWidget(all_, 0, 0);
  subject_layout->addWidget(total_, 0, 1);
  subject_layout->addWidget(ticked_, 1, 0);
  subject_layout->addWidget(subjects_, 1, 1);

  auto* condition_group = new QGroupBox(QStringLiteral("条  件"), this);
  lower_op_ = new QComboBox(condition_group);
  lower_op_->addItems({QStringLiteral("大于"), QStringLiteral("大于等于")});
  upper_op_ = new QComboBox(condition_group);
  upper_op_->addItems({QStringLiteral("小于"), QStringLiteral("小于等于")});
  lower_ = ValueBox(condition_group);
  upper_ = ValueBox(condition_group);
  one_key_ = new QCheckBox(QStringLiteral("一键式快速设置"), condition_group);
  one_key_->setToolTip(QStringLiteral(
      "勾选后，按起始值、截止值和间隔一次生成一串分数段条件；不勾选则按上面的两个条件添加一段"));
  start_ = ValueBox(condition_group);
  end_ = ValueBox(condition_group);
  interval_ = ValueBox(condition_group);
  auto* conditions_layout = new QGridLayout(condition_group);
  conditions_layout->addWidget(new QLabel(QStringLiteral("起始值"), condition_group), 0, 0);
  conditions_layout->addWidget(lower_op_, 0, 1);
  conditions_layout->addWidget(lower_, 0, 2);
  conditions_layout->addWidget(new QLabel(QStringLiteral("截止值"), condition_group), 0, 3);
  conditions_layout->addWidget(upper_op_, 0, 4);
  conditions_layout->addWidget(upper_, 0, 5);
  conditions_layout->addWidget(one_key_, 1, 0, 1, 2);
  conditions_layout->addWidget(new QLabel(QStringLiteral("起始值"), condition_group), 1, 2);
  conditions_layout->addWidget(start_, 1, 3);
  conditions_layout->addWidget(new QLabel(QStringLiteral("截止值"), condition_group), 1, 4);
  conditions_layout->addWidget(end_, 1, 5);
  auto* gap = new QHBoxLayout;
  gap->addWidget(new QLabel(QStringLiteral("每间隔"), condition_group));
  gap->addWidget(interval_);
  gap->addWidget(new QLabel(QStringLiteral("分，为一个段"), condition_group));
  gap->addStretch();
  conditions_layout->addLayout(gap, 2, 0, 1, 6);

  add_ = new QPushButton(QStringLiteral("添加统计条件"), this);
  compute_ = new QPushButton(QStringLiteral("开始统计"), this);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(add_);
  buttons->addWidget(compute_);
  buttons->addStretch();

  auto* inputs = new QHBoxLayout;
  inputs->addWidget(range_group);
  inputs->addWidget(subject_group);
  inputs->addWidget(condition_group);
  inputs->addLayout(buttons);
  inputs->addStretch();

  conditions_ = new GridModel(GridModel::Layout{true, false, 1, 3}, this);
  conditions_view_ = MakeGridView(conditions_, true, this);
  conditions_view_->setContextMenuPolicy(Qt::ActionsContextMenu);
  auto* remove = new QAction(QStringLiteral("删除"), conditions_view_);
  conditions_view_->addAction(remove);
  auto* left = new QVBoxLayout;
  left->addWidget(new QLabel(QStringLiteral("人数统计条件(见下表)："), this));
  left->addWidget(conditions_view_, 1);
  auto* hint =
      new QLabel(QStringLiteral("选择相应表格，单击鼠标右键，可以在快捷菜单中删除条件。"), this);
  hint->setWordWrap(true);
  hint->setFrameShape(QFrame::StyledPanel);
  left->addWidget(hint);
  auto* left_box = new QWidget(this);
  left_box->setLayout(left);
  left_box->setFixedWidth(520);

  statistics_ = new GridModel(GridModel::Layout{false, false, 0, 0}, this);
  statistics_view_ = MakeResultView(statistics_, false, ctx_, this);
  auto* tables = new QHBoxLayout;
  tables->addWidget(left_box);
  tables->addWidget(statistics_view_, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(inputs);
  layout->addLayout(tables, 1);

  connect(one_key_, &QCheckBox::clicked, this, &CountsPage::ToggleOneKey);
  connect(add_, &QPushButton::clicked, this, &CountsPage::AddConditions);
  connect(compute_, &QPushButton::clicked, this, &CountsPage::Compute);
  connect(remove, &QAction::triggered, this, &CountsPage::DeleteConditions);
  Render();
}

void CountsPage::FillBoxes() {
  range_->clear();
  for (const auto& item : page_.range_items) range_->addItem(Q(item));
  range_->setCurrentIndex(-1);
  subject_items_->clear();
  for (const auto& subject : page_.inputs.subjects) {
    auto* item = new QStandardItem(Q(subject));
    item->setCheckable(true);
    item->setCheckState(Qt::Unchecked);
    subject_items_->appendRow(item);
  }
  Render();
}

void CountsPage::Enter() {
  stats::bsSkinTabSheet8Enter(ctx_.state(), page_);
  FillBoxes();
}

void CountsPage::ShowRefresh(const stats::DivisionPageRefresh&) {
  FillBoxes();
}

void CountsPage::ReadInputs() {
  stats::ConditionInputs& in = page_.inputs;
  const int r = range_->currentIndex();
  in.range = r >= 0 && r < static_cast<int>(page_.range_items.size())
                 ? std::optional<std::string>(page_.range_items[r])
                 : std::nullopt;
  in.choice = all_->isChecked()      ? stats::SubjectChoice::kAllSubjects
              : total_->isChecked()  ? stats::SubjectChoice::kTotal
              : ticked_->isChecked() ? stats::SubjectChoice::kSingle
                                     : stats::SubjectChoice::kNone;
  in.ticked.assign(in.subjects.size(), false);
  for (int i = 0; i < subject_items_->rowCount() && i < static_cast<int>(in.ticked.size()); ++i) {
    in.ticked[i] = subject_items_->item(i)->checkState() == Qt::Checked;
  }
  in.condition.lower_op = Gb(lower_op_->currentText());
  in.condition.upper_op = Gb(upper_op_->currentText());
  in.condition.lower_value = Gb(lower_->text());
  in.condition.upper_value = Gb(upper_->text());
  in.condition.series_start = Gb(start_->text());
  in.condition.series_end = Gb(end_->text());
  in.condition.series_step = Gb(interval_->text());
}

void CountsPage::ToggleOneKey() {
  ReadInputs();
  stats::bsSkinCheckRadioBox21Click(page_);
  Render();
}

void CountsPage::AddConditions() {
  ReadInputs();
  stats::bsSkinButton8Click(ctx_.state(), ctx_.user(), page_);
  Render();
}

void CountsPage::DeleteConditions() {
  const auto rows = SelectedGridRows(conditions_view_, conditions_);
  if (!rows) return;
  stats::N11Click(ctx_.state(), ctx_.user(), page_, static_cast<std::int32_t>(rows->first),
                  static_cast<std::int32_t>(rows->second));
  Render();
}

void CountsPage::Compute() {
  stats::bsSkinButton11Click(ctx_.state(), page_);
  ctx_.NoteSeen();  // it re-ranks the range sets
  Render();
}

void CountsPage::Render() {
  const QSignalBlocker block(one_key_);
  one_key_->setChecked(page_.inputs.condition.one_key);
  lower_op_->setEnabled(page_.typed_inputs_enabled);
  upper_op_->setEnabled(page_.typed_inputs_enabled);
  lower_->setEnabled(page_.typed_inputs_enabled);
  upper_->setEnabled(page_.typed_inputs_enabled);
  start_->setEnabled(page_.one_key_inputs_enabled);
  end_->setEnabled(page_.one_key_inputs_enabled);
  interval_->setEnabled(page_.one_key_inputs_enabled);
  conditions_->SetGrid(page_.conditions);
  SetColumnWidths(conditions_view_, stats::kConditionColumnWidths);
  statistics_->SetGrid(page_.statistics);
  if (statistics_->columnCount() > 0) {
    // The labels (range keys among them) shown whole, at least as wide as
    // the table's own label column.
    FitColumns(statistics_view_, 360);
    statistics_view_->setColumnWidth(
        0, std::max(stats::kStatisticsLabelWidth, statistics_view_->columnWidth(0)));
  }
}

}  // namespace tessaly::ui::division
