// Text in a named character set, by iconv.
#include <iconv.h>

#include <cerrno>

#include "platform/encoding.h"
#include "platform/workbook/cell_text.h"

namespace tessaly::workbook {

std::optional<std::string> FromCharset(std::string_view bytes, const std::string& charset) {
  iconv_t cd = iconv_open("UTF-8", charset.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string in(bytes);
  char* src = in.data();
  std::size_t left = in.size();
  std::string utf8;
  char buf[4096];
  while (left > 0) {
    char* dst = buf;
    std::size_t room = sizeof buf;
    const std::size_t r = iconv(cd, &src, &left, &dst, &room);
    utf8.append(buf, static_cast<std::size_t>(dst - buf));
    if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
      utf8.push_back('?');  // a byte that is no character of the set
      ++src;
      --left;
    }
  }
  iconv_close(cd);
  return enc::FromUtf8(utf8);
}

}  // namespace tessaly::workbook
