#include "engine/names/spell.h"

#include <iterator>

#include "engine/names/spell_data.h"
#include "platform/encoding.h"

namespace tessaly::engine {
namespace {

// Row A2, trail bytes A1..FE: the number of each numbered symbol, or empty.
constexpr const char* kSymbols[] = {
    "1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "10",  // small Roman
    "",   "",   "",   "",   "",   "",                            // AB..B0
    "1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "10",  // with full stop
    "11", "12", "13", "14", "15", "16", "17", "18", "19", "20",  //
    "1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "10",  // parenthesised
    "11", "12", "13", "14", "15", "16", "17", "18", "19", "20",  //
    "1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "10",  // circled
    "",   "",                                                    // E3..E4
    "1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "10",  // ideographic
    "",   "",                                                    // EF..F0
    "1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "10",  // Roman
    "11", "12", "",   "",                                        // FD..FE empty
};

// The Greek letters alpha to omega in capitals, for row A6.
constexpr const char* kGreek[] = {
    "A", "B", "G", "D", "E", "Z", "E", "TH", "I",  "K",  "L",  "M",
    "N", "X", "O", "P", "R", "S", "T", "U",  "PH", "KH", "PS", "O",
};

static_assert(std::size(kSymbols) == 94 && std::size(kGreek) == 24);

bool IsAsciiAlnum(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char Upper(unsigned char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

void AppendUpper(std::string& out, const char* text) {
  for (; *text != '\0'; ++text) out.push_back(Upper(static_cast<unsigned char>(*text)));
}

}  // namespace

int SyllableNumber(unsigned char lead, unsigned char trail) {
  if (lead < 0x81 || lead > 0xFE || trail < 0x40 || trail > 0xFE) return 0;
  return spell_data::kIndex[(lead - 0x81) * spell_data::kTrailCount + (trail - 0x40)];
}

std::string_view SyllableText(int n) {
  if (n < 1 || n >= spell_data::kSyllableSlots) return {};
  return spell_data::kSyllables[n];
}

void AppendPinyin(std::string& out, std::string_view text, std::int32_t flags) {
  if (flags < 0) return;
  const bool whole = (flags & kWholeSyllable) != 0;
  const bool mark = (flags & kMarkUnknown) != 0;
  const bool keep = (flags & kKeepOthers) != 0;
  std::size_t i = 0;
  while (i < text.size()) {
    // A four-byte character (outside the double-byte code page, as rare
    // characters of names are kept) has no syllable; its second and fourth
    // bytes are ASCII digits but no digits of the text.
    if (enc::CharLength(text, i) == 4) {
      if (mark) out.push_back('?');
      i += 4;
      continue;
    }
    const auto c = static_cast<unsigned char>(text[i]);
    const auto d = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    if (c < 0x81 || d < 0x40) {
      if (keep || IsAsciiAlnum(c)) out.push_back(Upper(c));
      i += 1;
      continue;
    }
    if (c == 0xA2) {
      // FF is no trail byte of the row and has no entry.
      if (d >= 0xA1 && d <= 0xFE) {
        out += kSymbols[d - 0xA1];
      } else if (mark) {
        out.push_back('?');
      }
    } else if (c == 0xA3) {
      // Full-width ASCII keeps its case: a full-width small letter stays small.
      const auto b = static_cast<unsigned char>(d - 0x80);
      if (keep || IsAsciiAlnum(b)) out.push_back(static_cast<char>(b));
    } else if (c == 0xA6) {
      if (d >= 0xA1 && d <= 0xB8) {
        out += kGreek[d - 0xA1];
      } else if (d >= 0xC1 && d <= 0xD8) {
        out += kGreek[d - 0xC1];
      } else if (mark) {
        out.push_back('?');
      }
    } else {
      const int n = SyllableNumber(c, d);
      const std::string_view syllable = SyllableText(n);
      if (!syllable.empty()) {
        if (whole) {
          AppendUpper(out, spell_data::kSyllables[n]);
        } else {
          out.push_back(Upper(static_cast<unsigned char>(syllable[0])));
        }
      } else if (mark) {
        out.push_back('?');
      }
    }
    i += 2;
  }
}

std::string ToPinyin(std::string_view text, std::int32_t flags, std::int32_t max_length) {
  std::string result;
  if (flags < 0 || max_length <= 0) return result;
  AppendPinyin(result, text, flags);
  if (result.size() > static_cast<std::size_t>(max_length)) result.resize(max_length);
  return result;
}

}  // namespace tessaly::engine
