#pragma once
// Key filters of the input boxes: a widget's key presses pass through a
// core filter before they reach it. Full-width digits and punctuation (the
// Chinese input mode types them, by key or through the input method) reach
// the box as their ASCII forms.

#include <QKeyEvent>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace tessaly::ui {

// The character a key press types as the core's filters see it: 8 for
// backspace, the ASCII character (a full-width form as its ASCII form), or
// a byte no filter keeps for any other character; none for keys that type
// nothing (arrows, Tab, ...).
std::optional<char> KeyChar(const QKeyEvent* event);

// `text` with full-width forms of ASCII characters as ASCII.
QString AsciiText(const QString& text);

// Drops the key presses and typed text on `target` that `keep` refuses;
// what it keeps arrives in ASCII form.
void FilterKeys(QObject* target, std::function<bool(char)> keep);

// Lets full-width digits and punctuation reach `target` as ASCII (boxes
// whose own validator checks what is typed).
void AcceptFullWidth(QObject* target);

}  // namespace tessaly::ui
