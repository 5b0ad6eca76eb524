#pragma once
// The user of the adjusting commands (optimise, batch): every message goes to
// stdout, one per line in UTF-8, in the order the command shows them, so a
// run reads like the sequence of message boxes. Warnings and errors are
// remembered, so a command can tell whether it was refused.

#include <cstdio>
#include <string>

#include "cli/cli.h"
#include "model/silent_user.h"

namespace tessaly::cli {

class StdoutUser : public model::SilentUser {
 public:
  void Warning(const std::string& text) override {
    ++warnings;
    PrintUtf8(stdout, text + "\n");
  }
  void Error(const std::string& text) override {
    ++errors;
    PrintUtf8(stdout, text + "\n");
  }
  void Information(const std::string& text) override { PrintUtf8(stdout, text + "\n"); }
  // A question is answered by --yes: printed with its answer.
  bool Confirm(const std::string& text) override {
    PrintUtf8(stdout, text + (yes ? " -> yes (--yes)\n" : " -> no (give --yes to agree)\n"));
    return yes;
  }
  bool yes = false;
};

}  // namespace tessaly::cli
