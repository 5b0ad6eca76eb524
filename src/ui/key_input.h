#pragma once
// Key filters of the input boxes: a widget's key presses pass through a
// core filter before they reach it.

#include <QKeyEvent>
#include <QObject>
#include <functional>
#include <optional>

namespace tessaly::ui {

// The character a key press types as the core's filters see it: 8 for
// backspace, the ASCII character, or a byte no filter keeps for any other
// character; none for keys that type nothing (arrows, Tab, ...).
std::optional<char> KeyChar(const QKeyEvent* event);

// Drops the key presses on `target` that `keep` refuses.
void FilterKeys(QObject* target, std::function<bool(char)> keep);

}  // namespace tessaly::ui
