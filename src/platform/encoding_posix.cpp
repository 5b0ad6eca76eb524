// The conversions of the encoding functions by iconv.
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <vector>

#include "platform/encoding.h"
#include "platform/encoding_detail.h"

namespace tessaly::enc {
namespace {

// One converter per direction and thread; iconv descriptors keep state, so
// they are reset before every conversion.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts `in`; on an invalid or incomplete sequence the input is advanced
  // by `skip(in_pos)` bytes and `replacement` is written instead.
  template <typename Skip>
  std::string Run(std::string_view in, std::string_view replacement, Skip skip) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    out.reserve(in.size() * 2 + 8);
    std::vector<char> buf(in.size() * 4 + 16);
    char* src = const_cast<char*>(in.data());
    std::size_t src_left = in.size();
    while (src_left > 0) {
      char* dst = buf.data();
      std::size_t dst_left = buf.size();
      std::size_t rc = iconv(cd_, &src, &src_left, &dst, &dst_left);
      out.append(buf.data(), dst - buf.data());
      if (rc == static_cast<std::size_t>(-1)) {
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL: replace the offending sequence and go on.
        std::size_t pos = in.size() - src_left;
        std::size_t n = skip(in, pos);
        if (n == 0 || n > src_left) n = 1;
        src += n;
        src_left -= n;
        out.append(replacement);
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      }
    }
    return out;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::string FromUtf8(std::string_view utf8) {
  if (detail::AllAscii(utf8)) return std::string(utf8);
  thread_local Converter conv("GB18030", "UTF-8");
  return conv.Run(utf8, "?", detail::Utf8SequenceLength);
}

std::string ToUtf8(std::string_view cp936) {
  if (detail::AllAscii(cp936)) return std::string(cp936);
  thread_local Converter conv("UTF-8", "GB18030");
  return conv.Run(cp936, "\xEF\xBF\xBD", [](std::string_view s, std::size_t pos) {
    std::size_t n = CharLength(s, pos);
    return n == 4 ? std::size_t{1} : n;
  });
}

namespace detail {

std::string FromUtf16(std::string_view bytes, bool little) {
  thread_local Converter from_le("GB18030", "UTF-16LE");
  thread_local Converter from_be("GB18030", "UTF-16BE");
  // A broken unit (a lone surrogate, an odd last byte) becomes '?'.
  return (little ? from_le : from_be).Run(bytes, "?", [](std::string_view s, std::size_t pos) {
    return std::min<std::size_t>(2, s.size() - pos);
  });
}

}  // namespace detail
}  // namespace tessaly::enc
