#pragma once
// The inner page "调班看板": the range box, the sort choice, the search box,
// the toggle "自动补回" and the legend of the subject bars over the painted
// board of the chosen range. Every move made here is one undo step of the
// division page; every change of the division made elsewhere shows here.

#include <QWidget>
#include <cstdint>
#include <string>

#include "adjust/class_board.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace tessaly::ui::division {

class BoardView;
class DivisionContext;

class BoardPage : public QWidget {
  Q_OBJECT
 public:
  explicit BoardPage(DivisionContext& ctx, QWidget* parent = nullptr);

  // Entering the page: the range box filled again, the board shown.
  void Enter();
  // The board of the chosen range built again from the division.
  void Render();

  // The moves of the board, each one undo step.
  void Move(const std::string& number, std::int32_t target);
  void Exchange(const std::string& a, const std::string& b);
  // The selected card to the class `step` columns beside it.
  void MoveByKey(const std::string& number, int step);

  const adjust::ClassBoard& board() const { return board_; }
  QComboBox* rangeBox() const { return range_; }
  QComboBox* sortBox() const { return sort_; }
  QLineEdit* searchBox() const { return search_; }
  QCheckBox* backFill() const { return back_fill_; }
  QLabel* statusLabel() const { return status_; }
  QLabel* legend() const { return legend_; }
  BoardView* view() const { return view_; }

 private:
  void Search();
  void Tell(const QString& text);

  DivisionContext& ctx_;
  adjust::ClassBoard board_;
  QComboBox* range_;
  QComboBox* sort_;
  QLineEdit* search_;
  QLabel* matches_;
  QCheckBox* back_fill_;
  QLabel* legend_;
  QLabel* status_;
  BoardView* view_;
};

}  // namespace tessaly::ui::division
