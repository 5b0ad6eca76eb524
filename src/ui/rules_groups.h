#pragma once
// The part "分班约束（同班 / 不同班）" of the second rules page: the grid of the
// teacher's keep-apart and keep-together groups, a box that takes typed or
// pasted student numbers, the note box and the buttons, over the core's
// group page model. A note is edited in its grid cell.

#include <QGroupBox>

#include "rules/group_page.h"
#include "ui/session.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace tessaly::ui {

class GridModel;

class GroupsPanel : public QGroupBox {
  Q_OBJECT
 public:
  GroupsPanel(Session& session, QWidget* parent = nullptr);
  // The grid refilled from the rule list.
  void Enter();

  const rules::GroupPage& page() const { return page_; }
  QTableView* view() const { return view_; }
  QPlainTextEdit* numbersBox() const { return numbers_; }
  QLineEdit* noteBox() const { return note_; }
  QPushButton* addApartButton() const { return add_apart_; }
  QPushButton* addTogetherButton() const { return add_together_; }
  QPushButton* deleteButton() const { return delete_; }

 private:
  void Add(model::GroupKind kind);
  void Render();

  Session& s_;
  rules::GroupPage page_;
  GridModel* model_;
  QTableView* view_;
  QPlainTextEdit* numbers_;
  QLineEdit* note_;
  QPushButton* add_apart_;
  QPushButton* add_together_;
  QPushButton* delete_;
};

}  // namespace tessaly::ui
