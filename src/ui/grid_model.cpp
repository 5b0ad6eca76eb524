#include "ui/grid_model.h"

#include <algorithm>

#include "ui/qt_text.h"

namespace tessaly::ui {

GridModel::GridModel(Layout layout, QObject* parent)
    : QAbstractTableModel(parent), layout_(layout) {}

void GridModel::SetGrid(model::Grid grid) {
  beginResetModel();
  columns_ = std::max<int>(layout_.columns,
                           static_cast<int>(grid.ColumnCount()) - (layout_.heading_column ? 1 : 0));
  grid_ = std::move(grid);
  endResetModel();
}

void GridModel::SetEditableColumns(
    std::set<int> columns, std::function<void(std::size_t, std::size_t, const QString&)> on_edit) {
  editable_ = std::move(columns);
  on_edit_ = std::move(on_edit);
}

int GridModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  const int rows = static_cast<int>(grid_.RowCount()) - (layout_.heading_row ? 1 : 0);
  return std::max(rows, layout_.min_rows);
}

int GridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::DisplayRole || role == Qt::EditRole) {
    return Q(grid_.Cell(GridRow(index.row()), GridColumn(index.column())));
  }
  if (role == Qt::ToolTipRole) {
    const auto hint = hints_.find(index.column());
    if (hint != hints_.end() && GridRow(index.row()) < grid_.RowCount()) return hint->second;
  }
  return {};
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) {
    if (!layout_.heading_row) return section + 1;
    return Q(grid_.Cell(0, GridColumn(section)));
  }
  if (!layout_.heading_column) return {};
  return Q(grid_.Cell(GridRow(section), 0));
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  if (editing_ && editable_.count(index.column()) > 0) f |= Qt::ItemIsEditable;
  return f;
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || !on_edit_) return false;
  on_edit_(GridRow(index.row()), GridColumn(index.column()), value.toString());
  return true;
}

}  // namespace tessaly::ui
