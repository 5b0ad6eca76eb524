#pragma once
// The constant tables of the pinyin conversion, generated into
// spell_table.cpp by tools/pinyin/make_spell_table.py.

#include <cstdint>

namespace tessaly::engine::spell_data {

// Syllable list: entry 0 is "no syllable", 1..404 the syllables in
// alphabetical order, 405 the spare empty entry.
inline constexpr int kSyllableSlots = 406;
extern const char* const kSyllables[kSyllableSlots];

// One entry per double-byte code, lead 0x81..0xFE, trail 0x40..0xFE.
inline constexpr int kTrailCount = 191;
inline constexpr int kIndexSize = 126 * kTrailCount;
extern const std::uint16_t kIndex[kIndexSize];

}  // namespace tessaly::engine::spell_data
