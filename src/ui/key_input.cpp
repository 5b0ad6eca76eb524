#include "ui/key_input.h"

#include <QCoreApplication>
#include <QInputMethodEvent>

#include "rules/key_filters.h"
#include "ui/qt_text.h"

namespace tessaly::ui {

namespace {

// Passes key presses and input-method text on in ASCII form, dropping the
// characters `keep` refuses (no filter: every character passes).
class KeyFilter : public QObject {
 public:
  KeyFilter(QObject* parent, std::function<bool(char)> keep)
      : QObject(parent), keep_(std::move(keep)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress)
      return FilterKey(watched, *static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::InputMethod) {
      return FilterCommit(watched, *static_cast<QInputMethodEvent*>(event));
    }
    return false;
  }

 private:
  bool FilterKey(QObject* watched, const QKeyEvent& key) {
    const std::optional<char> c = KeyChar(&key);
    if (c && keep_ && !keep_(*c)) return true;
    const QString ascii = AsciiText(key.text());
    if (ascii == key.text()) return false;
    // A full-width character: the box gets the same key typing its ASCII form.
    QKeyEvent typed(QEvent::KeyPress, key.key(), key.modifiers(), ascii, key.isAutoRepeat(),
                    static_cast<quint16>(key.count()));
    QCoreApplication::sendEvent(watched, &typed);
    return true;
  }

  bool FilterCommit(QObject* watched, const QInputMethodEvent& input) {
    const QString commit = input.commitString();
    if (commit.isEmpty()) return false;
    QString kept;
    for (const QChar ch : AsciiText(commit)) {
      const char c = ch.unicode() < 128 ? static_cast<char>(ch.unicode()) : char(0x81);
      if (!keep_ || keep_(c)) kept += ch;
    }
    if (kept == commit) return false;
    QInputMethodEvent typed(input.preeditString(), input.attributes());
    typed.setCommitString(kept, input.replacementStart(), input.replacementLength());
    QCoreApplication::sendEvent(watched, &typed);
    return true;
  }

  std::function<bool(char)> keep_;
};

}  // namespace

QString AsciiText(const QString& text) {
  for (const QChar c : text) {
    if (c.unicode() >= 0xFF01 && c.unicode() <= 0xFF5E) return Q(rules::AsciiForms(Gb(text)));
  }
  return text;
}

std::optional<char> KeyChar(const QKeyEvent* event) {
  if (event->key() == Qt::Key_Backspace) return char(8);
  const QString text = AsciiText(event->text());
  if (text.isEmpty() || text[0].unicode() < 32 || text[0].unicode() == 127) return std::nullopt;
  if (text.size() == 1 && text[0].unicode() < 128) return static_cast<char>(text[0].unicode());
  return static_cast<char>(0x81);  // the lead byte of a double-byte character
}

void FilterKeys(QObject* target, std::function<bool(char)> keep) {
  target->installEventFilter(new KeyFilter(target, std::move(keep)));
}

void AcceptFullWidth(QObject* target) {
  target->installEventFilter(new KeyFilter(target, nullptr));
}

}  // namespace tessaly::ui
