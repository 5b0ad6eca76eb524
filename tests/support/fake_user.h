#pragma once
// A scripted stand-in for the user: answers confirmations and file choices
// from queues and records every call in order, so a test can check the exact
// messages a command showed. Texts are recorded as UTF-8 for readable
// assertions.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "model/user_port.h"

namespace tessaly::testing {

class FakeUser : public model::UserPort {
 public:
  // Every call as "kind: text" in UTF-8, e.g. "warning: 先导入分班数据后...".
  std::vector<std::string> calls;
  // Answers for Confirm, taken in order; a Confirm without an answer fails
  // the test and answers No.
  std::deque<bool> confirm_answers;
  // Answers for the file choices (nullopt = cancel); without an answer the
  // choice is cancelled.
  std::deque<std::optional<std::string>> file_answers;
  std::vector<std::string> last_import_errors;  // UTF-8
  std::vector<int> progress;                    // every value set

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

  // The calls that are messages (warning, error, information, confirm).
  std::vector<std::string> Messages() const;
};

}  // namespace tessaly::testing
