#pragma once
// The versions window (方案): keep the current division under a name, set
// versions side by side with it, make one the current division again (one
// undo step of the division page) or remove one. The window only collects
// the name and the choice; the commands are the core's.

#include <QDialog>

class QLineEdit;
class QPushButton;
class QTableView;

namespace tessaly::ui {
class GridModel;
}

namespace tessaly::ui::division {

class DivisionContext;

class VersionsWindow : public QDialog {
  Q_OBJECT
 public:
  explicit VersionsWindow(DivisionContext& ctx, QWidget* parent = nullptr);

  // Shows the versions of the division again.
  void Render();

  // "保存为方案": the current division under the name typed.
  void SaveVersion();
  // "方案对比": the versions chosen in the list (all when none is chosen)
  // beside the current division.
  void Compare();
  // "恢复方案" and "删除方案" on the version chosen in the list.
  void Restore();
  void Delete();

  QLineEdit* nameBox() const { return name_; }
  QTableView* list() const { return list_; }
  GridModel* listModel() const { return list_model_; }
  GridModel* comparison() const { return comparison_; }
  QPushButton* saveButton() const { return save_; }
  QPushButton* compareButton() const { return compare_; }
  QPushButton* restoreButton() const { return restore_; }
  QPushButton* deleteButton() const { return delete_; }

 private:
  // The names of the chosen rows of the list, in list order.
  std::vector<std::string> Chosen() const;

  DivisionContext& ctx_;
  QLineEdit* name_;
  QTableView* list_;
  GridModel* list_model_;
  QTableView* comparison_view_;
  GridModel* comparison_;
  QPushButton* save_;
  QPushButton* compare_;
  QPushButton* restore_;
  QPushButton* delete_;
};

// Shows the versions window of the page `parent` (made at the first call),
// raised and showing the versions of the division now.
VersionsWindow* ShowVersionsWindow(DivisionContext& ctx, QWidget* parent);

}  // namespace tessaly::ui::division
