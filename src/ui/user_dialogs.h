#pragma once
// The user port with Qt dialogs: modal message boxes of four types, the
// import error window "错误提示", the stay-on-top progress window and the
// open and save dialogs.

#include <QDialog>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/settings_port.h"
#include "model/user_port.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace tessaly::ui {

// TERROR_F: the lines of a rejected import, selectable and copyable.
class ErrorWindow : public QDialog {
  Q_OBJECT
 public:
  explicit ErrorWindow(QWidget* parent = nullptr);
  // Replaces the lines shown.
  void SetLines(const std::vector<std::string>& lines);
  QPlainTextEdit* memo() const { return memo_; }
  QPushButton* closeButton() const { return close_; }

 private:
  QPlainTextEdit* memo_;
  QPushButton* close_;
};

// The progress window: a percentage bar that stays on top of the main window
// and closes itself at 100. It repaints at once when a value arrives, since a
// long command keeps the event loop busy.
class ProgressWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ProgressWindow(QWidget* parent = nullptr);
  void Start(const QString& title);
  void SetValue(int value);
  QProgressBar* bar() const { return bar_; }

 private:
  QLabel* label_;
  QProgressBar* bar_;
};

// The kinds of file the dialogs choose; each starts in the folder last used
// for it.
enum class FileKind { kDivision, kImport, kExport };

// What a file dialog offers for a core filter of the form
// "名称(*.fb)|*.fb|...": the kind of file, the dialog's filter entries
// ("名称(*.fb);;...") and, for a save, the extension of the file written.
// The workbook import also offers .csv tables; a save offers only the
// entries of what it writes.
struct FileDialogPlan {
  FileKind kind = FileKind::kDivision;
  QString entries;
  QString extension;  // without the dot; empty for an open dialog
};
FileDialogPlan PlanFileDialog(const QString& filter, bool save);

// A chosen save path with the extension of the file written: kept when it
// ends so (in any case), replacing a table or division file extension that
// is not it (".xls" for a workbook written as .xlsx), appended otherwise.
QString WithExtension(const QString& path, const QString& extension);

// A name for a file, from a table name: the characters file names cannot
// hold become "_".
QString FileNameFrom(const QString& name);

class QtUser : public model::UserPort {
 public:
  explicit QtUser(QWidget* parent);
  ~QtUser() override;

  void Warning(const std::string& text) override;
  void Error(const std::string& text) override;
  void Information(const std::string& text) override;
  bool Confirm(const std::string& text) override;
  void ShowImportErrors(const std::vector<std::string>& lines) override;
  void ProgressStart(const std::string& title) override;
  void ProgressSet(int value) override;
  void ProgressClose() override;
  std::optional<std::string> ChooseOpenFile(const std::string& title,
                                            const std::string& filter) override;
  std::optional<std::string> ChooseSaveFile(const std::string& title,
                                            const std::string& filter) override;

  // The settings file that keeps the folder last used for each kind of
  // file (none: every dialog starts in the documents folder).
  void UseSettings(model::SettingsPort* settings) { settings_ = settings; }
  // The name a save dialog proposes before a division file was opened or
  // saved (the main table's name, code page 936).
  void ProposeNamesFrom(std::function<std::string()> name) { proposed_name_ = std::move(name); }
  // The folder a dialog for that kind of file starts in.
  QString StartFolder(FileKind kind) const;
  // Notes a file of that kind chosen elsewhere (a division file opened at
  // start): its folder is the next start folder, its name the proposed name.
  void NoteFile(FileKind kind, const QString& path);

  ErrorWindow* errorWindow() const { return errors_; }
  ProgressWindow* progressWindow() const { return progress_; }

 private:
  QString ProposedName() const;

  QWidget* parent_;
  model::SettingsPort* settings_ = nullptr;
  std::function<std::string()> proposed_name_;
  QString division_file_;  // the division file last opened or saved
  ErrorWindow* errors_;
  ProgressWindow* progress_;
};

}  // namespace tessaly::ui
