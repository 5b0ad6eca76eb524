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
