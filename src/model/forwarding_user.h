#pragma once
// A user that stands between a command and the real user: every call goes on
// to the real user unless a subclass answers it itself.

#include <optional>
#include <string>
#include <vector>

#include "model/user_port.h"

namespace tessaly::model {

class ForwardingUser : public UserPort {
 public:
  explicit ForwardingUser(UserPort& user) : user_(user) {}

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
  UserPort& user_;
};

}  // namespace tessaly::model
