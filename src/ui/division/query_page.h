#pragma once
// The inner page "查询与调整": the query with its result grid, the manual
// transfer "开始调班", and the batch grid with "批量调整".

#include <QWidget>

#include "adjust/query_page.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableView;

namespace tessaly::ui {
class GridModel;
}

namespace tessaly::ui::division {

class DivisionContext;

class QueryPage : public QWidget {
  Q_OBJECT
 public:
  explicit QueryPage(DivisionContext& ctx, QWidget* parent = nullptr);

  // bsSkinTabSheet10Enter.
  void Enter();
  // The results again after the division changed (undo, redo).
  void Refresh();

  void Transfer();    // bsSkinButton13 开始调班
  void RunBatch();    // bsSkinButton14 批量调整
  void PasteBatch();  // N18 粘贴
  void DeleteRows();  // N19 删除行
  void ClearCells();  // N20 清除内容, Backspace

  adjust::QueryPage& page() { return page_; }
  QButtonGroup* kinds() const { return kinds_; }
  QLineEdit* queryBox() const { return query_; }
  QPushButton* queryButton() const { return query_button_; }
  QComboBox* classBox() const { return class_box_; }
  QTableView* resultView() const { return results_view_; }
  GridModel* resultModel() const { return results_; }
  QLineEdit* numberBox() const { return number_; }
  QLineEdit* nameBox() const { return name_; }
  QComboBox* targetBox() const { return target_; }
  QCheckBox* backFill() const { return back_fill_; }
  QSpinBox* limit() const { return limit_; }
  QPushButton* transferButton() const { return transfer_; }
  QTableView* batchView() const { return batch_view_; }
  GridModel* batchModel() const { return batch_; }
  QCheckBox* batchBackFill() const { return batch_back_fill_; }
  QSpinBox* batchLimit() const { return batch_limit_; }
  QPushButton* batchButton() const { return batch_button_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Render();
  void RenderBatch();

  DivisionContext& ctx_;
  adjust::QueryPage page_;
  bool keep_results_ = false;  // "批量调整" leaves the results as they are
  QButtonGroup* kinds_;
  QLineEdit* query_;  // bsSkinEdit16
  QPushButton* query_button_;
  QComboBox* class_box_;  // bsSkinComboBox6
  GridModel* results_;
  QTableView* results_view_;  // bsSkinStringGrid11
  QLineEdit* number_;         // bsSkinEdit17
  QLineEdit* name_;           // bsSkinEdit18
  QComboBox* target_;         // bsSkinComboBox11
  QCheckBox* back_fill_;      // bsSkinCheckRadioBox25
  QSpinBox* limit_;           // bsSkinSpinEdit2
  QPushButton* transfer_;
  GridModel* batch_;
  QTableView* batch_view_;      // bsSkinStringGrid12
  QCheckBox* batch_back_fill_;  // bsSkinCheckRadioBox27
  QSpinBox* batch_limit_;       // bsSkinSpinEdit3
  QPushButton* batch_button_;
};

}  // namespace tessaly::ui::division
