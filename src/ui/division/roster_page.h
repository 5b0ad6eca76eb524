#pragma once
// The inner pages "分班名单" (the class list and the roster of the chosen
// class) and "同姓名学生分布" (the same-name table).

#include <QWidget>

class QListWidget;
class QTableView;

namespace tessaly::ui {
class GridModel;
}

namespace tessaly::ui::division {

class DivisionContext;

class RosterPage : public QWidget {
  Q_OBJECT
 public:
  explicit RosterPage(DivisionContext& ctx, QWidget* parent = nullptr);

  // Shows the class list and the roster of the chosen item.
  void Render();
  // A click on an item of the class list.
  void Choose(int row);

  QListWidget* classList() const { return list_; }
  QTableView* view() const { return view_; }
  GridModel* model() const { return model_; }

 private:
  DivisionContext& ctx_;
  QListWidget* list_;  // bsSkinListBox2
  GridModel* model_;
  QTableView* view_;  // bsSkinStringGrid6
};

class SameNamesPage : public QWidget {
  Q_OBJECT
 public:
  explicit SameNamesPage(DivisionContext& ctx, QWidget* parent = nullptr);
  // bsSkinTabSheet9Enter: the same-name table of the current division.
  void Render();
  QTableView* view() const { return view_; }
  GridModel* model() const { return model_; }

 private:
  DivisionContext& ctx_;
  GridModel* model_;
  QTableView* view_;  // bsSkinStringGrid10
};

}  // namespace tessaly::ui::division
