#pragma once
// The inner page "平均分": the averages table and the two balancing groups
// (the class average totals of a range, and one subject's averages), with
// the copy hint under the table.

#include <QWidget>

class QComboBox;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTableView;

namespace tessaly::ui {
class GridModel;
}

namespace tessaly::ui::division {

class DivisionContext;

class AveragesPage : public QWidget {
  Q_OBJECT
 public:
  explicit AveragesPage(DivisionContext& ctx, QWidget* parent = nullptr);

  // bsSkinTabSheet6Enter: the averages table and the three boxes.
  void Enter();
  // Shows the averages table of the current division.
  void Render();

  // "开始总分平均分优化" and "开始单科平均分优化".
  void BalanceTotals();
  void BalanceSubject();

  QTableView* view() const { return view_; }
  GridModel* model() const { return model_; }
  // The balance report beside the table: per range the highest and lowest
  // class of every measure and their difference.
  GridModel* evennessModel() const { return evenness_; }
  QComboBox* totalRangeBox() const { return total_range_; }
  QComboBox* subjectRangeBox() const { return subject_range_; }
  QComboBox* subjectBox() const { return subject_; }
  QLineEdit* totalControl() const { return total_control_; }
  QLineEdit* subjectControl() const { return subject_control_; }
  QPushButton* totalButton() const { return total_button_; }
  QPushButton* subjectButton() const { return subject_button_; }
  QPushButton* chartButton() const { return chart_button_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Widens the balance report to show all its columns (at most half the page).
  void FitReport();

  DivisionContext& ctx_;
  GridModel* model_;
  QTableView* view_;
  GridModel* evenness_;
  QTableView* evenness_view_;
  QSplitter* tables_;
  QComboBox* total_range_;       // bsSkinComboBox13
  QComboBox* subject_range_;     // bsSkinComboBox14
  QComboBox* subject_;           // bsSkinComboBox12
  QLineEdit* total_control_;     // bsSkinEdit19
  QLineEdit* subject_control_;   // bsSkinEdit20
  QPushButton* total_button_;    // bsSkinButton16
  QPushButton* subject_button_;  // bsSkinButton17
  QPushButton* chart_button_;    // 图表
};

}  // namespace tessaly::ui::division
