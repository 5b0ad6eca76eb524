#pragma once
// Users that stand between a command and the real user: every call goes on
// to the real user unless a subclass answers it itself.

#include <optional>
#include <string>
#include <vector>

#include "model/user_port.h"

namespace tessaly::ui {

class ForwardingUser : public model::UserPort {
 public:
  explicit ForwardingUser(model::UserPort& user) : user_(user) {}

  void Warning(const std::string& text) override { user_.Warning(text); }
  void Error(const std::string& text) override { user_.Error(text); }
  void Information(const std::string& text) override { user_.Information(text); }
  bool Confirm(const std::string& text) override { return user_.Confirm(text); }
  void ShowImportErrors(const std::vector<std::string>& lines) override {
    user_.ShowImportErrors(lines);
  }
  void ProgressStart(const std::string& title) override { user_.ProgressStart(title); }
  void ProgressSet(int value) override { user_.ProgressSet(value); }
  void ProgressClose() override { user_.ProgressClose(); }
  std::optional<std::string> ChooseOpenFile(const std::string& title,
                                            const std::string& filter) override {
    return user_.ChooseOpenFile(title, filter);
  }
  std::optional<std::string> ChooseSaveFile(const std::string& title,
                                            const std::string& filter) override {
    return user_.ChooseSaveFile(title, filter);
  }

 protected:
  model::UserPort& user_;
};

// Watches a file command on its way to the user: the file chosen, and
// whether a warning or an error was shown. A file chosen without either
// is a file the command wrote or read.
class WatchingUser : public ForwardingUser {
 public:
  using ForwardingUser::ForwardingUser;

  void Warning(const std::string& text) override {
    complained_ = true;
    user_.Warning(text);
  }
  void Error(const std::string& text) override {
    complained_ = true;
    user_.Error(text);
  }
  std::optional<std::string> ChooseOpenFile(const std::string& title,
                                            const std::string& filter) override {
    chosen_ = user_.ChooseOpenFile(title, filter);
    return chosen_;
  }
  std::optional<std::string> ChooseSaveFile(const std::string& title,
                                            const std::string& filter) override {
    chosen_ = user_.ChooseSaveFile(title, filter);
    return chosen_;
  }

  // The file chosen when the command showed neither a warning nor an error.
  std::optional<std::string> Done() const {
    if (complained_ || !chosen_ || chosen_->empty()) return std::nullopt;
    return chosen_;
  }

 private:
  std::optional<std::string> chosen_;
  bool complained_ = false;
};

}  // namespace tessaly::ui
