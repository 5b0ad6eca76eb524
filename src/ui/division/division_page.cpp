#include "ui/division/division_page.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

#include "adjust/deep_optimiser.h"
#include "io/export/all_data.h"
#include "io/export/workbook_export.h"
#include "io/work_commands.h"
#include "stats/headcount_page.h"
#include "ui/division/averages_page.h"
#include "ui/division/board_page.h"
#include "ui/division/counts_page.h"
#include "ui/division/division_context.h"
#include "ui/division/print_window.h"
#include "ui/division/query_page.h"
#include "ui/division/roster_page.h"
#include "ui/division/versions_window.h"
#include "ui/forwarding_user.h"
#include "ui/qt_text.h"

namespace tessaly::ui::division {

namespace {

enum InnerPage { kAverages, kRoster, kCounts, kSameNames, kQuery, kBoard };

QPushButton* Button(const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setMinimumHeight(30);
  return button;
}

}  // namespace

DivisionPage::DivisionPage(Session& session, QWidget* parent)
    : QWidget(parent), s_(session), ctx_(new DivisionContext(session, this)) {
  setObjectName(QStringLiteral("bsSkinTabSheet4"));

  // Step 1: the division and its score.
  auto* step1 = new QVBoxLayout;
  step1->addWidget(new QLabel(QStringLiteral("第 ① 步点击："), this));
  divide_ = Button(QStringLiteral("开始分班"), this);
  divide_->setToolTip(QStringLiteral("按分班规则把各区间的学生分到各班；重新分班会替换当前结果"));
  step1->addWidget(divide_);
  score_ = new QLabel(this);
  score_->setMinimumWidth(190);
  score_->setToolTip(QStringLiteral("分班结果评分：满分100，越高表示各班平均分越接近所在区间"));
  step1->addWidget(score_);
  step1->addStretch();

  // The option group of the optimiser, and the deep optimisation after it.
  auto* group = new QGroupBox(Q(adjust::OptimiserGroupCaption()), this);
  auto* group_layout = new QVBoxLayout(group);
  options_ = new QButtonGroup(this);
  const adjust::OptimiserPage page;
  static const QString kOptionHints[] = {
      QStringLiteral("两班交换学生，缩小各班平均分的差距，不使人数平衡变差"),
      QStringLiteral("两班交换学生，使各班男女、均衡列及分数段人数更平衡，不使平均分差距变大"),
      QStringLiteral("两班交换学生，同时兼顾平均分差距与人数平衡")};
  int index = 0;
  for (const auto& item : page.option_items) {
    auto* radio = new QRadioButton(Q(item), group);
    if (index < 3) radio->setToolTip(kOptionHints[index]);
    options_->addButton(radio, index++);
    group_layout->addWidget(radio);
  }
  auto* deep = new QRadioButton(Q(adjust::DeepOptionCaption()), group);
  deep->setToolTip(
      QStringLiteral("用几秒钟在每个区间内反复交换学生，使每个班的总分、各科平均分和"
                     "各项人数都尽量接近所在区间；不违反已设的规则，可撤销"));
  options_->addButton(deep, index);
  // More time for the deep optimisation: it never ends worse for it, and
  // usually better.
  deep_seconds_ = new QComboBox(group);
  deep_seconds_->setObjectName(QStringLiteral("deepSeconds"));
  deep_seconds_->addItem(QStringLiteral("2 秒"), 0.0);  // the default budget
  deep_seconds_->addItem(QStringLiteral("10 秒"), 10.0);
  deep_seconds_->addItem(QStringLiteral("30 秒"), 30.0);
  deep_seconds_->setToolTip(
      QStringLiteral("深度优化的用时：时间越长，各班通常越接近，绝不会更差；"
                     "学生超过3000人时，“2 秒”会略长一些"));
  auto* deep_row = new QHBoxLayout;
  deep_row->setContentsMargins(0, 0, 0, 0);
  deep_row->addWidget(deep);
  deep_row->addWidget(new QLabel(QStringLiteral("用时"), group));
  deep_row->addWidget(deep_seconds_);
  deep_row->addStretch();
  group_layout->addLayout(deep_row);
  options_->button(page.option_index)->setChecked(true);

  // Step 2: the optimiser and its note.
  auto* step2 = new QVBoxLayout;
  step2->addWidget(new QLabel(QStringLiteral("第 ② 步点击："), this));
  optimise_ = Button(QStringLiteral("优化分班结果"), this);
  step2->addWidget(optimise_);
  for (const char* line : {"注意：优化分班结果时，优化选项可交替、轮流选择进行。理论",
                           "上讲，优化次数越多越符合您设定的分班条件！优化过程",
                           "中，需随时统计观察分班结果，以确定是否继续优化。"}) {
    step2->addWidget(new QLabel(QString::fromUtf8(line), this));
  }
  step2->addStretch();

  // The exports and the division file.
  auto* files = new QVBoxLayout;
  copy_all_ = Button(QStringLiteral("复制所有数据到剪贴板"), this);
  export_ = Button(QStringLiteral("保存所有数据到Excel"), this);
  export_->setToolTip(
      QStringLiteral("把平均分、名单和统计表保存为Excel工作簿（.xlsx），每班一张名单"));
  save_ = Button(QStringLiteral("保存分班结果"), this);
  save_->setToolTip(
      QStringLiteral("保存为分班数据文件（.fb），以后可用“打开以往分班数据”继续调整"));
  files->addWidget(copy_all_);
  files->addWidget(export_);
  files->addWidget(save_);
  files->addStretch();

  // Undo and redo of the changes since the division.
  auto* history = new QVBoxLayout;
  undo_ = Button(QStringLiteral("撤销 (Ctrl+Z)"), this);
  redo_ = Button(QStringLiteral("重做 (Ctrl+Y)"), this);
  history->addWidget(undo_);
  history->addWidget(redo_);
  // The versions of the division and the printed class lists, under undo
  // and redo: a column of their own would make the page taller than a
  // 1366x768 screen has room for.
  auto* versions = Button(QStringLiteral("分班方案"), this);
  versions->setObjectName(QStringLiteral("versionsButton"));
  auto* print = Button(QStringLiteral("打印分班名单"), this);
  print->setObjectName(QStringLiteral("printButton"));
  history->addWidget(versions);
  history->addWidget(print);
  connect(versions, &QPushButton::clicked, this, [this] { ShowVersionsWindow(*ctx_, this); });
  connect(print, &QPushButton::clicked, this, [this] { PrintWindow(*ctx_, this).exec(); });
  history->addStretch();

  auto* upper = new QHBoxLayout;
  upper->addLayout(step1);
  upper->addSpacing(12);
  upper->addWidget(group);
  upper->addSpacing(12);
  upper->addLayout(step2);
  upper->addStretch();
  upper->addLayout(files);
  upper->addSpacing(12);
  upper->addLayout(history);

  inner_ = new QTabWidget(this);
  averages_ = new AveragesPage(*ctx_, inner_);
  roster_ = new RosterPage(*ctx_, inner_);
  counts_ = new CountsPage(*ctx_, inner_);
  same_names_ = new SameNamesPage(*ctx_, inner_);
  query_ = new QueryPage(*ctx_, inner_);
  board_ = new BoardPage(*ctx_, inner_);
  inner_->addTab(averages_, QStringLiteral("平均分"));
  inner_->addTab(roster_, QStringLiteral("分班名单"));
  inner_->addTab(counts_, QStringLiteral("人数统计"));
  inner_->addTab(same_names_, QStringLiteral("同姓名学生分布"));
  inner_->addTab(query_, QStringLiteral("查询与调整"));
  inner_->addTab(board_, QStringLiteral("调班看板"));

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(upper);
  layout->addWidget(inner_, 1);

  connect(divide_, &QPushButton::clicked, this, &DivisionPage::Divide);
  connect(optimise_, &QPushButton::clicked, this, &DivisionPage::Optimise);
  connect(copy_all_, &QPushButton::clicked, this, &DivisionPage::CopyAllData);
  connect(export_, &QPushButton::clicked, this, &DivisionPage::ExportAllData);
  connect(save_, &QPushButton::clicked, this, &DivisionPage::Save);
  connect(undo_, &QPushButton::clicked, this, &DivisionPage::Undo);
  connect(redo_, &QPushButton::clicked, this, &DivisionPage::Redo);
  auto* undo_key = new QShortcut(QKeySequence::Undo, this);
  undo_key->setContext(Qt::WidgetWithChildrenShortcut);
  connect(undo_key, &QShortcut::activated, this, &DivisionPage::Undo);
  auto* redo_key = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y), this);
  redo_key->setContext(Qt::WidgetWithChildrenShortcut);
  connect(redo_key, &QShortcut::activated, this, &DivisionPage::Redo);
  connect(inner_, &QTabWidget::currentChanged, this, &DivisionPage::EnterInner);
  connect(ctx_, &DivisionContext::captionChanged, this,
          [this] { score_->setText(Q(ctx_->caption())); });
  connect(ctx_, &DivisionContext::historyChanged, this, &DivisionPage::ShowHistory);
  connect(ctx_, &DivisionContext::divisionChanged, this, [this] {
    // The visible page shows the division again; the others do when entered.
    const int i = inner_->currentIndex();
    if (i == kAverages) averages_->Render();
    if (i == kRoster) roster_->Render();
    if (i == kSameNames) same_names_->Render();
    if (i == kQuery) query_->Refresh();
    if (i == kBoard) board_->Render();
  });
  ShowHistory();
}

void DivisionPage::Enter() {
  ctx_->CheckChangedElsewhere();
  const stats::DivisionPageRefresh refresh = stats::bsSkinTabSheet4Enter(s_.state, counts_->page());
  counts_->ShowRefresh(refresh);
  same_names_->Render();
  roster_->Render();
  EnterInner(inner_->currentIndex());
}

void DivisionPage::EnterInner(int index) {
  if (index == kAverages) averages_->Enter();
  if (index == kRoster) roster_->Render();
  if (index == kCounts) counts_->Enter();
  if (index == kSameNames) same_names_->Render();
  if (index == kQuery) query_->Enter();
  if (index == kBoard) board_->Enter();
}

void DivisionPage::Divide() {
  ctx_->Divide();
}

void DivisionPage::Optimise() {
  const int option = options_->checkedId();
  if (option == static_cast<int>(adjust::OptimiserOptionItems().size())) {
    adjust::DeepOptions options;
    options.seconds = deep_seconds_->currentData().toDouble();
    ctx_->Change("深度优化", [&] { adjust::DeepOptimiseDivision(s_.state, s_.user, options); });
  } else {
    adjust::OptimiserPage page;
    page.option_index = option;
    ctx_->Change("优化分班结果", [&] { adjust::bsSkinXFormButton2Click(s_.state, s_.user, page); });
  }
  ctx_->ShowCurrentScore();
  averages_->Render();
}

void DivisionPage::CopyAllData() {
  io::exports::bsSkinButton15Click(s_.state, s_.user, s_.clipboard, ctx_->rosterItem());
  ctx_->NoteSeen();  // the statistics re-ranked the range sets
  counts_->Enter();
}

void DivisionPage::ExportAllData() {
  WatchingUser user(s_.user);
  io::exports::bsSkinButton19Click(s_.state, user, s_.clipboard, ctx_->rosterItem());
  ctx_->NoteSeen();
  counts_->Enter();
  if (auto path = user.Done()) emit statusMessage(QStringLiteral("已导出到 ") + FilePath(*path));
}

void DivisionPage::Save() {
  WatchingUser user(s_.user);
  if (io::SaveDivisionWork(s_.state, s_.work, user)) {
    if (auto path = user.Done()) emit statusMessage(QStringLiteral("已保存到 ") + FilePath(*path));
  }
}

void DivisionPage::Undo() {
  ctx_->Undo();
}
void DivisionPage::Redo() {
  ctx_->Redo();
}

void DivisionPage::ShowHistory() {
  undo_->setEnabled(ctx_->CanUndo());
  redo_->setEnabled(ctx_->CanRedo());
  undo_->setToolTip(ctx_->CanUndo()
                        ? QStringLiteral("撤销：") + QString::fromStdString(ctx_->UndoLabel())
                        : QString());
  redo_->setToolTip(ctx_->CanRedo()
                        ? QStringLiteral("重做：") + QString::fromStdString(ctx_->RedoLabel())
                        : QString());
}

}  // namespace tessaly::ui::division
