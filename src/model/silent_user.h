#pragma once
// A user who sees nothing and answers every question the same way: for
// benchmarks, fuzzing and batch runs where no one is at the screen. Counts
// the warnings and errors it was shown so the caller can tell a run that
// complained from one that did not.

#include "model/user_port.h"

namespace tessaly::model {

class SilentUser : public UserPort {
 public:
  explicit SilentUser(bool confirm_answer = false) : confirm_answer_(confirm_answer) {}

  void Warning(const std::string&) override { ++warnings; }
  void Error(const std::string&) override { ++errors; }
  void Information(const std::string&) override {}
  bool Confirm(const std::string&) override { return confirm_answer_; }
  void ShowImportErrors(const std::vector<std::string>&) override { ++errors; }
  void ProgressStart(const std::string&) override {}
  void ProgressSet(int) override {}
  void ProgressClose() override {}
  std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&) override {
    return std::nullopt;
  }

  int warnings = 0;
  int errors = 0;

 private:
  bool confirm_answer_;
};

}  // namespace tessaly::model
