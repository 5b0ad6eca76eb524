#pragma once
// One table model for every grid of the program: it wraps a core Grid of
// text cells. The grid's first row can serve as the view's heading row and
// its first column as the row headings, so both stay fixed while the view
// scrolls. Cells are converted to Qt text only when the view asks for them,
// so a table of 20,000 students shows at once.

#include <QAbstractTableModel>
#include <QString>
#include <functional>
#include <map>
#include <set>

#include "model/grid.h"

namespace tessaly::ui {

class GridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  struct Layout {
    bool heading_row = true;      // grid row 0 is the horizontal header
    bool heading_column = false;  // grid column 0 is the vertical header
    int min_rows = 0;             // data rows shown even when the grid has fewer
    int columns = 0;              // columns shown at least
  };
  explicit GridModel(QObject* parent = nullptr) : GridModel(Layout{}, parent) {}
  GridModel(Layout layout, QObject* parent = nullptr);

  // Replaces the grid shown.
  void SetGrid(model::Grid grid);
  const model::Grid& grid() const { return grid_; }

  // The grid row and column of a model index.
  std::size_t GridRow(int row) const { return row + (layout_.heading_row ? 1 : 0); }
  std::size_t GridColumn(int column) const { return column + (layout_.heading_column ? 1 : 0); }

  // Columns the user may edit in place; `on_edit` receives (grid row, grid
  // column, new text) and decides what the grid then shows.
  void SetEditableColumns(std::set<int> columns,
                          std::function<void(std::size_t, std::size_t, const QString&)> on_edit);
  void SetEditing(bool enabled) { editing_ = enabled; }

  // A tooltip for every cell of a view column, saying what a click on it
  // does (the level cells). A cell too narrow for its text shows the text.
  void SetColumnHint(int column, const QString& hint) { hints_[column] = hint; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

 private:
  Layout layout_;
  model::Grid grid_;
  int columns_ = 0;
  std::set<int> editable_;
  std::map<int, QString> hints_;
  bool editing_ = false;
  std::function<void(std::size_t, std::size_t, const QString&)> on_edit_;
};

}  // namespace tessaly::ui
