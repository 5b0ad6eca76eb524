#pragma once
// Shared pieces of tessaly-cli: argument lists, the terminal user, and the
// declarations of the subcommands (one file per subcommand).

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "model/silent_user.h"

namespace tessaly::cli {

// The arguments after the subcommand name, with small helpers for options.
class Args {
 public:
  explicit Args(std::vector<std::string> args) : args_(std::move(args)) {}

  // Removes "--name" and returns true when present.
  bool Flag(const std::string& name);
  // Removes "--name VALUE" and returns VALUE; throws UsageError when the
  // value is missing.
  std::optional<std::string> Option(const std::string& name);
  // Removes "--name V1 .. Vn" and returns the n values; throws UsageError
  // when fewer follow.
  std::optional<std::vector<std::string>> Values(const std::string& name, std::size_t n);
  // Removes every "--name VALUE" and returns the values in order.
  std::vector<std::string> Options(const std::string& name);
  // Removes and returns the first argument when it is not an option (a word
  // that leads the arguments, such as a file or a view name); none otherwise.
  std::optional<std::string> TakeLeadingWord();
  // The arguments left; throws UsageError when one of them is an unknown
  // option.
  std::vector<std::string> Positional() const;

 private:
  std::vector<std::string> args_;
};

struct UsageError {
  std::string message;
};

// Parses a whole decimal integer option value; throws UsageError otherwise.
int ParseIntArg(const std::string& name, const std::string& value);

// The user at a terminal: messages to stderr in UTF-8, confirmations
// answered by --yes (otherwise No), progress not shown, no file dialogs.
class TerminalUser : public model::SilentUser {
 public:
  explicit TerminalUser(bool assume_yes = false) : assume_yes_(assume_yes) {}
  void Warning(const std::string& text) override;
  void Error(const std::string& text) override;
  void Information(const std::string& text) override;
  bool Confirm(const std::string& text) override;
  void ShowImportErrors(const std::vector<std::string>& lines) override;
  // True once a warning or error was shown: the command then fails.
  bool failed() const { return failed_; }

 private:
  bool assume_yes_;
  bool failed_ = false;
};

// Writes code page 936 text to a stream as UTF-8.
void PrintUtf8(std::FILE* out, const std::string& cp936);

// A subcommand: its name, one line of help, usage text, and the function
// that runs it (returns the exit status).
struct Command {
  const char* name;
  const char* summary;
  const char* usage;
  int (*run)(Args& args);
};

}  // namespace tessaly::cli
