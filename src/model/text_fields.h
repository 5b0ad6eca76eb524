#pragma once
// Small readers of separated text: rows of rule lists, pasted table rows,
// grid cells and division-file lines keep their fields as text with a
// one-character separator after every field.
//
// All functions work on code page 936 bytes. The second byte of a
// double-byte character is never taken for a separator or a digit.

#include <cstdint>
#include <string>
#include <string_view>

namespace tessaly::model {

// How many times the single-byte character `c` occurs in the text, not
// counting trail bytes of double-byte characters.
std::int32_t CountChar(std::string_view text, char c);

// The n-th field (1-based): the text after the (n-1)-th separator and before
// the n-th. Empty when the text holds fewer than n separators or n < 1.
std::string FieldAt(std::string_view text, char c, std::int32_t n);

// Value of the first run of decimal digits, -1 when there is none. A run
// above 2147483647 gives 2147483647.
std::int32_t FirstInteger(std::string_view text);

// Value of the first run of digits and points, 0 when there is none. A run
// that is not a valid decimal number (1.2.3) gives the value of its longest
// valid beginning (1.2); a lone point gives 0.
double FirstNumber(std::string_view text);

// The text without full-width spaces (A1A1) and ASCII spaces.
std::string RemoveSpaces(std::string_view text);

// True when `item` equals one of the comma-terminated items of `list`.
bool ListContains(std::string_view item, std::string_view list);

// Position of the first occurrence of `needle` that starts on a character
// boundary, or npos. Used for the byte-substring tests on Chinese texts so
// that a match never straddles two characters.
std::size_t FindText(std::string_view hay, std::string_view needle, std::size_t from = 0);
inline bool ContainsText(std::string_view hay, std::string_view needle) {
  return FindText(hay, needle) != std::string_view::npos;
}

// Every occurrence (on character boundaries) of `from` replaced by `to`.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// Text comparison that ignores the case of Latin letters (single-byte
// characters only); everything else compares byte for byte.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// Latin letters (single-byte characters only) in upper case.
std::string ToUpperLatin(std::string_view text);

}  // namespace tessaly::model
