#pragma once
// Users that stand between a command and the real user (model/forwarding_user.h).

#include <optional>
#include <string>
#include <vector>

#include "model/forwarding_user.h"
#include "model/user_port.h"

namespace tessaly::ui {

using ForwardingUser = model::ForwardingUser;

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
