#include "ui/rules_tab1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStringListModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include "rules/key_filters.h"
#include "ui/grid_model.h"
#include "ui/key_input.h"
#include "ui/qt_text.h"
#include "ui/score_view.h"

namespace tessaly::ui {

namespace {

// The cell editor of the weight column: its keys pass the weights filter,
// and every key release runs the range test of the page model.
class WeightDelegate : public QStyledItemDelegate {
 public:
  WeightDelegate(rules::WeightsPage& page, model::UserPort& user, QObject* parent)
      : QStyledItemDelegate(parent), page_(page), user_(user) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex&) const override {
    auto* editor = new QLineEdit(parent);
    editor->setObjectName(QStringLiteral("weightEditor"));
    FilterKeys(editor, &rules::WeightKeepsKey);
    editor->installEventFilter(const_cast<WeightDelegate*>(this));
    return editor;
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyRelease) {
      auto* editor = static_cast<QLineEdit*>(watched);
      rules::EditWeightCell(page_, Gb(editor->text()));
      rules::WeightKeyUp(page_, user_);
      const QString cell = Q(page_.grid.Cell(page_.current_row, page_.current_col));
      if (cell != editor->text()) editor->setText(cell);
      return false;
    }
    return QStyledItemDelegate::eventFilter(watched, event);
  }

 private:
  rules::WeightsPage& page_;
  model::UserPort& user_;
};

QLabel* Caption(const QString& text, QWidget* parent, const char* name = nullptr) {
  auto* l = new QLabel(text, parent);
  if (name != nullptr) l->setObjectName(QString::fromLatin1(name));
  return l;
}

}  // namespace

RulesTab1::RulesTab1(Session& session, QWidget* parent) : QWidget(parent), s_(session) {
  setObjectName(QStringLiteral("bsSkinTabSheet2"));
  auto* page = new QVBoxLayout(this);
  auto* upper = new QHBoxLayout;
  page->addLayout(upper, 2);

  // ① weights and main table.
  auto* weights_box =
      new QGroupBox(QStringLiteral("①多份成绩计算比例设置(多份成绩折合时必须设置)"), this);
  weights_box->setObjectName(QStringLiteral("bsSkinGroupBox1"));
  auto* wl = new QVBoxLayout(weights_box);
  weights_model_ = new GridModel(GridModel::Layout{true, true, 1, 2}, this);
  weights_view_ = MakeScoreView(weights_model_, weights_box);
  weights_view_->setObjectName(QStringLiteral("bsSkinStringGrid2"));
  weights_model_->SetColumnHint(1, QStringLiteral("点击选择主表（对此表学生进行分班）或参考表"));
  weights_view_->setSelectionMode(QAbstractItemView::SingleSelection);
  weights_view_->setItemDelegateForColumn(0, new WeightDelegate(page_.weights, s_.user, this));
  weights_view_->verticalHeader()->setFixedWidth(rules::kWeightsGridWidths[0]);
  weights_model_->SetEditableColumns({0},
                                     [this](std::size_t row, std::size_t col, const QString& t) {
                                       page_.weights.grid.At(row, col) = Gb(t);
                                     });
  wl->addWidget(weights_view_, 1);
  wl->addWidget(Caption(QStringLiteral("各份成绩所占比例之和为：100%，只有其中1份数据为主表"),
                        weights_box, "bsSkinStatusPanel2"));
  upper->addWidget(weights_box, 3);
  role_menu_ = new QMenu(this);
  role_menu_->setObjectName(QStringLiteral("bsSkinPopupMenu1"));
  QAction* n1 = role_menu_->addAction(QStringLiteral("主表（对此表学生进行分班）"));
  n1->setObjectName(QStringLiteral("N1"));
  QAction* n2 = role_menu_->addAction(QStringLiteral("参考表"));
  n2->setObjectName(QStringLiteral("N2"));

  // ② fuzzy sounds.
  auto* sound_box = new QGroupBox(QStringLiteral("②区分模糊音（不是必须设置）"), this);
  sound_box->setObjectName(QStringLiteral("bsSkinGroupBox2"));
  auto* sl = new QGridLayout(sound_box);
  sl->addWidget(Caption(QStringLiteral("声母模糊音："), sound_box, "bsSkinStdLabel9"), 0, 0, 1, 5);
  sl->addWidget(Caption(QStringLiteral("韵母模糊音："), sound_box, "bsSkinStdLabel10"), 2, 0, 1, 5);
  for (int i = 0; i < 10; ++i) {
    const char* caption = i < 5 ? rules::kInitialPairs[i] : rules::kFinalPairs[i - 5];
    sounds_[i] = new QCheckBox(QString::fromLatin1(caption), sound_box);
    sounds_[i]->setObjectName(QStringLiteral("bsSkinCheckRadioBox%1").arg(i + 1));
    sounds_[i]->setToolTip(
        QStringLiteral("勾选后，读音只差 %1 的姓名算作同音，分在不同班").arg(sounds_[i]->text()));
    sl->addWidget(sounds_[i], i < 5 ? 1 : 3, i % 5);
    connect(sounds_[i], &QCheckBox::toggled, this, [this, i](bool on) {
      (i < 5 ? page_.weights.initial_ticked[i] : page_.weights.final_ticked[i - 5]) = on;
    });
  }
  sl->setRowStretch(4, 1);
  upper->addWidget(sound_box, 2);

  // ③ class-type ranges.
  auto* range_box = new QGroupBox(QStringLiteral("③分班类型及数量（必须设置）"), this);
  range_box->setObjectName(QStringLiteral("bsSkinGroupBox3"));
  auto* rl = new QHBoxLayout(range_box);
  range_model_ = new GridModel(GridModel::Layout{true, false, 0, 5}, this);
  range_view_ = MakeScoreView(range_model_, range_box);
  range_view_->setObjectName(QStringLiteral("bsSkinStringGrid3"));
  range_view_->setSelectionMode(QAbstractItemView::SingleSelection);
  range_view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  range_view_->verticalHeader()->hide();
  rl->addWidget(range_view_, 3);
  auto* inputs = new QVBoxLayout;
  rl->addLayout(inputs, 2);
  auto* type_box = new QGroupBox(QStringLiteral("请选择区间类型"), range_box);
  type_box->setObjectName(QStringLiteral("bsSkinGroupBox9"));
  auto* tl = new QHBoxLayout(type_box);
  by_number_ = new QRadioButton(QStringLiteral("按学号"), type_box);
  by_number_->setObjectName(QStringLiteral("bsSkinCheckRadioBox19"));
  by_rank_ = new QRadioButton(QStringLiteral("按名次"), type_box);
  by_rank_->setObjectName(QStringLiteral("bsSkinCheckRadioBox18"));
  tl->addWidget(by_number_);
  tl->addWidget(by_rank_);
  tl->addStretch();
  inputs->addWidget(type_box);
  auto* span = new QHBoxLayout;
  start_ = new QComboBox(range_box);
  start_->setObjectName(QStringLiteral("bsSkinComboBox1"));
  start_->setToolTip(QStringLiteral("区间的起点：按学号时选或输入学号，按名次时输入名次"));
  end_ = new QComboBox(range_box);
  end_->setObjectName(QStringLiteral("bsSkinComboBox2"));
  end_->setToolTip(QStringLiteral("区间的终点（包括该学号或名次）"));
  span->addWidget(Caption(QStringLiteral("第"), range_box, "bsSkinStdLabel11"));
  span->addWidget(start_, 1);
  span->addWidget(Caption(QStringLiteral("至"), range_box));
  span->addWidget(end_, 1);
  span->addWidget(Caption(QStringLiteral("，"), range_box));
  inputs->addLayout(span);
  auto* count_row = new QHBoxLayout;
  count_ = new QLineEdit(range_box);
  count_->setObjectName(QStringLiteral("bsSkinEdit5"));
  count_->setMaximumWidth(80);
  count_row->addWidget(Caption(QStringLiteral("分为："), range_box, "bsSkinStdLabel17"));
  count_row->addWidget(count_);
  count_row->addWidget(Caption(QStringLiteral("个班"), range_box));
  count_row->addStretch();
  inputs->addLayout(count_row);
  inputs->addWidget(Caption(QStringLiteral("班级编号分别为（各班编号用‘，’隔开）："), range_box,
                            "bsSkinStdLabel12"));
  ids_ = new QLineEdit(range_box);
  ids_->setObjectName(QStringLiteral("bsSkinEdit6"));
  inputs->addWidget(ids_);
  auto* remark_row = new QHBoxLayout;
  remark_ = new QLineEdit(range_box);
  remark_->setObjectName(QStringLiteral("bsSkinEdit7"));
  remark_row->addWidget(Caption(QStringLiteral("备注："), range_box, "bsSkinStdLabel13"));
  remark_row->addWidget(remark_, 1);
  inputs->addLayout(remark_row);
  auto* buttons = new QHBoxLayout;
  auto* add = new QPushButton(QStringLiteral("添  加"), range_box);
  add->setObjectName(QStringLiteral("bsSkinButton1"));
  auto* del = new QPushButton(QStringLiteral("删  除"), range_box);
  del->setObjectName(QStringLiteral("bsSkinButton2"));
  buttons->addWidget(add);
  buttons->addWidget(del);
  inputs->addLayout(buttons);
  inputs->addStretch();
  page->addWidget(range_box, 3);

  for (QComboBox* box : {start_, end_}) {
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(20);
    box->completer()->setCompletionMode(QCompleter::InlineCompletion);
    box->installEventFilter(this);
    FilterKeys(box->lineEdit(),
               [this](char c) { return rules::RangeBoxKeepsKey(page_.ranges, c); });
    rules::RangeBox& model_box = box == start_ ? page_.ranges.start : page_.ranges.end;
    connect(box->lineEdit(), &QLineEdit::textEdited, this,
            [&model_box](const QString& t) { rules::SetRangeBoxText(model_box, Gb(t)); });
    connect(box, &QComboBox::activated, this,
            [&model_box](int index) { rules::PickRangeBoxEntry(model_box, index); });
  }
  FilterKeys(count_, &rules::KeepDigitKey);
  FilterKeys(ids_, &rules::KeepDigitCommaKey);
  connect(count_, &QLineEdit::textChanged, this,
          [this](const QString& t) { page_.ranges.class_count = Gb(t); });
  connect(ids_, &QLineEdit::textChanged, this,
          [this](const QString& t) { page_.ranges.class_ids = Gb(t); });
  connect(remark_, &QLineEdit::textChanged, this,
          [this](const QString& t) { page_.ranges.remark = Gb(t); });

  connect(weights_view_, &QTableView::clicked, this, &RulesTab1::WeightCellSelected);
  connect(n1, &QAction::triggered, this, [this] {
    rules::ChooseMainTable(page_.weights, page_.ranges, s_.state);
    Render();
  });
  connect(n2, &QAction::triggered, this, [this] {
    rules::ChooseReferenceTable(page_.weights);
    Render();
  });
  connect(by_number_, &QRadioButton::clicked, this,
          [this] { ChooseType(rules::RangeType::kByNumber); });
  connect(by_rank_, &QRadioButton::clicked, this,
          [this] { ChooseType(rules::RangeType::kByRank); });
  connect(range_view_, &QTableView::clicked, this, [this](const QModelIndex& index) {
    page_.ranges.current_row = static_cast<int>(range_model_->GridRow(index.row()));
  });
  connect(add, &QPushButton::clicked, this, [this] {
    rules::AddRange(page_.ranges, s_.user);
    Render();
    FollowFocus();
  });
  connect(del, &QPushButton::clicked, this, [this] {
    rules::DeleteRange(page_.ranges, s_.user);
    page_.ranges.current_row = -1;
    Render();
  });
}

void RulesTab1::Enter() {
  rules::EnterFirstRulesPage(page_, s_.state);
  Render();
}

void RulesTab1::Leave() {
  // The cell editor wrote every key into the page model as it was released.
  rules::LeaveFirstRulesPage(page_, s_.state, s_.user);
}

void RulesTab1::Render() {
  weights_model_->SetEditing(page_.weights.editing);
  weights_model_->SetGrid(page_.weights.grid);
  SetColumnWidths(weights_view_, std::span<const int>(rules::kWeightsGridWidths).subspan(1));
  for (int i = 0; i < 10; ++i) {
    const QSignalBlocker block(sounds_[i]);
    sounds_[i]->setChecked(i < 5 ? page_.weights.initial_ticked[i]
                                 : page_.weights.final_ticked[i - 5]);
  }
  range_model_->SetGrid(page_.ranges.grid);
  SetColumnWidths(range_view_, rules::kRangeGridWidths);
  {
    const QSignalBlocker b1(by_number_);
    const QSignalBlocker b2(by_rank_);
    by_number_->setAutoExclusive(false);
    by_rank_->setAutoExclusive(false);
    by_number_->setChecked(page_.ranges.type == rules::RangeType::kByNumber);
    by_rank_->setChecked(page_.ranges.type == rules::RangeType::kByRank);
    by_number_->setAutoExclusive(true);
    by_rank_->setAutoExclusive(true);
  }
  // The lists change only with the main table or the type: refill them then
  // (20,000 numbers), not on every event.
  if (shown_items_ != page_.ranges.start.items) {
    QStringList items;
    items.reserve(static_cast<int>(page_.ranges.start.items.size()));
    for (const std::string& n : page_.ranges.start.items) items << Q(n);
    for (QComboBox* box : {start_, end_}) {
      const QSignalBlocker block(box);
      box->clear();
      box->addItems(items);
    }
    shown_items_ = page_.ranges.start.items;
  }
  for (QComboBox* box : {start_, end_}) {
    const rules::RangeBox& m = box == start_ ? page_.ranges.start : page_.ranges.end;
    const QSignalBlocker block(box);
    box->setCurrentIndex(m.selected);
    box->setEditText(Q(m.text));
  }
  count_->setText(Q(page_.ranges.class_count));
  ids_->setText(Q(page_.ranges.class_ids));
  remark_->setText(Q(page_.ranges.remark));
}

void RulesTab1::FollowFocus() {
  if (page_.ranges.focus == rules::Focus::kWeightsGrid) weights_view_->setFocus();
  if (page_.ranges.focus == rules::Focus::kClassIds) ids_->setFocus();
  page_.ranges.focus = rules::Focus::kNone;
}

void RulesTab1::WeightCellSelected(const QModelIndex& index) {
  const int row = static_cast<int>(weights_model_->GridRow(index.row()));
  const int col = static_cast<int>(weights_model_->GridColumn(index.column()));
  rules::SelectWeightCell(page_.weights, row, col);
  weights_model_->SetEditing(page_.weights.editing);
  if (page_.weights.editing) weights_view_->edit(index);
  if (page_.weights.role_menu_open) {
    const QRect cell = weights_view_->visualRect(index);
    role_menu_->popup(weights_view_->viewport()->mapToGlobal(cell.bottomRight()));
    page_.weights.role_menu_open = false;
  }
}

void RulesTab1::ChooseType(rules::RangeType type) {
  rules::ChooseRangeType(page_.ranges, type, s_.state, s_.user);
  Render();
  FollowFocus();
}

bool RulesTab1::eventFilter(QObject* watched, QEvent* event) {
  if (watched != start_ && watched != end_) return QWidget::eventFilter(watched, event);
  if (event->type() != QEvent::FocusIn && event->type() != QEvent::FocusOut) return false;
  // Focus that only follows a message box or a popup is no user's move.
  const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return false;
  rules::RangeBox& box = watched == start_ ? page_.ranges.start : page_.ranges.end;
  if (event->type() == QEvent::FocusIn) {
    rules::RangeBoxEntered(page_.ranges, box, s_.state, s_.user);
    FollowFocus();
  } else {
    rules::RangeBoxLeft(page_.ranges, box, s_.user);
    auto* combo = static_cast<QComboBox*>(watched);
    if (combo->currentText() != Q(box.text)) combo->setEditText(Q(box.text));
  }
  return false;
}

}  // namespace tessaly::ui
