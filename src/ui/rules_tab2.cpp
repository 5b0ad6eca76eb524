#include "ui/rules_tab2.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include "rules/level_texts.h"
#include "ui/grid_model.h"
#include "ui/key_input.h"
#include "ui/qt_text.h"
#include "ui/rules_groups.h"
#include "ui/score_view.h"

namespace tessaly::ui {

namespace {

QLabel* Caption(const QString& text, QWidget* parent, const char* name = nullptr) {
  auto* l = new QLabel(text, parent);
  if (name != nullptr) l->setObjectName(QString::fromLatin1(name));
  return l;
}

QLineEdit* ValueBox(const char* name, QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QString::fromLatin1(name));
  e->setMaximumWidth(70);
  FilterKeys(e, &rules::BandValueKeepsKey);
  return e;
}

// A level menu with its item names, level 1 first; `chosen` gets the level.
QMenu* LevelMenu(const char* name, std::initializer_list<const char*> items, QWidget* parent,
                 std::function<void(int)> chosen) {
  auto* menu = new QMenu(parent);
  menu->setObjectName(QString::fromLatin1(name));
  const std::vector<std::string> captions = rules::LevelCaptions();
  int level = 1;
  for (const char* item : items) {
    QAction* a = menu->addAction(Q(captions[level - 1]));
    a->setObjectName(QString::fromLatin1(item));
    QObject::connect(a, &QAction::triggered, menu, [chosen, level] { chosen(level); });
    ++level;
  }
  return menu;
}

QPoint CellCorner(QTableView* view, const QModelIndex& index) {
  return view->viewport()->mapToGlobal(view->visualRect(index).bottomRight());
}

}  // namespace

RulesTab2::RulesTab2(Session& session, QWidget* parent) : QWidget(parent), s_(session) {
  setObjectName(QStringLiteral("bsSkinTabSheet3"));
  auto* page = new QVBoxLayout(this);
  auto* upper = new QHBoxLayout;
  page->addLayout(upper, 3);

  // The conditions grid.
  auto* grid_side = new QVBoxLayout;
  grid_side->addWidget(Caption(QStringLiteral("各分数段人数平衡表"), this, "bsSkinTextLabel2"));
  band_model_ = new GridModel(GridModel::Layout{true, false, 1, 4}, this);
  band_view_ = MakeScoreView(band_model_, this);
  band_view_->setObjectName(QStringLiteral("bsSkinStringGrid4"));
  band_view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  band_view_->verticalHeader()->hide();
  band_model_->SetColumnHint(3, QStringLiteral("点击选择该分数段各班人数平衡的等级"));
  grid_side->addWidget(band_view_, 1);
  auto* del = new QPushButton(QStringLiteral("删除"), this);
  del->setObjectName(QStringLiteral("bsSkinButton7"));
  auto* del_row = new QHBoxLayout;
  del_row->addWidget(del);
  del_row->addStretch();
  grid_side->addLayout(del_row);
  upper->addLayout(grid_side, 3);

  // The inputs of a new condition.
  auto* inputs = new QVBoxLayout;
  upper->addLayout(inputs, 2);
  auto* hint =
      Caption(QStringLiteral(
                  "  相应分数段内各班人数平衡，请进行如下设置。否则，各分班仅按平均分及人数平衡列"
                  "平衡进行分班。\n\n  特别提示：分数段设置应适量，过多的分数段平衡设置可能会"
                  "拉大各班平均分差距。"),
              this, "bsSkinTextLabel1");
  hint->setWordWrap(true);
  inputs->addWidget(hint);
  auto* range_group = new QGroupBox(QStringLiteral("选择学生区间"), this);
  range_group->setObjectName(QStringLiteral("bsSkinGroupBox4"));
  range_box_ = new QComboBox(range_group);
  range_box_->setObjectName(QStringLiteral("bsSkinComboBox3"));
  (new QHBoxLayout(range_group))->addWidget(range_box_);
  inputs->addWidget(range_group);

  auto* subject_group = new QGroupBox(QStringLiteral("应用科目"), this);
  subject_group->setObjectName(QStringLiteral("bsSkinGroupBox8"));
  auto* sg = new QHBoxLayout(subject_group);
  const QString choice_names[3] = {QStringLiteral("所有科目"), QStringLiteral("总分"),
                                   QStringLiteral("单科")};
  for (int i = 0; i < 3; ++i) {
    choices_[i] = new QRadioButton(choice_names[i], subject_group);
    choices_[i]->setObjectName(QStringLiteral("bsSkinCheckRadioBox%1").arg(14 + i));
    sg->addWidget(choices_[i]);
    connect(choices_[i], &QRadioButton::clicked, this, [this, i] {
      page_.bands.subject_choice = i == 0   ? rules::SubjectChoice::kAllSubjects
                                   : i == 1 ? rules::SubjectChoice::kTotal
                                            : rules::SubjectChoice::kSingle;
    });
  }
  subjects_ = new QComboBox(subject_group);
  subjects_->setObjectName(QStringLiteral("bsSkinCheckComboBox1"));
  subjects_->setMinimumWidth(110);
  subject_items_ = new QStandardItemModel(this);
  subjects_->setModel(subject_items_);
  sg->addWidget(subjects_, 1);
  inputs->addWidget(subject_group);

  auto* cond_group = new QGroupBox(QStringLiteral("条  件"), this);
  cond_group->setObjectName(QStringLiteral("bsSkinGroupBox7"));
  auto* cg = new QGridLayout(cond_group);
  lower_op_ = new QComboBox(cond_group);
  lower_op_->setObjectName(QStringLiteral("bsSkinComboBox4"));
  lower_op_->addItems({QStringLiteral("大于"), QStringLiteral("大于等于")});
  upper_op_ = new QComboBox(cond_group);
  upper_op_->setObjectName(QStringLiteral("bsSkinComboBox5"));
  upper_op_->addItems({QStringLiteral("小于"), QStringLiteral("小于等于")});
  lower_ = ValueBox("bsSkinEdit4", cond_group);
  upper_ = ValueBox("bsSkinEdit8", cond_group);
  cg->addWidget(Caption(QStringLiteral("起始值"), cond_group, "bsSkinStdLabel14"), 0, 0);
  cg->addWidget(lower_op_, 0, 1);
  cg->addWidget(lower_, 0, 2);
  cg->addWidget(Caption(QStringLiteral("截止值"), cond_group, "bsSkinStdLabel15"), 1, 0);
  cg->addWidget(upper_op_, 1, 1);
  cg->addWidget(upper_, 1, 2);
  one_key_ = new QCheckBox(QStringLiteral("一键式快速设置"), cond_group);
  one_key_->setObjectName(QStringLiteral("bsSkinCheckRadioBox20"));
  one_key_->setToolTip(QStringLiteral(
      "勾选后，按起始值、截止值和间隔一次生成一串分数段条件；不勾选则按上面的两个条件添加一段"));
  cg->addWidget(one_key_, 2, 0, 1, 3);
  series_start_ = ValueBox("bsSkinEdit12", cond_group);
  series_end_ = ValueBox("bsSkinEdit13", cond_group);
  series_step_ = ValueBox("bsSkinEdit11", cond_group);
  auto* series = new QHBoxLayout;
  series->addWidget(Caption(QStringLiteral("起始值"), cond_group, "bsSkinStdLabel20"));
  series->addWidget(series_start_);
  series->addWidget(Caption(QStringLiteral("截止值"), cond_group, "bsSkinStdLabel21"));
  series->addWidget(series_end_);
  series->addStretch();
  cg->addLayout(series, 3, 0, 1, 3);
  auto* step = new QHBoxLayout;
  step->addWidget(Caption(QStringLiteral("每间隔"), cond_group, "bsSkinStdLabel19"));
  step->addWidget(series_step_);
  step->addWidget(Caption(QStringLiteral("分，为一个段"), cond_group));
  step->addStretch();
  cg->addLayout(step, 4, 0, 1, 3);
  inputs->addWidget(cond_group);

  auto* level_group = new QGroupBox(QStringLiteral("分数段平衡类型选择"), this);
  level_group->setObjectName(QStringLiteral("bsSkinGroupBox6"));
  auto* lg = new QHBoxLayout(level_group);
  level_box_ = new QComboBox(level_group);
  level_box_->setObjectName(QStringLiteral("bsSkinComboBox7"));
  level_box_->setToolTip(QStringLiteral("添加的分数段条件在各班之间平衡的等级"));
  for (const std::string& c : rules::LevelCaptions()) level_box_->addItem(Q(c));
  level_box_->setCurrentText(Q(rules::InitialLevelText()));
  auto* add = new QPushButton(QStringLiteral("添加"), level_group);
  add->setObjectName(QStringLiteral("bsSkinButton6"));
  lg->addWidget(Caption(QStringLiteral("平衡等级选择："), level_group, "bsSkinStdLabel22"));
  lg->addWidget(level_box_, 1);
  lg->addWidget(add);
  inputs->addWidget(level_group);
  inputs->addStretch();

  // The balance items.
  page->addWidget(
      Caption(QStringLiteral("平均分及人数平衡等级设置（根据各校情况，设置在理想范围）"), this,
              "bsSkinStdLabel18"));
  items_model_ = new GridModel(GridModel::Layout{true, false, 0, 2}, this);
  items_view_ = MakeScoreView(items_model_, this);
  items_view_->setObjectName(QStringLiteral("bsSkinStringGrid5"));
  items_view_->setSelectionMode(QAbstractItemView::SingleSelection);
  items_view_->verticalHeader()->hide();
  items_model_->SetColumnHint(1, QStringLiteral("点击选择该项在各班之间平衡的等级"));
  auto* items_row = new QHBoxLayout;
  items_row->addWidget(items_view_);
  groups_ = new GroupsPanel(s_, this);
  items_row->addWidget(groups_, 1);
  items_view_->setMinimumWidth(rules::kItemsGridWidths[0] + rules::kItemsGridWidths[1] + 24);
  page->addLayout(items_row, 2);

  band_menu_ =
      LevelMenu("bsSkinPopupMenu3", {"N6", "N7", "N8", "N42", "N52", "N62", "N72", "N82", "N92"},
                this, [this](int level) {
                  rules::SetBandLevel(page_.bands, s_.state, level);
                  Render();
                });
  items_menu_ =
      LevelMenu("bsSkinPopupMenu2", {"N4", "N3", "N5", "N41", "N51", "N61", "N71", "N81", "N91"},
                this, [this](int level) {
                  rules::SetItemLevel(page_.items, s_.state, level);
                  Render();
                });

  connect(range_box_, &QComboBox::activated, this,
          [this](int i) { page_.bands.range_selected = i; });
  connect(subject_items_, &QStandardItemModel::itemChanged, this, [this](QStandardItem* item) {
    const auto row = static_cast<std::size_t>(item->row());
    if (row < page_.bands.subject_ticked.size()) {
      page_.bands.subject_ticked[row] = item->checkState() == Qt::Checked;
    }
  });
  auto& cond = page_.bands.condition;
  connect(lower_op_, &QComboBox::currentTextChanged, this,
          [&cond](const QString& t) { cond.lower_op = Gb(t); });
  connect(upper_op_, &QComboBox::currentTextChanged, this,
          [&cond](const QString& t) { cond.upper_op = Gb(t); });
  const std::pair<QLineEdit*, std::string*> values[] = {{lower_, &cond.lower_value},
                                                        {upper_, &cond.upper_value},
                                                        {series_start_, &cond.series_start},
                                                        {series_end_, &cond.series_end},
                                                        {series_step_, &cond.series_step}};
  for (auto [edit, field] : values) {
    connect(edit, &QLineEdit::textChanged, this,
            [field = field](const QString& t) { *field = Gb(t); });
  }
  connect(level_box_, &QComboBox::currentTextChanged, this,
          [this](const QString& t) { page_.bands.level_text = Gb(t); });
  connect(one_key_, &QCheckBox::clicked, this, [this] {
    rules::ToggleOneKey(page_.bands);
    Render();
  });
  connect(add, &QPushButton::clicked, this, [this] {
    rules::AddBandConditions(page_.bands, s_.state, s_.user);
    Render();
  });
  connect(del, &QPushButton::clicked, this, [this] {
    rules::DeleteBandConditions(page_.bands, s_.state, s_.user);
    Render();
  });
  connect(band_view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    int top = -1, bottom = -1;
    for (const QModelIndex& i : band_view_->selectionModel()->selectedRows()) {
      const int r = static_cast<int>(band_model_->GridRow(i.row()));
      top = top < 0 ? r : std::min(top, r);
      bottom = std::max(bottom, r);
    }
    rules::SelectBandRows(page_.bands, top, bottom);
  });
  connect(band_view_, &QTableView::clicked, this, [this](const QModelIndex& index) {
    rules::SelectBandCell(page_.bands, static_cast<int>(band_model_->GridRow(index.row())),
                          index.column());
    if (page_.bands.level_menu_open) band_menu_->popup(CellCorner(band_view_, index));
    page_.bands.level_menu_open = false;
  });
  connect(items_view_, &QTableView::clicked, this, [this](const QModelIndex& index) {
    rules::SelectItemCell(page_.items, static_cast<int>(items_model_->GridRow(index.row())),
                          index.column());
    if (page_.items.level_menu_open) items_menu_->popup(CellCorner(items_view_, index));
    page_.items.level_menu_open = false;
  });
}

void RulesTab2::Enter() {
  rules::EnterSecondRulesPage(page_, s_.state);
  groups_->Enter();
  {
    const QSignalBlocker block(range_box_);
    range_box_->clear();
    for (const std::string& key : page_.bands.range_items) range_box_->addItem(Q(key));
    range_box_->setCurrentIndex(page_.bands.range_selected);
  }
  {
    const QSignalBlocker block(subject_items_);
    subject_items_->clear();
    for (std::size_t i = 0; i < page_.bands.subject_items.size(); ++i) {
      auto* item = new QStandardItem(Q(page_.bands.subject_items[i]));
      item->setCheckable(true);
      item->setCheckState(page_.bands.subject_ticked[i] ? Qt::Checked : Qt::Unchecked);
      subject_items_->appendRow(item);
    }
  }
  Render();
}

void RulesTab2::Render() {
  band_model_->SetGrid(page_.bands.grid);
  SetColumnWidths(band_view_, rules::kBandGridWidths);
  items_model_->SetGrid(page_.items.grid);
  SetColumnWidths(items_view_, rules::kItemsGridWidths);
  const bool one_key = OneKeyInputsEnabled(page_.bands);
  const bool typed = TypedInputsEnabled(page_.bands);
  for (QWidget* w : {static_cast<QWidget*>(series_start_), static_cast<QWidget*>(series_end_),
                     static_cast<QWidget*>(series_step_)}) {
    w->setEnabled(one_key);
  }
  for (QWidget* w : {static_cast<QWidget*>(lower_op_), static_cast<QWidget*>(upper_op_),
                     static_cast<QWidget*>(lower_), static_cast<QWidget*>(upper_)}) {
    w->setEnabled(typed);
  }
  const QSignalBlocker block(one_key_);
  one_key_->setChecked(page_.bands.condition.one_key);
}

}  // namespace tessaly::ui
