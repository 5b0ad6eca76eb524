#include "import/score_text.h"

#include <string>

#include "model/number_format.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::import {
namespace {

// The text with the full-width digits, point, plus sign and letter E
// (0xA3B0..0xA3B9, 0xA3AE, 0xA3AB, 0xA3C5, 0xA3E5 in code page 936) as
// ASCII, and leading and trailing spaces dropped.
std::string AsciiForm(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t n = enc::CharLength(text, pos);
    const auto lead = static_cast<unsigned char>(text[pos]);
    const auto trail = n == 2 ? static_cast<unsigned char>(text[pos + 1]) : 0;
    if (n == 2 && lead == 0xA3 &&
        ((trail >= 0xB0 && trail <= 0xB9) || trail == 0xAE || trail == 0xAB || trail == 0xC5 ||
         trail == 0xE5)) {
      out.push_back(static_cast<char>(trail - 0x80));
    } else {
      out.append(text.substr(pos, n));
    }
    pos += n;
  }
  const std::size_t first = out.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

// True for digits, an optional point and digits, then E or e, an optional
// sign and digits: the exponent form, without a leading sign (the first
// number of a text never has one).
bool IsExponentForm(std::string_view t) {
  std::size_t i = 0, digits = 0;
  while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
  }
  if (digits == 0 || i >= t.size() || (t[i] != 'E' && t[i] != 'e')) return false;
  ++i;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  const std::size_t exponent_start = i;
  while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
  return i == t.size() && i > exponent_start;
}

}  // namespace

double ScoreFromText(std::string_view cell) {
  const std::string text = AsciiForm(cell);
  if (IsExponentForm(text)) {
    if (auto value = model::ParseDecimal(text)) return *value;
  }
  return model::FirstNumber(text);
}

}  // namespace tessaly::import
