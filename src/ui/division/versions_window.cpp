#include "ui/division/versions_window.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <set>

#include "stats/division_versions.h"
#include "ui/division/division_context.h"
#include "ui/grid_model.h"
#include "ui/qt_text.h"

namespace tessaly::ui::division {

VersionsWindow::VersionsWindow(DivisionContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
  setWindowTitle(QStringLiteral("分班方案"));
  setObjectName(QStringLiteral("VersionsWindow"));
  name_ = new QLineEdit(this);
  name_->setPlaceholderText(QStringLiteral("方案名称"));
  save_ = new QPushButton(QStringLiteral("保存为方案"), this);
  auto* save_row = new QHBoxLayout;
  save_row->addWidget(new QLabel(QStringLiteral("方案名称："), this));
  save_row->addWidget(name_, 1);
  save_row->addWidget(save_);

  list_model_ = new GridModel(GridModel::Layout{false, false, 0, 3}, this);
  list_ = new QTableView(this);
  list_->setModel(list_model_);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->horizontalHeader()->setStretchLastSection(true);
  // The caption above names the columns (name, time, score); a header row
  // would only number them.
  list_->horizontalHeader()->hide();
  list_->verticalHeader()->hide();

  compare_ = new QPushButton(QStringLiteral("方案对比"), this);
  restore_ = new QPushButton(QStringLiteral("恢复方案"), this);
  delete_ = new QPushButton(QStringLiteral("删除方案"), this);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(compare_);
  buttons->addWidget(restore_);
  buttons->addWidget(delete_);
  buttons->addStretch();

  comparison_ = new GridModel(GridModel::Layout{true, false, 0, 0}, this);
  comparison_view_ = new QTableView(this);
  comparison_view_->setModel(comparison_);
  comparison_view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  comparison_view_->verticalHeader()->hide();

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(save_row);
  layout->addWidget(new QLabel(QStringLiteral("已保存的方案（名称、保存时间、评分）："), this));
  layout->addWidget(list_, 1);
  layout->addLayout(buttons);
  layout->addWidget(new QLabel(QStringLiteral("方案对比："), this));
  layout->addWidget(comparison_view_, 2);
  resize(860, 620);

  connect(save_, &QPushButton::clicked, this, &VersionsWindow::SaveVersion);
  connect(name_, &QLineEdit::returnPressed, this, &VersionsWindow::SaveVersion);
  connect(compare_, &QPushButton::clicked, this, &VersionsWindow::Compare);
  connect(restore_, &QPushButton::clicked, this, &VersionsWindow::Restore);
  connect(delete_, &QPushButton::clicked, this, &VersionsWindow::Delete);
  // The comparison is measured against the current division: a change of
  // it leaves the figures shown out of date.
  connect(&ctx_, &DivisionContext::divisionChanged, this, [this] {
    if (comparison_->rowCount() > 0) Compare();
  });
  Render();
}

void VersionsWindow::Render() {
  list_model_->SetGrid(stats::VersionList(ctx_.state()));
  list_->resizeColumnsToContents();
  const bool any = !ctx_.state().Versions.empty();
  compare_->setEnabled(any);
  restore_->setEnabled(any);
  delete_->setEnabled(any);
}

std::vector<std::string> VersionsWindow::Chosen() const {
  std::set<int> rows;
  for (const QModelIndex& index : list_->selectionModel()->selectedIndexes()) {
    rows.insert(index.row());
  }
  std::vector<std::string> names;
  const auto& versions = ctx_.state().Versions;
  for (int row : rows) {
    if (row >= 0 && static_cast<std::size_t>(row) < versions.size()) {
      names.push_back(versions[row].Name);
    }
  }
  return names;
}

void VersionsWindow::SaveVersion() {
  const std::string time =
      Gb(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
  if (stats::SaveVersion(ctx_.state(), ctx_.user(), Gb(name_->text()), time)) {
    name_->clear();
    Render();
    if (comparison_->rowCount() > 0) Compare();
  }
}

void VersionsWindow::Compare() {
  std::vector<std::string> names = Chosen();
  if (names.empty()) {
    for (const auto& v : ctx_.state().Versions) names.push_back(v.Name);
  }
  comparison_->SetGrid(stats::CompareVersions(ctx_.state(), ctx_.user(), names));
  comparison_view_->resizeColumnsToContents();
}

void VersionsWindow::Restore() {
  const std::vector<std::string> names = Chosen();
  if (names.size() != 1) {
    ctx_.user().Warning("请在列表中选择一个要恢复的方案！"_gb);
    return;
  }
  const bool restored = ctx_.Change(
      "恢复方案", [&] { return stats::RestoreVersion(ctx_.state(), ctx_.user(), names[0]); });
  if (restored) ctx_.ShowCurrentScore();
}

void VersionsWindow::Delete() {
  const std::vector<std::string> names = Chosen();
  if (names.empty()) {
    ctx_.user().Warning("请在列表中选择要删除的方案！"_gb);
    return;
  }
  const std::string which =
      names.size() == 1 ? "“"_gb + names[0] + "”"_gb : std::to_string(names.size()) + " 个"_gb;
  if (!ctx_.user().Confirm("确定要删除所选的"_gb + which + "方案吗？"_gb)) return;
  for (const std::string& name : names) {
    if (!stats::DeleteVersion(ctx_.state(), ctx_.user(), name)) break;
  }
  Render();
  if (comparison_->rowCount() > 0) Compare();
}

VersionsWindow* ShowVersionsWindow(DivisionContext& ctx, QWidget* parent) {
  auto* window = parent->findChild<VersionsWindow*>();
  if (!window) window = new VersionsWindow(ctx, parent);
  window->Render();
  window->show();
  window->raise();
  return window;
}

}  // namespace tessaly::ui::division
