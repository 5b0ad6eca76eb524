#pragma once
// The clipboard as core sees it: text only, code page 936. The desktop
// program uses the system clipboard, the command line files and standard
// streams, the tests a fake that keeps the text.

#include <string>

namespace tessaly::model {

class ClipboardPort {
 public:
  virtual ~ClipboardPort() = default;
  // The clipboard's text; empty when it holds no text.
  virtual std::string GetText() = 0;
  // Replaces the clipboard's content; the text stays there after the command.
  virtual void SetText(const std::string& text) = 0;
};

// A clipboard that only keeps its text: for tests and batch runs.
class MemoryClipboard : public ClipboardPort {
 public:
  explicit MemoryClipboard(std::string text = {}) : text_(std::move(text)) {}
  std::string GetText() override { return text_; }
  void SetText(const std::string& text) override { text_ = text; }

 private:
  std::string text_;
};

}  // namespace tessaly::model
