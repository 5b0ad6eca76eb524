#include "ui/division/averages_page.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSplitter>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "engine/balance.h"
#include "engine/evaluation.h"
#include "stats/division_page.h"
#include "stats/evenness.h"
#include "ui/division/averages_chart_view.h"
#include "ui/division/division_context.h"
#include "ui/division/result_view.h"
#include "ui/grid_model.h"
#include "ui/key_input.h"
#include "ui/qt_text.h"
#include "ui/score_view.h"

namespace tessaly::ui::division {

namespace {

// The control score boxes take digits, "." and backspace only.
QLineEdit* ControlBox(QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9.]*")), edit));
  edit->setFixedWidth(60);
  AcceptFullWidth(edit);
  return edit;
}

QComboBox* ListBox(QWidget* parent, int width) {
  auto* box = new QComboBox(parent);
  box->setMinimumWidth(width);
  box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  return box;
}

void Fill(QComboBox* box, const std::vector<std::string>& items, int selected) {
  box->clear();
  for (const auto& item : items) box->addItem(Q(item));
  box->setCurrentIndex(selected);
}

}  // namespace

AveragesPage::AveragesPage(DivisionContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
  model_ = new GridModel(GridModel::Layout{false, false, 0, 0}, this);
  view_ = MakeResultView(model_, false, ctx_, this);
  evenness_ = new GridModel(GridModel::Layout{false, false, 0, 0}, this);
  evenness_view_ = MakeResultView(evenness_, false, ctx_, this);
  auto* report = new QWidget(this);
  auto* report_layout = new QVBoxLayout(report);
  report_layout->setContentsMargins(0, 0, 0, 0);
  report_layout->addWidget(
      new QLabel(QStringLiteral("各班均衡情况（最高、最低班级及差值）："), report));
  report_layout->addWidget(evenness_view_, 1);
  tables_ = new QSplitter(Qt::Horizontal, this);
  tables_->setObjectName(QStringLiteral("averagesSplitter"));
  tables_->addWidget(view_);
  tables_->addWidget(report);
  tables_->setChildrenCollapsible(false);
  // The report keeps the width its columns need (Render); the averages
  // table gets the rest and scrolls. The teacher can move the handle.
  tables_->setStretchFactor(0, 1);
  tables_->setStretchFactor(1, 0);
  tables_->setSizes({920, 400});

  total_range_ = ListBox(this, 160);
  total_control_ = ControlBox(this);
  total_button_ = new QPushButton(QStringLiteral("开始总分平均分优化"), this);
  auto* total_group = new QGroupBox(this);
  auto* total_row = new QHBoxLayout(total_group);
  total_row->addWidget(new QLabel(QStringLiteral("优化区间选择"), total_group));
  total_row->addWidget(total_range_);
  total_row->addWidget(
      new QLabel(QStringLiteral("尽量将该区间内各班总分平均分差距控制在"), total_group));
  total_row->addWidget(total_control_);
  total_row->addWidget(new QLabel(QStringLiteral("分以内"), total_group));
  total_row->addWidget(total_button_);
  total_row->addStretch();

  subject_range_ = ListBox(this, 160);
  subject_ = ListBox(this, 80);
  subject_control_ = ControlBox(this);
  subject_button_ = new QPushButton(QStringLiteral("开始单科平均分优化"), this);
  auto* subject_group = new QGroupBox(this);
  auto* subject_box = new QVBoxLayout(subject_group);
  subject_box->addWidget(
      new QLabel(QStringLiteral("注：您可以通过下述操作对单科进行平均分优化"), subject_group));
  auto* subject_row = new QHBoxLayout;
  subject_row->addWidget(new QLabel(QStringLiteral("优化区间选择"), subject_group));
  subject_row->addWidget(subject_range_);
  subject_row->addWidget(new QLabel(QStringLiteral("尽量将各班"), subject_group));
  subject_row->addWidget(subject_);
  subject_row->addWidget(new QLabel(QStringLiteral("平均分差距控制在"), subject_group));
  subject_row->addWidget(subject_control_);
  subject_row->addWidget(new QLabel(QStringLiteral("分以内"), subject_group));
  subject_row->addWidget(subject_button_);
  subject_row->addStretch();
  subject_box->addLayout(subject_row);

  auto* hint = new QLabel(QStringLiteral("选定单元格后，点击鼠标右键，选择<复制>"
                                         "，然后打开Excel或WPS选择粘贴，可把相应的数据复制出来。"),
                          this);
  hint->setFrameShape(QFrame::StyledPanel);
  // "图表": the class averages as bars around their range's average.
  chart_button_ = new QPushButton(QStringLiteral("图表"), this);
  connect(chart_button_, &QPushButton::clicked, this, [this] { ShowAveragesChart(ctx_, this); });
  auto* hint_row = new QHBoxLayout;
  hint_row->addWidget(hint, 1);
  hint_row->addWidget(chart_button_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tables_, 1);
  layout->addWidget(total_group);
  layout->addWidget(subject_group);
  layout->addLayout(hint_row);

  connect(total_button_, &QPushButton::clicked, this, &AveragesPage::BalanceTotals);
  connect(subject_button_, &QPushButton::clicked, this, &AveragesPage::BalanceSubject);
}

void AveragesPage::Enter() {
  Render();
  const stats::AveragesBoxes boxes = stats::bsSkinTabSheet6Enter(ctx_.state());
  Fill(subject_, boxes.subjects, -1);
  Fill(total_range_, boxes.ranges, boxes.selected_range);
  Fill(subject_range_, boxes.ranges, boxes.selected_range);
}

void AveragesPage::Render() {
  model_->SetGrid(engine::ShowAverages(ctx_.state()));
  if (model_->columnCount() > 0) {
    FitColumns(view_, 360);
    // Column 0 is 220 pixels wide, wider where a range's label needs it.
    view_->setColumnWidth(0, std::max(220, view_->columnWidth(0)));
  }
  evenness_->SetGrid(stats::EvennessTable(ctx_.state()));
  if (evenness_->columnCount() > 0) {
    FitColumns(evenness_view_, 360);
    FitReport();
  }
}

void AveragesPage::FitReport() {
  // The whole report: its columns, the frame and a vertical scroll bar.
  int report = 2 * evenness_view_->frameWidth() +
               evenness_view_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
  for (int c = 0; c < evenness_->columnCount(); ++c) report += evenness_view_->columnWidth(c);
  const QList<int> sizes = tables_->sizes();
  const int total = sizes.value(0) + sizes.value(1);
  if (total <= 0 || sizes.value(1) >= report) return;
  // Never more than half the page: the averages table stays readable.
  report = std::min(report, total / 2);
  tables_->setSizes({total - report, report});
}

void AveragesPage::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (evenness_->columnCount() > 0) FitReport();
}

void AveragesPage::BalanceTotals() {
  const std::string range = Gb(total_range_->currentText());
  const std::string control = Gb(total_control_->text());
  const auto result = ctx_.Change("总分平均分优化", [&] {
    return engine::bsSkinButton16Click(ctx_.state(), ctx_.user(), range, control);
  });
  if (result.ran) ctx_.ShowCurrentScore();
}

void AveragesPage::BalanceSubject() {
  const std::string range = Gb(subject_range_->currentText());
  const std::string subject = Gb(subject_->currentText());
  const std::string control = Gb(subject_control_->text());
  const auto result = ctx_.Change("单科平均分优化", [&] {
    return engine::bsSkinButton17Click(ctx_.state(), ctx_.user(), range, subject, control);
  });
  if (result.ran) ctx_.ShowCurrentScore();
}

}  // namespace tessaly::ui::division
