#include "platform/encoding.h"

#include "platform/encoding_detail.h"

namespace tessaly::enc {
namespace detail {

std::size_t Utf8SequenceLength(std::string_view s, std::size_t pos) {
  unsigned char c = static_cast<unsigned char>(s[pos]);
  std::size_t n = c < 0x80           ? 1
                  : (c >> 5) == 0x6  ? 2
                  : (c >> 4) == 0xE  ? 3
                  : (c >> 3) == 0x1E ? 4
                                     : 1;
  // Never skip past bytes that are not continuation bytes.
  std::size_t k = 1;
  while (k < n && pos + k < s.size() && (static_cast<unsigned char>(s[pos + k]) & 0xC0) == 0x80) {
    ++k;
  }
  return k;
}

bool AllAscii(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace detail

bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t n;
    std::uint32_t cp;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c >> 5) == 0x6) {
      n = 2;
      cp = c & 0x1F;
    } else if ((c >> 4) == 0xE) {
      n = 3;
      cp = c & 0x0F;
    } else if ((c >> 3) == 0x1E) {
      n = 4;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      unsigned char d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    static constexpr std::uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += n;
  }
  return true;
}

std::string FromOutside(std::string_view bytes) {
  if (bytes.size() >= 2 && (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF")) {
    const bool little = bytes[0] == '\xFF';
    bytes.remove_prefix(2);
    return detail::FromUtf16(bytes, little);
  }
  if (IsValidUtf8(bytes)) {
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    return FromUtf8(bytes);
  }
  return ValidText(bytes);
}

bool IsValidText(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t n = CharLength(text, pos);
    if (n == 1 && static_cast<unsigned char>(text[pos]) >= 0x80) return false;
    pos += n;
  }
  return true;
}

std::string ValidText(std::string_view text) {
  std::string out(text);
  for (std::size_t pos = 0; pos < out.size();) {
    std::size_t n = CharLength(out, pos);
    if (n == 1 && static_cast<unsigned char>(out[pos]) >= 0x80) out[pos] = '?';
    pos += n;
  }
  return out;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::size_t CharLength(std::string_view text, std::size_t pos) {
  unsigned char c = static_cast<unsigned char>(text[pos]);
  if (c < 0x81 || c == 0xFF || pos + 1 >= text.size()) return 1;
  unsigned char d = static_cast<unsigned char>(text[pos + 1]);
  if (d >= 0x30 && d <= 0x39) {
    // GB18030 four-byte form: lead, digit, lead, digit.
    if (pos + 3 < text.size()) {
      unsigned char e = static_cast<unsigned char>(text[pos + 2]);
      unsigned char f = static_cast<unsigned char>(text[pos + 3]);
      if (e >= 0x81 && e <= 0xFE && f >= 0x30 && f <= 0x39) return 4;
    }
    return 1;
  }
  // A byte that cannot trail a double-byte character leaves the lead alone.
  if (d < 0x40 || d == 0x7F || d == 0xFF) return 1;
  return 2;
}

std::string CutToBytes(std::string_view text, std::size_t max_bytes) {
  if (text.size() <= max_bytes) return ValidText(text);
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t n = CharLength(text, pos);
    if (pos + n > max_bytes) break;
    pos += n;
  }
  return ValidText(text.substr(0, pos));
}

}  // namespace tessaly::enc
