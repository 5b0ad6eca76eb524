#pragma once
// The system clipboard for the core: text only, code page 936.

#include "model/clipboard_port.h"

namespace tessaly::ui {

class QtClipboard : public model::ClipboardPort {
 public:
  std::string GetText() override;
  void SetText(const std::string& text) override;
};

}  // namespace tessaly::ui
