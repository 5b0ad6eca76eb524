#include "ui/import_tab.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "import/import_commands.h"
#include "import/import_setup.h"
#include "import/table_list.h"
#include "io/work_commands.h"
#include "model/show_table.h"
#include "platform/encoding.h"
#include "ui/forwarding_user.h"
#include "ui/grid_model.h"
#include "ui/import_settings_dialog.h"
#include "ui/new_division_window.h"
#include "ui/qt_text.h"
#include "ui/score_view.h"

namespace tessaly::ui {

namespace {

QPushButton* Button(const QString& name, const QString& caption, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  return b;
}

QLabel* Label(const QString& name, const QString& caption, QWidget* parent) {
  auto* l = new QLabel(caption, parent);
  l->setObjectName(name);
  return l;
}

}  // namespace

ImportTab::ImportTab(Session& session, QWidget* parent) : QWidget(parent), s_(session) {
  setObjectName(QStringLiteral("bsSkinTabSheet1"));
  auto* left = new QWidget(this);
  left->setObjectName(QStringLiteral("importControls"));
  auto* l = new QVBoxLayout(left);
  l->setContentsMargins(0, 0, 0, 0);

  auto* top = new QGridLayout;
  auto* new_button = Button(QStringLiteral("bsSkinButton4"), QStringLiteral("新建分班数据"), left);
  auto* help_button =
      Button(QStringLiteral("bsSkinButton20"), QStringLiteral("新手分班必读"), left);
  auto* open_button =
      Button(QStringLiteral("bsSkinButton5"), QStringLiteral("打开以往分班数据"), left);
  auto* video_button =
      Button(QStringLiteral("bsSkinButton21"), QStringLiteral("视频分班演示"), left);
  top->addWidget(new_button, 0, 0);
  top->addWidget(help_button, 0, 1);
  top->addWidget(open_button, 1, 0);
  top->addWidget(video_button, 1, 1);
  l->addLayout(top);

  l->addSpacing(6);
  l->addWidget(Label(QStringLiteral("bsSkinStdLabel7"),
                     QStringLiteral("注：下面两种方法任选一种导入分班数据"), left));
  auto* way1 =
      Label(QStringLiteral("bsSkinStdLabel2"), QStringLiteral("导入方式一：从Excel文件导入"), left);
  way1->setProperty("heading", true);
  l->addWidget(way1);
  l->addWidget(Label(QStringLiteral("bsSkinStdLabel1"),
                     QStringLiteral("请输入该份数据的名称（每份数据名称不一样）"), left));
  workbook_name_ = new QLineEdit(left);
  workbook_name_->setObjectName(QStringLiteral("bsSkinEdit1"));
  workbook_name_->installEventFilter(this);
  l->addWidget(workbook_name_);
  auto* workbook_button =
      Button(QStringLiteral("bsSkinXFormButton1"), QStringLiteral("选择Excel文件并装入数据"), left);
  l->addWidget(workbook_button);

  l->addSpacing(6);
  auto* way2 =
      Label(QStringLiteral("bsSkinStdLabel3"), QStringLiteral("导入方式二：从剪贴板导入"), left);
  way2->setProperty("heading", true);
  l->addWidget(way2);
  l->addWidget(Label(QStringLiteral("bsSkinStdLabel5"),
                     QStringLiteral("说明：在Excel或WPS中选中分班数据（每列须有标题）后，选择复制"),
                     left));
  l->addWidget(
      Label(QStringLiteral("bsSkinStdLabel6"),
            QStringLiteral("            ，然后，再点击 <装入分班数据> 按钮（多份数据，须在下框内"),
            left));
  l->addWidget(Label(QStringLiteral("bsSkinStdLabel4"),
                     QStringLiteral("            为不同的数据命名）"), left));
  auto* paste_row = new QHBoxLayout;
  paste_name_ = new QLineEdit(left);
  paste_name_->setObjectName(QStringLiteral("bsSkinEdit2"));
  auto* paste_button =
      Button(QStringLiteral("bsSkinButton3"), QStringLiteral("装入分班数据"), left);
  paste_row->addWidget(paste_name_, 1);
  paste_row->addWidget(paste_button);
  l->addLayout(paste_row);

  l->addSpacing(6);
  l->addWidget(Label(QStringLiteral("bsSkinStdLabel8"), QStringLiteral("分班数据列表："), left));
  list_ = new QListWidget(left);
  list_->setObjectName(QStringLiteral("bsSkinListBox1"));
  l->addWidget(list_, 1);
  auto* bottom = new QHBoxLayout;
  auto* clear_button =
      Button(QStringLiteral("bsSkinButton9"), QStringLiteral("清除该份数据"), left);
  status_ = new QLabel(left);
  status_->setObjectName(QStringLiteral("bsSkinStatusPanel6"));
  status_->setFrameShape(QFrame::StyledPanel);
  status_->setAlignment(Qt::AlignCenter);
  status_->setMinimumWidth(28);
  status_->setToolTip(
      QStringLiteral("S：成绩表显示预设班级列；H：不显示（在上面的名称框中按退格键切换）"));
  bottom->addWidget(clear_button);
  bottom->addStretch();
  bottom->addWidget(status_);
  l->addLayout(bottom);
  left->setFixedWidth(left->sizeHint().width() + 8);

  auto* right = new QVBoxLayout;
  right->addWidget(new QLabel(QStringLiteral("导入数据（见下表）："), this));
  model_ = new GridModel(GridModel::Layout{true, true, 0, 0}, this);
  view_ = MakeScoreView(model_, this);
  view_->setObjectName(QStringLiteral("bsSkinStringGrid1"));
  right->addWidget(view_, 1);

  auto* page = new QHBoxLayout(this);
  page->addWidget(left);
  page->addLayout(right, 1);

  new_division_ = new NewDivisionWindow(s_, this);

  connect(new_button, &QPushButton::clicked, this, &ImportTab::NewDivision);
  connect(open_button, &QPushButton::clicked, this, &ImportTab::OpenDivision);
  connect(workbook_button, &QPushButton::clicked, this, &ImportTab::WorkbookImport);
  connect(paste_button, &QPushButton::clicked, this, &ImportTab::PasteImport);
  connect(clear_button, &QPushButton::clicked, this, &ImportTab::ClearTable);
  connect(list_, &QListWidget::itemClicked, this, &ImportTab::ChooseTable);
  connect(help_button, &QPushButton::clicked, this, &ImportTab::helpRequested);
  connect(video_button, &QPushButton::clicked, this, &ImportTab::videoRequested);
  Render();
}

void ImportTab::Render() {
  const int selected = list_->currentRow();
  list_->clear();
  for (const std::string& name : s_.page.TableList) list_->addItem(Q(name));
  if (selected >= 0 && selected < list_->count()) list_->setCurrentRow(selected);
  SetScoreGrid(view_, model_, s_.page.ScoreView);
  ShowPresetSetting();
}

void ImportTab::ShowPresetSetting() {
  status_->setText(s_.state.ShowPresetClass ? QStringLiteral("S") : QStringLiteral("H"));
}

void ImportTab::NewDivision() {
  if (!s_.may_replace_work()) return;
  if (!import::StartNewDivision(s_.state, s_.page, s_.user)) return;
  Render();
  new_division_->Open();
  s_.work.Started(s_.state);
  emit statusMessage(QStringLiteral("已新建分班数据"));
}

void ImportTab::OpenDivision() {
  if (!s_.may_replace_work()) return;
  WatchingUser user(s_.user);
  io::OpenDivisionWork(s_.state, s_.page, s_.work, user);
  Render();
  if (auto path = user.Done()) emit statusMessage(QStringLiteral("已打开 ") + FilePath(*path));
}

void ImportTab::RunImport(
    const std::function<import::ImportOutcome(const import::ImportSetup&)>& run) {
  import::ImportSummary summary;
  bool window_shown = false;
  import::ImportSetup setup;
  setup.summary = &summary;
  setup.confirm = [this, &window_shown](
                      import::TableSource& source,
                      import::TableLayout layout) -> std::optional<import::TableLayout> {
    window_shown = true;
    auto prefill = [this](import::TableLayout& l) { import::PrefillRoles(l, s_.settings); };
    prefill(layout);
    ImportSettingsDialog dialog(source, std::move(layout), prefill, this);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    import::RememberRoles(dialog.layout(), s_.settings);
    return dialog.layout();
  };
  const import::ImportOutcome outcome = run(setup);
  Render();
  if (list_->count() > 0) list_->setCurrentRow(list_->count() - 1);
  if (outcome == import::ImportOutcome::kImported && !window_shown &&
      !summary.skipped_rows.empty()) {
    s_.user.Information(summary.skipped_rows + "。"_gb);
  }
}

void ImportTab::WorkbookImport() {
  RunImport([this](const import::ImportSetup& setup) {
    return import::WorkbookImport(s_.state, s_.page, s_.user, Gb(workbook_name_->text()),
                                  import::SystemTimeOfDay, setup);
  });
}

void ImportTab::PasteImport() {
  RunImport([this](const import::ImportSetup& setup) {
    return import::PasteImport(s_.state, s_.page, s_.user, s_.clipboard.GetText(),
                               Gb(paste_name_->text()), import::SystemTimeOfDay, setup);
  });
}

void ImportTab::ChooseTable() {
  const int row = list_->currentRow();
  if (row < 0) return;
  import::ChooseTable(s_.state, s_.page, static_cast<std::size_t>(row));
  SetScoreGrid(view_, model_, s_.page.ScoreView);
}

void ImportTab::ClearTable() {
  std::optional<std::size_t> selected;
  if (list_->currentRow() >= 0 && list_->currentItem()->isSelected()) {
    selected = static_cast<std::size_t>(list_->currentRow());
  }
  const std::optional<std::size_t> next = import::ClearTable(s_.state, s_.page, s_.user, selected);
  Render();
  list_->setCurrentRow(next ? static_cast<int>(*next) : -1);
}

void ImportTab::TogglePresetColumn() {
  s_.state.ShowPresetClass = !s_.state.ShowPresetClass;
  s_.settings.Write("YuSeBanJi", "YSBJ_Show", s_.state.ShowPresetClass ? "1" : "0");
  ShowPresetSetting();
  if (!s_.state.ImportedSets.empty()) {
    s_.page.ScoreView = model::ShowTable(s_.state.ImportedSets[0], s_.state.ShowPresetClass);
    SetScoreGrid(view_, model_, s_.page.ScoreView);
  }
}

bool ImportTab::eventFilter(QObject* watched, QEvent* event) {
  if (watched == workbook_name_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Backspace) {
    TogglePresetColumn();  // the key keeps its editing effect
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace tessaly::ui
