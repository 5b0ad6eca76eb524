#pragma once
// The new-division dialog "新建分班": one table, or several tables combined
// by weight. It keeps the last choice between openings and refuses to close
// while neither box is checked.

#include <QDialog>

#include "import/table_list.h"
#include "ui/session.h"

class QCheckBox;
class QPushButton;
class QSpinBox;

namespace tessaly::ui {

class NewDivisionWindow : public QDialog {
  Q_OBJECT
 public:
  NewDivisionWindow(Session& session, QWidget* parent = nullptr);

  // Shows the dialog modally with the last choice.
  void Open();

  QCheckBox* combineBox() const { return combine_; }
  QCheckBox* singleBox() const { return single_; }
  QSpinBox* countBox() const { return count_; }
  QPushButton* okButton() const { return ok_; }

  void done(int result) override;

 private:
  void Render();

  Session& s_;
  import::NewDivisionDialog dialog_;
  QCheckBox* combine_;
  QCheckBox* single_;
  QSpinBox* count_;
  QPushButton* ok_;
  bool accepting_ = false;
};

}  // namespace tessaly::ui
