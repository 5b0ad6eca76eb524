#pragma once
// "导入设置": the window that shows a table in the teacher's own words as it
// was read (its top rows, the heading row marked) with the role of every
// column, proposed by the core. One click on a column's button changes its
// role; another sheet or heading row reads the table again. Confirm imports
// with these roles, cancel imports nothing.

#include <QDialog>
#include <functional>
#include <vector>

#include "import/table_layout.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace tessaly::ui {

class ImportSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  // `prefill` sets the roles a layout opens with (the teacher's earlier
  // choice, or the proposal); it is applied to every layout read here.
  ImportSettingsDialog(import::TableSource& source, import::TableLayout layout,
                       std::function<void(import::TableLayout&)> prefill,
                       QWidget* parent = nullptr);

  const import::TableLayout& layout() const { return layout_; }

  // The role button above column `column` (from 1), or null.
  QPushButton* roleButton(int column) const;
  QComboBox* sheetBox() const { return sheet_box_; }
  QSpinBox* headingRowBox() const { return row_box_; }
  QPushButton* okButton() const { return ok_; }
  QPushButton* cancelButton() const { return cancel_; }

  // The caption of a role on its button.
  static QString RoleCaption(import::Role role);

 private:
  void ReadAgain(std::size_t sheet, int heading_row);
  void NextRole(int column);
  // Everything anew (another sheet or heading row), or only the role buttons.
  void Render();
  void ShowRoles();
  std::vector<import::Role> ShownRoles() const;

  import::TableSource& source_;
  import::TableLayout layout_;
  std::function<void(import::TableLayout&)> prefill_;
  QComboBox* sheet_box_;
  QLabel* sheet_label_;
  QSpinBox* row_box_;
  QLabel* note_;
  QTableWidget* table_;
  QPushButton* ok_;
  QPushButton* cancel_;
  std::vector<QPushButton*> buttons_;
  bool rendering_ = false;
};

}  // namespace tessaly::ui
