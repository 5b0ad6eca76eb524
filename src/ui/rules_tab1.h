#pragma once
// The page "分班规则制定1(必须)": the weights grid with its role menu, the
// fuzzy-sound boxes and the class-type ranges, over the core's page model.

#include <QWidget>
#include <array>

#include "rules/first_rules_page.h"
#include "ui/session.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QMenu;
class QModelIndex;
class QRadioButton;
class QTableView;

namespace tessaly::ui {

class GridModel;

class RulesTab1 : public QWidget {
  Q_OBJECT
 public:
  RulesTab1(Session& session, QWidget* parent = nullptr);
  // bsSkinTabSheet2Enter: the page rebuilt from the program state.
  void Enter();
  // bsSkinTabSheet2Exit: weights, sound pairs and ranges written back.
  void Leave();

  const rules::FirstRulesPage& page() const { return page_; }
  QTableView* weightsView() const { return weights_view_; }
  QTableView* rangeView() const { return range_view_; }
  QMenu* roleMenu() const { return role_menu_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Render();
  void FollowFocus();
  void WeightCellSelected(const QModelIndex& index);
  void ChooseType(rules::RangeType type);

  Session& s_;
  rules::FirstRulesPage page_;
  GridModel* weights_model_;
  QTableView* weights_view_;
  QMenu* role_menu_;
  std::array<QCheckBox*, 10> sounds_{};
  GridModel* range_model_;
  QTableView* range_view_;
  QRadioButton* by_number_;
  QRadioButton* by_rank_;
  QComboBox* start_;
  QComboBox* end_;
  QLineEdit* count_;
  QLineEdit* ids_;
  QLineEdit* remark_;
  std::vector<std::string> shown_items_;  // the box lists the combo boxes hold
};

}  // namespace tessaly::ui
