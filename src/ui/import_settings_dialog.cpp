#include "ui/import_settings_dialog.h"

#include <QBrush>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/qt_text.h"

namespace tessaly::ui {
namespace {

using import::Role;

// The order one click moves a choosable role along.
Role Next(Role role) {
  switch (role) {
    case Role::kSubject:
      return Role::kBalance;
    case Role::kBalance:
      return Role::kPresetClass;
    case Role::kPresetClass:
      return Role::kOther;
    default:
      return Role::kSubject;
  }
}

QString RoleColour(Role role) {
  switch (role) {
    case Role::kSubject:
      return QStringLiteral("#cfe3ff");
    case Role::kBalance:
      return QStringLiteral("#d4f2d0");
    case Role::kPresetClass:
      return QStringLiteral("#ffe2c2");
    case Role::kOther:
      return QStringLiteral("#f0f0f0");
    default:
      return QString();
  }
}

}  // namespace

QString ImportSettingsDialog::RoleCaption(Role role) {
  switch (role) {
    case Role::kSubject:
      return QStringLiteral("科目");
    case Role::kBalance:
      return QStringLiteral("平衡列");
    case Role::kPresetClass:
      return QStringLiteral("预设班级");
    case Role::kOther:
      return QStringLiteral("其他");
    case Role::kName:
      return QStringLiteral("姓名");
    case Role::kGender:
      return QStringLiteral("性别");
    case Role::kNumber:
      return QStringLiteral("学号");
    case Role::kIgnored:
      break;
  }
  return QStringLiteral("不导入");
}

ImportSettingsDialog::ImportSettingsDialog(import::TableSource& source, import::TableLayout layout,
                                           std::function<void(import::TableLayout&)> prefill,
                                           QWidget* parent)
    : QDialog(parent), source_(source), layout_(std::move(layout)), prefill_(std::move(prefill)) {
  setObjectName(QStringLiteral("importSettings"));
  setWindowTitle(QStringLiteral("导入设置"));
  setModal(true);

  auto* top = new QHBoxLayout;
  sheet_label_ = new QLabel(QStringLiteral("工作表："), this);
  sheet_box_ = new QComboBox(this);
  sheet_box_->setObjectName(QStringLiteral("sheetBox"));
  // The active sheet first, then the others in the workbook's order.
  const auto& names = source_.SheetNames();
  if (source_.IsWorkbook() && !names.empty()) {
    sheet_box_->addItem(Q(names[source_.ActiveSheet()]),
                        static_cast<qulonglong>(source_.ActiveSheet()));
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (i != source_.ActiveSheet()) sheet_box_->addItem(Q(names[i]), static_cast<qulonglong>(i));
    }
  }
  const bool several = sheet_box_->count() > 1;
  sheet_label_->setVisible(several);
  sheet_box_->setVisible(several);
  top->addWidget(sheet_label_);
  top->addWidget(sheet_box_);
  top->addSpacing(several ? 16 : 0);
  top->addWidget(new QLabel(QStringLiteral("标题行：第"), this));
  row_box_ = new QSpinBox(this);
  row_box_->setObjectName(QStringLiteral("headingRowBox"));
  row_box_->setRange(1, import::kHeadingSearchRows);
  top->addWidget(row_box_);
  top->addWidget(new QLabel(QStringLiteral("行"), this));
  top->addStretch();

  note_ = new QLabel(this);
  note_->setObjectName(QStringLiteral("noteLabel"));
  note_->setWordWrap(true);
  auto* hint =
      new QLabel(QStringLiteral("点击列上方的按钮改变该列的用途：科目 → 平衡列 → 预设班级 → 其他。"
                                "学号、姓名、性别三列按标题导入。"),
                 this);
  hint->setWordWrap(true);

  table_ = new QTableWidget(this);
  table_->setObjectName(QStringLiteral("previewTable"));
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionMode(QAbstractItemView::NoSelection);
  table_->horizontalHeader()->setVisible(false);

  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
  ok_->setObjectName(QStringLiteral("okButton"));
  cancel_ = buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
  cancel_->setObjectName(QStringLiteral("cancelButton"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* l = new QVBoxLayout(this);
  l->addLayout(top);
  l->addWidget(note_);
  l->addWidget(hint);
  l->addWidget(table_, 1);
  l->addWidget(buttons);

  connect(sheet_box_, &QComboBox::activated, this, [this](int index) {
    ReadAgain(static_cast<std::size_t>(sheet_box_->itemData(index).toULongLong()), 0);
  });
  connect(row_box_, &QSpinBox::valueChanged, this, [this](int row) {
    if (!rendering_) ReadAgain(layout_.sheet, row);
  });
  Render();
  resize(1100, 580);
}

QPushButton* ImportSettingsDialog::roleButton(int column) const {
  if (column < 1 || static_cast<std::size_t>(column) > buttons_.size()) return nullptr;
  return buttons_[column - 1];
}

void ImportSettingsDialog::ReadAgain(std::size_t sheet, int heading_row) {
  std::string error;
  std::optional<import::TableLayout> layout = source_.Layout(sheet, heading_row, error);
  if (!layout) {
    note_->setText(Q(error));
    return;
  }
  layout_ = std::move(*layout);
  if (prefill_) prefill_(layout_);
  Render();
}

void ImportSettingsDialog::NextRole(int column) {
  Role& role = layout_.roles[column - 1];
  role = Next(role);
  // One column holds the preset classes: an earlier one gives way.
  if (role == Role::kPresetClass) {
    for (std::size_t i = 0; i < layout_.roles.size(); ++i) {
      if (static_cast<int>(i) != column - 1 && layout_.roles[i] == Role::kPresetClass) {
        layout_.roles[i] = Role::kOther;
      }
    }
  }
  ShowRoles();
}

std::vector<Role> ImportSettingsDialog::ShownRoles() const {
  const import::TableLayout& l = layout_;
  if (!l.HasHeadingRow()) return std::vector<Role>(l.rows.headings.size(), Role::kIgnored);
  return l.own_words ? l.roles : import::RolesOf(l.fixed, l.rows.headings.size());
}

void ImportSettingsDialog::ShowRoles() {
  const std::vector<Role> roles = ShownRoles();
  const bool choosing = layout_.HasHeadingRow() && layout_.own_words;
  for (std::size_t c = 0; c < buttons_.size() && c < roles.size(); ++c) {
    QPushButton* b = buttons_[c];
    if (b == nullptr) continue;
    b->setText(RoleCaption(roles[c]));
    b->setEnabled(choosing && import::IsChoosable(roles[c]));
    const QString colour = RoleColour(roles[c]);
    b->setStyleSheet(
        colour.isEmpty()
            ? QString()
            : QStringLiteral("QPushButton { background: %1; padding: 2px 6px; }").arg(colour));
  }
}

void ImportSettingsDialog::Render() {
  rendering_ = true;
  const import::TableLayout& l = layout_;
  for (int i = 0; i < sheet_box_->count(); ++i) {
    if (sheet_box_->itemData(i).toULongLong() == l.sheet) sheet_box_->setCurrentIndex(i);
  }
  row_box_->setValue(l.ReadRow());

  const bool usable = l.HasHeadingRow();
  const std::vector<Role> roles = ShownRoles();
  QString note;
  if (!usable) {
    note = QStringLiteral("第%1行没有同时含有学号、姓名、性别，不能作为标题行。").arg(l.ReadRow());
  } else if (l.heading_row > 1) {
    note = Q(import::SkippedRowsNote(l)) + QStringLiteral("。");
  } else {
    note = QStringLiteral("标题行是第1行。");
  }
  if (usable && !l.own_words) note += QStringLiteral("本表的标题含KEMU，各列按标题导入。");
  note_->setText(note);
  ok_->setEnabled(usable);

  std::size_t columns = roles.size();
  for (const auto& row : l.preview) columns = std::max(columns, row.size());
  // Emptied first, so that the buttons of the table read before go.
  table_->setRowCount(0);
  table_->setColumnCount(0);
  table_->setColumnCount(static_cast<int>(columns));
  table_->setRowCount(static_cast<int>(l.preview.size()) + 1);
  QStringList row_names{QStringLiteral("用途")};
  for (std::size_t r = 1; r <= l.preview.size(); ++r) row_names << QString::number(r);
  table_->setVerticalHeaderLabels(row_names);

  buttons_.assign(roles.size(), nullptr);
  for (std::size_t c = 0; c < roles.size(); ++c) {
    if (l.rows.headings[c].empty()) continue;
    auto* b = new QPushButton;
    b->setObjectName(QStringLiteral("role_%1").arg(c + 1));
    const int column = static_cast<int>(c) + 1;
    connect(b, &QPushButton::clicked, this, [this, column] { NextRole(column); });
    table_->setCellWidget(0, static_cast<int>(c), b);
    buttons_[c] = b;
  }
  ShowRoles();

  QFont bold = table_->font();
  bold.setBold(true);
  for (std::size_t r = 0; r < l.preview.size(); ++r) {
    const int row = static_cast<int>(r) + 1;
    const bool heading = usable && row == l.heading_row;
    for (std::size_t c = 0; c < l.preview[r].size(); ++c) {
      auto* item = new QTableWidgetItem(Q(l.preview[r][c]));
      if (heading) {
        item->setFont(bold);
        item->setBackground(QBrush(QColor(QStringLiteral("#fff2a8"))));
      } else if (usable && row < l.heading_row) {
        item->setForeground(QBrush(Qt::gray));
      }
      table_->setItem(row, static_cast<int>(c), item);
    }
  }
  table_->resizeColumnsToContents();
  for (int c = 0; c < table_->columnCount(); ++c) {
    table_->setColumnWidth(c, std::min(std::max(table_->columnWidth(c), 72), 220));
  }
  table_->resizeRowToContents(0);
  rendering_ = false;
}

}  // namespace tessaly::ui
