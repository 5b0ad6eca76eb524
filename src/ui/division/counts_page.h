#pragma once
// The inner page "人数统计": the inputs of the headcount conditions, the
// conditions grid with its delete menu, and the statistics table that
// "开始统计" fills.

#include <QWidget>

#include "stats/headcount_page.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStandardItemModel;
class QTableView;

namespace tessaly::ui {
class GridModel;
}

namespace tessaly::ui::division {

class DivisionContext;

class CountsPage : public QWidget {
  Q_OBJECT
 public:
  explicit CountsPage(DivisionContext& ctx, QWidget* parent = nullptr);

  // bsSkinTabSheet8Enter: the boxes and the conditions list.
  void Enter();
  // What entering the division page set on this page (boxes and grid).
  void ShowRefresh(const stats::DivisionPageRefresh& refresh);
  stats::HeadcountPage& page() { return page_; }

  void ToggleOneKey();      // "一键式快速设置"
  void AddConditions();     // "添加统计条件"
  void DeleteConditions();  // "删除" of the conditions grid's menu
  void Compute();           // "开始统计"

  QComboBox* rangeBox() const { return range_; }
  QRadioButton* allSubjects() const { return all_; }
  QRadioButton* totalOnly() const { return total_; }
  QRadioButton* tickedSubjects() const { return ticked_; }
  QComboBox* subjectBox() const { return subjects_; }
  QComboBox* lowerOp() const { return lower_op_; }
  QComboBox* upperOp() const { return upper_op_; }
  QLineEdit* lowerValue() const { return lower_; }
  QLineEdit* upperValue() const { return upper_; }
  QCheckBox* oneKey() const { return one_key_; }
  QLineEdit* startValue() const { return start_; }
  QLineEdit* endValue() const { return end_; }
  QLineEdit* interval() const { return interval_; }
  QPushButton* addButton() const { return add_; }
  QPushButton* computeButton() const { return compute_; }
  QTableView* conditionsView() const { return conditions_view_; }
  QTableView* statisticsView() const { return statistics_view_; }
  GridModel* statisticsModel() const { return statistics_; }
  GridModel* conditionsModel() const { return conditions_; }

 private:
  void ReadInputs();
  void Render();
  void FillBoxes();

  DivisionContext& ctx_;
  stats::HeadcountPage page_ = stats::NewHeadcountPage();
  QComboBox* range_;  // bsSkinComboBox8
  QRadioButton* all_;
  QRadioButton* total_;
  QRadioButton* ticked_;
  QComboBox* subjects_;  // bsSkinCheckComboBox2
  QStandardItemModel* subject_items_;
  QComboBox* lower_op_;
  QComboBox* upper_op_;
  QLineEdit* lower_;
  QLineEdit* upper_;
  QCheckBox* one_key_;
  QLineEdit* start_;
  QLineEdit* end_;
  QLineEdit* interval_;
  QPushButton* add_;
  QPushButton* compute_;
  GridModel* conditions_;
  QTableView* conditions_view_;  // bsSkinStringGrid9
  GridModel* statistics_;
  QTableView* statistics_view_;  // bsSkinStringGrid8
};

}  // namespace tessaly::ui::division
