// Text in a named character set, by the Windows code page of that name.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <utility>

#include "platform/encoding.h"
#include "platform/workbook/cell_text.h"

namespace tessaly::workbook {
namespace {

// The code page of a character set name as iconv and web pages write it
// ("CP1252", "windows-1252", "big5", "MACINTOSH"); 0 for an unknown name.
UINT CodePageOf(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  static const std::pair<const char*, UINT> kNamed[] = {
      {"macintosh", 10000}, {"big5", 950},          {"shift_jis", 932}, {"sjis", 932},
      {"euc-kr", 51949},    {"euc-jp", 20932},      {"koi8-r", 20866},  {"us-ascii", 20127},
      {"latin1", 28591},    {"iso-8859-1", 28591},  {"ascii", 20127},   {"gb2312", 936},
      {"gbk", 936},         {"ks_c_5601-1987", 949}};
  for (const auto& [known, page] : kNamed) {
    if (name == known) return page;
  }
  auto number = [&](std::string_view prefix, UINT base) -> UINT {
    if (name.compare(0, prefix.size(), prefix) != 0 || name.size() == prefix.size()) return 0;
    UINT value = 0;
    for (char c : name.substr(prefix.size())) {
      if (c < '0' || c > '9' || value > 100000) return 0;
      value = value * 10 + static_cast<UINT>(c - '0');
    }
    return base + value;
  };
  for (auto [prefix, base] : {std::pair<std::string_view, UINT>{"cp", 0},
                              {"windows-", 0},
                              {"iso-8859-", 28590},
                              {"iso8859-", 28590}}) {
    if (UINT page = number(prefix, base)) return IsValidCodePage(page) ? page : 0;
  }
  return 0;
}

}  // namespace

std::optional<std::string> FromCharset(std::string_view bytes, const std::string& charset) {
  const UINT page = CodePageOf(charset);
  if (page == 0) return std::nullopt;
  if (bytes.empty()) return std::string();
  const int size = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(page, 0, bytes.data(), size, nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(page, 0, bytes.data(), size, wide.data(), n);
  std::string utf8;
  for (std::size_t i = 0; i < wide.size(); ++i) {
    std::uint32_t u = wide[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] <= 0xDFFF) {
      u = 0x10000 + ((u - 0xD800) << 10) + (wide[++i] - 0xDC00u);
    } else if (u == 0xFFFD || (u >= 0xD800 && u <= 0xDFFF)) {
      u = '?';  // a byte that is no character of the set
    }
    enc::AppendUtf8(utf8, u);
  }
  return enc::FromUtf8(utf8);
}

}  // namespace tessaly::workbook
