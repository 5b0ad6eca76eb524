#include "support/fake_user.h"

#include <gtest/gtest.h>

#include "platform/encoding.h"

namespace tessaly::testing {

using enc::ToUtf8;

void FakeUser::Warning(const std::string& text) {
  calls.push_back("warning: " + ToUtf8(text));
}
void FakeUser::Error(const std::string& text) {
  calls.push_back("error: " + ToUtf8(text));
}
void FakeUser::Information(const std::string& text) {
  calls.push_back("information: " + ToUtf8(text));
}
bool FakeUser::Confirm(const std::string& text) {
  calls.push_back("confirm: " + ToUtf8(text));
  if (confirm_answers.empty()) {
    ADD_FAILURE() << "unexpected confirmation: " << ToUtf8(text);
    return false;
  }
  bool answer = confirm_answers.front();
  confirm_answers.pop_front();
  return answer;
}
void FakeUser::ShowImportErrors(const std::vector<std::string>& lines) {
  last_import_errors.clear();
  for (const auto& l : lines) last_import_errors.push_back(ToUtf8(l));
  calls.push_back("import errors: " + std::to_string(lines.size()));
}
void FakeUser::ProgressStart(const std::string& title) {
  calls.push_back("progress: " + ToUtf8(title));
}
void FakeUser::ProgressSet(int value) {
  progress.push_back(value);
}
void FakeUser::ProgressClose() {
  calls.push_back("progress closed");
}

std::optional<std::string> FakeUser::ChooseOpenFile(const std::string& title, const std::string&) {
  calls.push_back("open file: " + ToUtf8(title));
  if (file_answers.empty()) return std::nullopt;
  auto answer = file_answers.front();
  file_answers.pop_front();
  return answer;
}
std::optional<std::string> FakeUser::ChooseSaveFile(const std::string& title, const std::string&) {
  calls.push_back("save file: " + ToUtf8(title));
  if (file_answers.empty()) return std::nullopt;
  auto answer = file_answers.front();
  file_answers.pop_front();
  return answer;
}

std::vector<std::string> FakeUser::Messages() const {
  std::vector<std::string> out;
  for (const auto& c : calls) {
    if (c.rfind("warning: ", 0) == 0 || c.rfind("error: ", 0) == 0 ||
        c.rfind("information: ", 0) == 0 || c.rfind("confirm: ", 0) == 0) {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace tessaly::testing
