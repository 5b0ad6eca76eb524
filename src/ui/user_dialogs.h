#pragma once
// The user port with Qt dialogs: modal message boxes of four types, the
// import error window "错误提示", the stay-on-top progress window and the
// open and save dialogs.

#include <QDialog>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

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

// Converts a filter of the form "名称(*.fb)|*.fb|..." to a Qt file dialog
// filter ("名称(*.fb);;..."). The workbook filter also offers .csv tables.
QString DialogFilter(const QString& filter);

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

  ErrorWindow* errorWindow() const { return errors_; }
  ProgressWindow* progressWindow() const { return progress_; }

 private:
  QWidget* parent_;
  ErrorWindow* errors_;
  ProgressWindow* progress_;
};

}  // namespace tessaly::ui
