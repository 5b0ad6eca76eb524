#include "ui/key_input.h"

namespace tessaly::ui {

namespace {

class KeyFilter : public QObject {
 public:
  KeyFilter(QObject* parent, std::function<bool(char)> keep)
      : QObject(parent), keep_(std::move(keep)) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const std::optional<char> c = KeyChar(static_cast<QKeyEvent*>(event));
    return c && !keep_(*c);
  }

 private:
  std::function<bool(char)> keep_;
};

}  // namespace

std::optional<char> KeyChar(const QKeyEvent* event) {
  if (event->key() == Qt::Key_Backspace) return char(8);
  const QString text = event->text();
  if (text.isEmpty() || text[0].unicode() < 32 || text[0].unicode() == 127) return std::nullopt;
  if (text.size() == 1 && text[0].unicode() < 128) return static_cast<char>(text[0].unicode());
  return static_cast<char>(0x81);  // the lead byte of a double-byte character
}

void FilterKeys(QObject* target, std::function<bool(char)> keep) {
  target->installEventFilter(new KeyFilter(target, std::move(keep)));
}

}  // namespace tessaly::ui
