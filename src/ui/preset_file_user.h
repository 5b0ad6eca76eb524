#pragma once
// A user who has already chosen the file to open: the first open-file choice
// answers with it; everything else goes to the real user.

#include <optional>
#include <string>
#include <utility>

#include "ui/forwarding_user.h"

namespace tessaly::ui {

class PresetFileUser : public ForwardingUser {
 public:
  PresetFileUser(model::UserPort& user, std::string path)
      : ForwardingUser(user), path_(std::move(path)) {}

  std::optional<std::string> ChooseOpenFile(const std::string& title,
                                            const std::string& filter) override {
    if (path_) return std::exchange(path_, std::nullopt);
    return user_.ChooseOpenFile(title, filter);
  }

 private:
  std::optional<std::string> path_;
};

}  // namespace tessaly::ui
