#include "ui/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "ui/qt_text.h"

namespace tessaly::ui {

std::string QtClipboard::GetText() {
  return Gb(QGuiApplication::clipboard()->text());
}

void QtClipboard::SetText(const std::string& text) {
  QGuiApplication::clipboard()->setText(Q(text));
}

}  // namespace tessaly::ui
