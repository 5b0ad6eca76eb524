#pragma once
// The key filters of the rules pages' input boxes. A key press reaches the
// box only when its filter keeps it; the command line applies the same
// filters to option values, so a value reads as the box would have kept it.

#include <string>
#include <string_view>

namespace tessaly::rules {

inline constexpr char kBackspace = 8;

// The class count, the rank boxes and the score boxes: "0" to "9" and
// backspace.
bool KeepDigitKey(char key);
// The class ids box: digits, "," and backspace.
bool KeepDigitCommaKey(char key);
// The weights grid: digits, "%" and backspace.
bool KeepDigitPercentKey(char key);

// The text with the full-width forms of ASCII characters an input method
// types ("１２，３" from the Chinese input mode) as their ASCII characters
// ("12,3"); every other character stays as it is. The boxes read what they
// are typed through it, so digits and commas typed either way are kept and
// stored in the same form.
std::string AsciiForms(std::string_view text);

// A whole text typed key by key through a filter: what the filter drops is
// left out (a double-byte character counts as one key, and no filter keeps
// it); a kept backspace removes the byte before it.
std::string FilterTyped(std::string_view text, bool (*keep)(char));

}  // namespace tessaly::rules
