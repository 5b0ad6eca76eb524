#pragma once
// The page "分班数据导入": new division, open a division file, the workbook
// and the pasted import, the table list with clear, the score-table view,
// and the buttons of help and the demonstration video.

#include <QWidget>
#include <functional>

#include "import/import_commands.h"
#include "ui/session.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableView;

namespace tessaly::ui {

class GridModel;
class NewDivisionWindow;

class ImportTab : public QWidget {
  Q_OBJECT
 public:
  ImportTab(Session& session, QWidget* parent = nullptr);

  // Shows the table list and the score-table view as the session holds them.
  void Render();

  // The commands, one per control.
  void NewDivision();         // bsSkinButton4 新建分班数据
  void OpenDivision();        // bsSkinButton5 打开以往分班数据
  void WorkbookImport();      // bsSkinXFormButton1 选择Excel文件并装入数据
  void PasteImport();         // bsSkinButton3 装入分班数据
  void ChooseTable();         // bsSkinListBox1 click
  void ClearTable();          // bsSkinButton9 清除该份数据
  void TogglePresetColumn();  // Backspace in bsSkinEdit1

  // Shows the preset-column setting in the status panel ("S" or "H").
  void ShowPresetSetting();

  NewDivisionWindow* newDivisionWindow() const { return new_division_; }
  QTableView* scoreView() const { return view_; }
  GridModel* scoreModel() const { return model_; }

 signals:
  void helpRequested();
  void videoRequested();
  // "已打开 …" or "已新建分班数据", for the main window's status line.
  void statusMessage(const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Runs an import with the import settings window as its confirmation, then
  // shows the result; rows left out above the headings of a table that needed
  // no window are told.
  void RunImport(const std::function<import::ImportOutcome(const import::ImportSetup&)>& run);

  Session& s_;
  QLineEdit* workbook_name_;
  QLineEdit* paste_name_;
  QListWidget* list_;
  QLabel* status_;
  QTableView* view_;
  GridModel* model_;
  NewDivisionWindow* new_division_;
};

}  // namespace tessaly::ui
