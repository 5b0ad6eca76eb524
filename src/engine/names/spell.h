#pragma once
// Pinyin conversion of code page 936 text: every Chinese character becomes
// its Mandarin syllable without tone mark in capitals (or only its first
// letter), the numbered symbols of row A2 become digits, the Greek letters of
// row A6 Latin transcriptions, full-width ASCII its single-byte form; a
// four-byte character has no syllable. Pure table look-ups; no state.

#include <cstdint>
#include <string>
#include <string_view>

namespace tessaly::engine {

// Flag bits of ToPinyin.
inline constexpr std::int32_t kWholeSyllable = 1;  // clear: only the first letter
inline constexpr std::int32_t kMarkUnknown = 2;    // "?" for a character without syllable
inline constexpr std::int32_t kKeepOthers = 4;     // keep characters that are not letters/digits

// The text converted under `flags` (a combination of the bits above),
// cut to its first `max_length` bytes. A negative `flags` or `max_length`
// gives an empty text.
std::string ToPinyin(std::string_view text, std::int32_t flags, std::int32_t max_length);

// Appends ToPinyin(text, flags, unlimited) to `out`; no allocation beyond
// the growth of `out`. Used by the sound keys.
void AppendPinyin(std::string& out, std::string_view text, std::int32_t flags);

// Number of entries of the syllable list (1..kSyllableCount; 0 = none).
inline constexpr int kSyllableCount = 405;

// The syllable number of the double-byte character (lead, trail), 0 when it
// has none or the bytes are not a double-byte code.
int SyllableNumber(unsigned char lead, unsigned char trail);

// Syllable `n` of the list in lower case; empty for 0, the spare empty
// entry and numbers outside the list.
std::string_view SyllableText(int n);

}  // namespace tessaly::engine
