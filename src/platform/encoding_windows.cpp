// The conversions of the encoding functions by the Windows code pages:
// GB18030 is code page 54936, GBK code page 936. The characters outside the
// Basic Multilingual Plane have GB18030 four-byte codes in one linear run
// (U+10000 = 90 30 81 30), worked out here; the rest goes through the code
// page. Where the system has no code page 54936 (Wine), code page 936 is
// used: the characters GBK lacks in the Basic Multilingual Plane then
// become '?'.
#include <windows.h>

#include <cstdint>

#include "platform/encoding.h"
#include "platform/encoding_detail.h"

namespace tessaly::enc {
namespace {

constexpr std::uint32_t kPlanesStart = 0x10000;
constexpr char32_t kReplacement = 0xFFFD;

UINT CodePage() {
  static const UINT page = IsValidCodePage(54936) ? 54936 : 936;
  return page;
}

// The four GB18030 bytes of a code point past the Basic Multilingual Plane.
void AppendFourBytes(std::string& out, std::uint32_t cp) {
  std::uint32_t n = cp - kPlanesStart;
  const char d = static_cast<char>(0x30 + n % 10);
  n /= 10;
  const char c = static_cast<char>(0x81 + n % 126);
  n /= 126;
  const char b = static_cast<char>(0x30 + n % 10);
  n /= 10;
  out += {static_cast<char>(0x90 + n), b, c, d};
}

// The code point of a four-byte GB18030 code past the Basic Multilingual
// Plane; 0 for any other four bytes.
std::uint32_t FourBytesToPlanes(std::string_view s) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  if (byte(0) < 0x90 || byte(0) > 0xE3) return 0;
  const std::uint32_t n =
      (((byte(0) - 0x90u) * 10 + (byte(1) - 0x30u)) * 126 + (byte(2) - 0x81u)) * 10 +
      (byte(3) - 0x30u);
  return n <= 0x10FFFF - kPlanesStart ? kPlanesStart + n : 0;
}

std::wstring Widen(std::string_view bytes, UINT page, DWORD flags) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(page, flags, bytes.data(), size, nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(page, flags, bytes.data(), size, wide.data(), n);
  return wide;
}

void AppendNarrow(std::string& out, const std::wstring& wide, UINT page) {
  if (wide.empty()) return;
  const int size = static_cast<int>(wide.size());
  const int n = WideCharToMultiByte(page, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (n <= 0) {
    out.append(wide.size(), '?');
    return;
  }
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(n));
  WideCharToMultiByte(page, 0, wide.data(), size, out.data() + at, n, nullptr, nullptr);
}

// Code points -> GB18030: runs inside the Basic Multilingual Plane go to the
// code page, the others are worked out.
class Gb18030Writer {
 public:
  void Put(std::uint32_t cp) {
    if (cp < kPlanesStart) {
      run_.push_back(static_cast<wchar_t>(cp));
      return;
    }
    Flush();
    AppendFourBytes(out_, cp);
  }
  std::string Take() {
    Flush();
    return std::move(out_);
  }

 private:
  void Flush() {
    AppendNarrow(out_, run_, CodePage());
    run_.clear();
  }
  std::wstring run_;
  std::string out_;
};

// The code point of one well-formed UTF-8 sequence of `n` bytes; 0 when the
// bytes are no such sequence.
std::uint32_t DecodeUtf8(std::string_view s) {
  if (!IsValidUtf8(s)) return 0;
  const auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(s[i]) & 0xFF; };
  switch (s.size()) {
    case 1:
      return byte(0);
    case 2:
      return (byte(0) & 0x1F) << 6 | (byte(1) & 0x3F);
    case 3:
      return (byte(0) & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
    default:
      return (byte(0) & 0x07) << 18 | (byte(1) & 0x3F) << 12 | (byte(2) & 0x3F) << 6 |
             (byte(3) & 0x3F);
  }
}

std::size_t DeclaredUtf8Length(unsigned char c) {
  return c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
}

// A four-byte character, or a byte of 0x80 or more that is no character
// (code page 936 would read 0x80 as the euro sign, GB18030 reads nothing).
bool Alone(std::string_view s, std::size_t pos) {
  const std::size_t n = CharLength(s, pos);
  return n == 4 || (n == 1 && static_cast<unsigned char>(s[pos]) >= 0x80);
}

}  // namespace

std::string FromUtf8(std::string_view utf8) {
  if (detail::AllAscii(utf8)) return std::string(utf8);
  Gb18030Writer out;
  for (std::size_t pos = 0; pos < utf8.size();) {
    const std::size_t n = DeclaredUtf8Length(static_cast<unsigned char>(utf8[pos]));
    const std::uint32_t cp = n == 0 || pos + n > utf8.size() ? 0 : DecodeUtf8(utf8.substr(pos, n));
    if (cp != 0 || (n == 1 && utf8[pos] == '\0')) {
      out.Put(cp);
      pos += n;
    } else {
      // An invalid sequence: one '?' for the lead byte and its trail bytes.
      out.Put('?');
      pos += detail::Utf8SequenceLength(utf8, pos);
    }
  }
  return out.Take();
}

std::string ToUtf8(std::string_view cp936) {
  if (detail::AllAscii(cp936)) return std::string(cp936);
  std::string out;
  out.reserve(cp936.size() * 3 / 2 + 8);
  const UINT page = CodePage();
  for (std::size_t pos = 0; pos < cp936.size();) {
    // The longest stretch of one- and two-byte characters goes to the code
    // page at once; a character it refuses, or a four-byte one, alone.
    std::size_t end = pos;
    while (end < cp936.size() && !Alone(cp936, end)) end += CharLength(cp936, end);
    if (end > pos) {
      const std::string_view run = cp936.substr(pos, end - pos);
      const std::wstring wide = Widen(run, page, MB_ERR_INVALID_CHARS);
      if (!wide.empty()) {
        for (std::size_t i = 0; i < wide.size(); ++i) AppendUtf8(out, wide[i]);
        pos = end;
        continue;
      }
    }
    const std::size_t n = CharLength(cp936, pos);
    std::uint32_t cp = 0;
    if (n == 4) {
      cp = FourBytesToPlanes(cp936.substr(pos, 4));
      if (cp == 0 && page == 54936) {
        const std::wstring wide = Widen(cp936.substr(pos, 4), page, MB_ERR_INVALID_CHARS);
        if (wide.size() == 1) cp = wide[0];
      }
    } else if (n == 2) {
      const std::wstring wide = Widen(cp936.substr(pos, n), page, MB_ERR_INVALID_CHARS);
      if (wide.size() == 1) cp = wide[0];
    }
    if (cp != 0) {
      AppendUtf8(out, cp);
      pos += n;
    } else {
      // A byte that starts no character: U+FFFD, and the bytes after a
      // broken four-byte lead are read again.
      AppendUtf8(out, kReplacement);
      pos += n == 4 ? 1 : n;
    }
  }
  return out;
}

namespace detail {

std::string FromUtf16(std::string_view bytes, bool little) {
  const auto unit = [&](std::size_t i) -> std::uint32_t {
    const auto a = static_cast<unsigned char>(bytes[i]),
               b = static_cast<unsigned char>(bytes[i + 1]);
    return little ? (b << 8 | a) : (a << 8 | b);
  };
  Gb18030Writer out;
  std::size_t pos = 0;
  for (; pos + 1 < bytes.size(); pos += 2) {
    const std::uint32_t u = unit(pos);
    if (u >= 0xD800 && u <= 0xDBFF && pos + 3 < bytes.size()) {
      const std::uint32_t low = unit(pos + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        out.Put(kPlanesStart + ((u - 0xD800) << 10) + (low - 0xDC00));
        pos += 2;
        continue;
      }
    }
    // A lone surrogate is a broken unit.
    out.Put(u >= 0xD800 && u <= 0xDFFF ? '?' : u);
  }
  if (pos < bytes.size()) out.Put('?');  // an odd last byte
  return out.Take();
}

}  // namespace detail
}  // namespace tessaly::enc
