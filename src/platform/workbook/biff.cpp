#include "platform/workbook/biff.h"

#include <algorithm>
#include <cctype>

#include "platform/encoding.h"
#include "platform/workbook/cell_text.h"

namespace tessaly::workbook::biff {

std::optional<std::string> WorkbookStreamName(const CompoundFile& cf) {
  for (const char* name : {"Workbook", "Book"}) {
    if (cf.HasStream(name)) return std::string(name);
  }
  return std::nullopt;
}

int Version(std::string_view book) {
  switch (U16(book, 0)) {
    case 0x0009:
      return 2;
    case 0x0209:
      return 3;
    case 0x0409:
      return 4;
    case 0x0809:
      // The version word: 0x0600 for BIFF8, 0x0500 for BIFF5 and BIFF7.
      return U16(book, 4) >= 0x0600 ? 8 : 5;
    default:
      return 0;
  }
}

std::optional<std::size_t> ReadSharedStrings(const std::vector<std::string_view>& parts,
                                             std::vector<std::string>* out) {
  if (parts.empty() || parts[0].size() < 8) return std::nullopt;
  const std::size_t unique = U32(parts[0], 4);
  std::size_t part = 0;
  std::size_t at = 8;
  // Moves to the next part when the current one is used up.
  auto next_part = [&] {
    while (part < parts.size() && at >= parts[part].size()) {
      ++part;
      at = 0;
    }
    return part < parts.size();
  };
  // Skips n bytes that may span parts.
  auto skip = [&](std::size_t n) {
    while (n > 0) {
      if (!next_part()) return false;
      std::size_t take = std::min(n, parts[part].size() - at);
      at += take;
      n -= take;
    }
    return true;
  };
  std::vector<std::uint16_t> units;
  std::size_t i = 0;
  for (; i < unique; ++i) {
    // Some writers count more strings than they write (or count wrong in
    // an empty table): the table ends with its records.
    if (!next_part()) return i;
    std::string_view p = parts[part];
    if (at + 3 > p.size()) return std::nullopt;  // the string's header is never split
    std::size_t chars = U16(p, at);
    unsigned options = static_cast<unsigned char>(p[at + 2]);
    at += 3;
    std::size_t runs = 0, extra = 0;
    if (options & 0x08) {
      if (at + 2 > p.size()) return std::nullopt;
      runs = U16(p, at);
      at += 2;
    }
    if (options & 0x04) {
      if (at + 4 > p.size()) return std::nullopt;
      extra = U32(p, at);
      at += 4;
    }
    bool wide = options & 0x01;
    units.clear();
    while (chars > 0) {
      if (at >= parts[part].size()) {
        // The characters go on in the next record, after a new option byte.
        ++part;
        at = 0;
        if (part >= parts.size() || parts[part].empty()) return std::nullopt;
        wide = parts[part][0] & 0x01;
        at = 1;
      }
      const std::string_view q = parts[part];
      std::size_t room = (q.size() - at) / (wide ? 2 : 1);
      if (room == 0) return std::nullopt;
      std::size_t take = std::min(chars, room);
      if (out) {
        for (std::size_t k = 0; k < take; ++k) {
          units.push_back(static_cast<std::uint16_t>(wide ? U16(q, at + 2 * k)
                                                          : static_cast<unsigned char>(q[at + k])));
        }
      }
      at += take * (wide ? 2 : 1);
      chars -= take;
    }
    if (!skip(4 * runs) || !skip(extra)) return std::nullopt;
    if (out) out->push_back(FromUtf16(units));
  }
  // No bytes after the strings it counts.
  if (next_part()) return std::nullopt;
  return i;
}

std::string FromUtf16(const std::vector<std::uint16_t>& units) {
  std::string utf8;
  utf8.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    std::uint32_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      enc::AppendUtf8(utf8, 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else {
      enc::AppendUtf8(utf8, (u >= 0xD800 && u <= 0xDFFF) ? 0xFFFD : u);
    }
  }
  return enc::FromUtf8(utf8);
}

std::string FromCodePage(std::string_view bytes, unsigned code_page) {
  // Plain ASCII reads the same in every code page.
  if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; })) {
    return std::string(bytes);
  }
  if (code_page == 936) return enc::ValidText(bytes);
  // The code page numbers of the file format as iconv names; Excel's own
  // numbers for Mac Roman (10000, 32768) and Windows Latin 1 (32769).
  std::string name = code_page == 10000 || code_page == 32768 ? "MACINTOSH"
                     : code_page == 32769 || code_page == 0   ? "CP1252"
                                                              : "CP" + std::to_string(code_page);
  if (auto text = FromCharset(bytes, name)) return *text;
  // An unknown code page: each byte as the Latin-1 character of its value.
  std::string utf8;
  for (unsigned char c : bytes) enc::AppendUtf8(utf8, c);
  return enc::FromUtf8(utf8);
}

std::string RecordString(std::string_view data, std::size_t at, std::size_t count_bytes, bool biff8,
                         unsigned code_page) {
  if (at + count_bytes > data.size()) return {};
  const std::size_t count = count_bytes == 1 ? static_cast<unsigned char>(data[at]) : U16(data, at);
  at += count_bytes;
  if (!biff8) return FromCodePage(data.substr(at, std::min(count, data.size() - at)), code_page);
  if (at >= data.size()) return {};
  const unsigned options = static_cast<unsigned char>(data[at++]);
  const bool wide = options & 0x01;
  if (options & 0x08) at += 2;  // count of formatting runs
  if (options & 0x04) at += 4;  // size of phonetic data
  std::vector<std::uint16_t> units;
  for (std::size_t i = 0; i < count && at + (wide ? 2 : 1) <= data.size(); ++i) {
    units.push_back(
        static_cast<std::uint16_t>(wide ? U16(data, at) : static_cast<unsigned char>(data[at])));
    at += wide ? 2 : 1;
  }
  return FromUtf16(units);
}

}  // namespace tessaly::workbook::biff
