#pragma once
// The clipboard of tessaly-cli: a file, or standard input and output for
// "-". Text is UTF-8 outside and code page 936 inside.

#include <string>

#include "model/clipboard_port.h"

namespace tessaly::cli {

class FileClipboard : public model::ClipboardPort {
 public:
  // `path` is the file that holds the clipboard's text; "-" reads standard
  // input and writes standard output.
  explicit FileClipboard(std::string path) : path_(std::move(path)) {}

  // The file's text (UTF-8, or GB18030 when it is not UTF-8); empty when
  // the file cannot be read.
  std::string GetText() override;
  // Writes the text as UTF-8; throws CommandFailed when the file cannot be
  // written.
  void SetText(const std::string& text) override;

 private:
  std::string path_;
};

}  // namespace tessaly::cli
