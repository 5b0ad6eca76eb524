#include "rules/key_filters.h"

#include "platform/encoding.h"

namespace tessaly::rules {

bool KeepDigitKey(char key) {
  return (key >= '0' && key <= '9') || key == kBackspace;
}

bool KeepDigitCommaKey(char key) {
  return KeepDigitKey(key) || key == ',';
}

bool KeepDigitPercentKey(char key) {
  return KeepDigitKey(key) || key == '%';
}

std::string AsciiForms(std::string_view text) {
  // Row 3 of GB2312 (lead byte 0xA3) holds the full-width forms of "!" to
  // "~" in ASCII order; 0xA3A4 is the yuan sign and 0xA3FE the overline,
  // which are no forms of "$" and "~".
  constexpr unsigned char kFullWidthRow = 0xA3, kFirst = 0xA1, kLast = 0xFE;
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = enc::CharLength(text, i);
    const auto lead = static_cast<unsigned char>(text[i]);
    const auto trail = n == 2 ? static_cast<unsigned char>(text[i + 1]) : 0;
    if (n == 2 && lead == kFullWidthRow && trail >= kFirst && trail < kLast && trail != 0xA4) {
      out += static_cast<char>('!' + (trail - kFirst));
    } else {
      out.append(text.substr(i, n));
    }
    i += n;
  }
  return out;
}

std::string FilterTyped(std::string_view text, bool (*keep)(char)) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = enc::CharLength(text, i);
    if (n == 1 && keep(text[i])) {
      if (text[i] != kBackspace) {
        out += text[i];
      } else if (!out.empty()) {
        out.pop_back();  // the kept bytes are all single-byte
      }
    }
    i += n;
  }
  return out;
}

}  // namespace tessaly::rules
