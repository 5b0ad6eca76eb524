#pragma once
// The page "分班规则制定2(可选)": score-band balance conditions, the balance
// items with their levels and the teacher's groups, over the core's page
// models.

#include <QWidget>

#include "rules/second_rules_page.h"
#include "ui/session.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QMenu;
class QRadioButton;
class QStandardItemModel;
class QTableView;

namespace tessaly::ui {

class GridModel;
class GroupsPanel;

class RulesTab2 : public QWidget {
  Q_OBJECT
 public:
  RulesTab2(Session& session, QWidget* parent = nullptr);
  // bsSkinTabSheet3Enter: boxes refilled, grids shown, default items added.
  void Enter();

  const rules::SecondRulesPage& page() const { return page_; }
  QTableView* bandView() const { return band_view_; }
  QTableView* itemsView() const { return items_view_; }
  QMenu* bandMenu() const { return band_menu_; }
  QMenu* itemsMenu() const { return items_menu_; }
  GroupsPanel* groups() const { return groups_; }

 private:
  void Render();

  Session& s_;
  rules::SecondRulesPage page_;
  GridModel* band_model_;
  QTableView* band_view_;
  QComboBox* range_box_;
  QRadioButton* choices_[3];
  QComboBox* subjects_;
  QStandardItemModel* subject_items_;
  QComboBox* lower_op_;
  QComboBox* upper_op_;
  QLineEdit* lower_;
  QLineEdit* upper_;
  QCheckBox* one_key_;
  QLineEdit* series_start_;
  QLineEdit* series_end_;
  QLineEdit* series_step_;
  QComboBox* level_box_;
  QMenu* band_menu_;
  GridModel* items_model_;
  QTableView* items_view_;
  QMenu* items_menu_;
  GroupsPanel* groups_;
};

}  // namespace tessaly::ui
