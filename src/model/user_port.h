#pragma once
// The one way core commands talk to the user. The desktop program answers
// with dialogs, the command line with stderr and flags, the tests with a
// scripted fake that records every call. All texts are code page 936.

#include <optional>
#include <string>
#include <vector>

namespace tessaly::model {

class UserPort {
 public:
  virtual ~UserPort() = default;

  // Modal message boxes with an OK button.
  virtual void Warning(const std::string& text) = 0;
  virtual void Error(const std::string& text) = 0;
  virtual void Information(const std::string& text) = 0;
  // A question with the buttons Yes and No; true for Yes.
  virtual bool Confirm(const std::string& text) = 0;

  // The import error window: its lines replace what it showed before.
  virtual void ShowImportErrors(const std::vector<std::string>& lines) = 0;

  // The progress window: shown with a title, advanced to a value (0..100),
  // closed by itself at 100 or by Close.
  virtual void ProgressStart(const std::string& title) = 0;
  virtual void ProgressSet(int value) = 0;
  virtual void ProgressClose() = 0;

  // File choices; no value when the user cancels. `filter` is of the form
  // "分班数据文件(*.fb)|*.fb".
  virtual std::optional<std::string> ChooseOpenFile(const std::string& title,
                                                    const std::string& filter) = 0;
  virtual std::optional<std::string> ChooseSaveFile(const std::string& title,
                                                    const std::string& filter) = 0;
};

}  // namespace tessaly::model
