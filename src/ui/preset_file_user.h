#pragma once
// A user who has already chosen the file to open: the first open-file choice
// answers with it; everything else goes to the real user.

#include <optional>
#include <string>
#include <utility>

#include "model/user_port.h"

namespace tessaly::ui {

class PresetFileUser : public model::UserPort {
 public:
  PresetFileUser(model::UserPort& user, std::string path) : user_(user), path_(std::move(path)) {}

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
    if (path_) return std::exchange(path_, std::nullopt);
    return user_.ChooseOpenFile(title, filter);
  }
  std::optional<std::string> ChooseSaveFile(const std::string& title,
                                            const std::string& filter) override {
    return user_.ChooseSaveFile(title, filter);
  }

 private:
  model::UserPort& user_;
  std::optional<std::string> path_;
};

}  // namespace tessaly::ui
