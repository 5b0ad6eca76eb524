#include "cli/cli.h"

#include <algorithm>
#include <charconv>

#include "platform/encoding.h"

namespace tessaly::cli {

bool Args::Flag(const std::string& name) {
  auto it = std::find(args_.begin(), args_.end(), name);
  if (it == args_.end()) return false;
  args_.erase(it);
  return true;
}

std::optional<std::string> Args::Option(const std::string& name) {
  auto it = std::find(args_.begin(), args_.end(), name);
  if (it == args_.end()) return std::nullopt;
  if (it + 1 == args_.end()) throw UsageError{name + " needs a value"};
  std::string value = *(it + 1);
  args_.erase(it, it + 2);
  return value;
}

std::optional<std::vector<std::string>> Args::Values(const std::string& name, std::size_t n) {
  auto it = std::find(args_.begin(), args_.end(), name);
  if (it == args_.end()) return std::nullopt;
  if (static_cast<std::size_t>(args_.end() - it) <= n) {
    throw UsageError{name + " needs " + std::to_string(n) + " values"};
  }
  std::vector<std::string> values(it + 1, it + 1 + static_cast<std::ptrdiff_t>(n));
  args_.erase(it, it + 1 + static_cast<std::ptrdiff_t>(n));
  return values;
}

std::vector<std::string> Args::Options(const std::string& name) {
  std::vector<std::string> values;
  while (auto v = Option(name)) values.push_back(*v);
  return values;
}

std::optional<std::string> Args::TakeLeadingWord() {
  if (args_.empty()) return std::nullopt;
  const std::string& a = args_.front();
  if (a.size() > 1 && a[0] == '-' && !(a[1] >= '0' && a[1] <= '9')) return std::nullopt;
  std::string word = a;
  args_.erase(args_.begin());
  return word;
}

std::vector<std::string> Args::Positional() const {
  for (const auto& a : args_) {
    if (a.size() > 1 && a[0] == '-' && !(a[1] >= '0' && a[1] <= '9')) {
      throw UsageError{"unknown option " + a};
    }
  }
  return args_;
}

int ParseIntArg(const std::string& name, const std::string& value) {
  int v = 0;
  auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
  if (ec != std::errc() || ptr != value.data() + value.size()) {
    throw UsageError{name + " needs a whole number, not '" + value + "'"};
  }
  return v;
}

void PrintUtf8(std::FILE* out, const std::string& cp936) {
  std::string text = enc::ToUtf8(cp936);
  std::fwrite(text.data(), 1, text.size(), out);
}

void TerminalUser::Warning(const std::string& text) {
  failed_ = true;
  PrintUtf8(stderr, text + "\n");
}
void TerminalUser::Error(const std::string& text) {
  failed_ = true;
  PrintUtf8(stderr, text + "\n");
}
void TerminalUser::Information(const std::string& text) {
  PrintUtf8(stderr, text + "\n");
}
bool TerminalUser::Confirm(const std::string& text) {
  PrintUtf8(stderr, text + (assume_yes_ ? " -> yes (--yes)\n" : " -> no (give --yes to agree)\n"));
  return assume_yes_;
}
void TerminalUser::ShowImportErrors(const std::vector<std::string>& lines) {
  failed_ = true;
  for (const auto& l : lines) PrintUtf8(stderr, l + "\n");
}

}  // namespace tessaly::cli
