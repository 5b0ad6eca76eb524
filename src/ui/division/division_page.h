#pragma once
// The page "自动分班及处理": the upper panel with its commands ("开始分班" and
// the score, the option group and "优化分班结果", the two all-data exports,
// "保存分班结果", undo and redo) over the inner pages 平均分, 分班名单, 人数统计,
// 同姓名学生分布, 查询与调整 and the class board 调班看板.

#include <QWidget>

#include "adjust/optimiser.h"
#include "ui/session.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace tessaly::ui::division {

class AveragesPage;
class BoardPage;
class CountsPage;
class DivisionContext;
class QueryPage;
class RosterPage;
class SameNamesPage;

class DivisionPage : public QWidget {
  Q_OBJECT
 public:
  explicit DivisionPage(Session& session, QWidget* parent = nullptr);

  // bsSkinTabSheet4Enter: the sub-pages refreshed, then the visible one.
  void Enter();

  // The commands of the upper panel.
  void Divide();         // bsSkinButton10 开始分班
  void Optimise();       // bsSkinXFormButton2 优化分班结果
  void CopyAllData();    // bsSkinButton15 复制所有数据到剪贴板
  void ExportAllData();  // bsSkinButton19 保存所有数据到Excel
  void Save();           // bsSkinButton18 保存分班结果
  void Undo();
  void Redo();

  DivisionContext& context() { return *ctx_; }
  QPushButton* divideButton() const { return divide_; }
  QLabel* scoreLabel() const { return score_; }
  QButtonGroup* options() const { return options_; }
  // The deep optimisation's time: 2 seconds (the default budget), 10 or 30.
  QComboBox* deepSecondsBox() const { return deep_seconds_; }
  QPushButton* optimiseButton() const { return optimise_; }
  QPushButton* copyAllButton() const { return copy_all_; }
  QPushButton* exportButton() const { return export_; }
  QPushButton* saveButton() const { return save_; }
  QPushButton* undoButton() const { return undo_; }
  QPushButton* redoButton() const { return redo_; }
  QTabWidget* innerPages() const { return inner_; }
  AveragesPage* averagesPage() const { return averages_; }
  RosterPage* rosterPage() const { return roster_; }
  CountsPage* countsPage() const { return counts_; }
  SameNamesPage* sameNamesPage() const { return same_names_; }
  QueryPage* queryPage() const { return query_; }
  BoardPage* boardPage() const { return board_; }

 signals:
  // What a command did with a file ("已保存到 …", "已导出到 …"), for the
  // main window's status line.
  void statusMessage(const QString& text);

 private:
  // Shows the inner page `index` again (its entry command).
  void EnterInner(int index);
  void ShowHistory();

  Session& s_;
  DivisionContext* ctx_;
  QPushButton* divide_;
  QLabel* score_;          // bsSkinStdLabel23
  QButtonGroup* options_;  // bsSkinRadioGroup1
  QComboBox* deep_seconds_;
  QPushButton* optimise_;
  QPushButton* copy_all_;
  QPushButton* export_;
  QPushButton* save_;
  QPushButton* undo_;
  QPushButton* redo_;
  QTabWidget* inner_;
  AveragesPage* averages_;
  RosterPage* roster_;
  CountsPage* counts_;
  SameNamesPage* same_names_;
  QueryPage* query_;
  BoardPage* board_;
};

}  // namespace tessaly::ui::division
