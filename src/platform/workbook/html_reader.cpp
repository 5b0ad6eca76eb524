// An HTML page read as one sheet: the first <table>, each <tr> a row, each
// <td> or <th> a cell (a colspan takes that many columns, a rowspan that
// many rows, the text in the first of them as a spreadsheet shows a merged
// cell, and the cells after it in those rows move past it), the cell's text
// without its tags, runs of white space as one space, character references
// decoded. School systems export such pages with the extension .xls. The
// page's own encoding comes from its byte-order mark or its <meta> charset;
// without either, UTF-8 when the bytes are valid UTF-8, GB18030 otherwise.

#include <algorithm>
#include <cctype>
#include <charconv>
#include <vector>

#include "platform/encoding.h"
#include "platform/workbook/cell_text.h"
#include "platform/workbook/workbook_reader.h"

namespace tessaly::workbook {
namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

// The charset a page declares in its first bytes (lower case), if any.
std::string DeclaredCharset(std::string_view bytes) {
  const std::string head = Lower(bytes.substr(0, 4096));
  const std::size_t at = head.find("charset=");
  if (at == std::string::npos) return {};
  std::size_t begin = at + 8;
  while (begin < head.size() && (head[begin] == '"' || head[begin] == '\'')) ++begin;
  std::size_t end = begin;
  while (end < head.size() && (std::isalnum(static_cast<unsigned char>(head[end])) ||
                               head[end] == '-' || head[end] == '_')) {
    ++end;
  }
  return head.substr(begin, end - begin);
}

// The page as code page 936 text.
std::string PageText(std::string_view bytes) {
  const bool bom = bytes.substr(0, 3) == "\xEF\xBB\xBF" || bytes.substr(0, 2) == "\xFF\xFE" ||
                   bytes.substr(0, 2) == "\xFE\xFF";
  const std::string charset = bom ? std::string() : DeclaredCharset(bytes);
  if (charset == "utf-8" || charset == "utf8") return enc::FromUtf8(bytes);
  if (charset == "gb2312" || charset == "gbk" || charset == "gb18030" || charset == "cp936") {
    return enc::ValidText(bytes);
  }
  if (!charset.empty()) {
    if (auto text = FromCharset(bytes, charset)) return *text;
  }
  return enc::FromOutside(bytes);
}

// The character a reference between '&' and ';' stands for, in UTF-8.
std::string Reference(std::string_view name) {
  std::uint32_t code = 0;
  if (name.size() > 1 && name[0] == '#') {
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    auto [p, ec] =
        std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
    if (ec != std::errc() || p != digits.data() + digits.size() || code == 0 || code > 0x10FFFF ||
        (code >= 0xD800 && code <= 0xDFFF)) {
      return {};
    }
  } else {
    static const std::pair<const char*, std::uint32_t> kNames[] = {
        {"amp", '&'},     {"lt", '<'},      {"gt", '>'},      {"quot", '"'},     {"apos", '\''},
        {"nbsp", ' '},    {"ensp", 0x2002}, {"emsp", 0x2003}, {"middot", 0xB7},  {"times", 0xD7},
        {"divide", 0xF7}, {"copy", 0xA9},   {"reg", 0xAE},    {"hellip", 0x2026}};
    for (const auto& [n, c] : kNames) {
      if (name == n) code = c;
    }
    if (code == 0) return {};
  }
  std::string utf8;
  enc::AppendUtf8(utf8, code);
  return utf8;
}

// A cell's text: references decoded, white space collapsed and trimmed.
std::string CellText(std::string_view raw) {
  std::string utf8;
  bool space = false;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
      space = true;
      continue;
    }
    std::string piece(1, c);
    if (c == '&') {
      const std::size_t end = raw.find(';', i);
      if (end != std::string_view::npos && end - i <= 10) {
        std::string decoded = enc::FromUtf8(Reference(raw.substr(i + 1, end - i - 1)));
        if (!decoded.empty()) {
          piece = decoded;
          i = end;
        }
      }
    }
    if (space && !utf8.empty()) utf8.push_back(' ');
    space = false;
    utf8 += piece;
  }
  return utf8;
}

// The value of attribute `name` inside a tag's text, lower case; empty when
// absent.
std::string AttributeOf(const std::string& tag, std::string_view name) {
  std::size_t at = tag.find(std::string(name) + "=");
  if (at == std::string::npos) return {};
  at += name.size() + 1;
  if (at < tag.size() && (tag[at] == '"' || tag[at] == '\'')) ++at;
  std::size_t end = at;
  while (end < tag.size() && std::isdigit(static_cast<unsigned char>(tag[end]))) ++end;
  return tag.substr(at, end - at);
}

}  // namespace

bool LooksLikeHtmlTable(std::string_view bytes) {
  const std::string head = Lower(bytes.substr(0, 65536));
  const std::size_t first = head.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
  return first != std::string::npos && head[first] == '<' &&
         head.find("<table") != std::string::npos;
}

ReadResult ReadHtml(std::string_view bytes, const ReadLimits& limits) {
  ReadResult result;
  result.sheet_names = {std::string()};
  if (limits.sheet && *limits.sheet != 0) {
    result.error = NoSuchSheet(*limits.sheet, 1);
    return result;
  }
  const std::string text = PageText(bytes);
  const std::string lower = Lower(text);
  if (lower.find("<table") == std::string::npos) {
    result.error = "网页中没有表格"_gb;
    return result;
  }
  // Tags are walked from the start, so a table inside a comment or a script
  // is not taken for the first one.
  std::size_t at = 0;
  SheetBuilder sheet(limits);
  int depth = 0;                 // tables open, the first one counted
  std::size_t row = 0, col = 0;  // the next cell's place
  bool in_row = false, in_cell = false;
  std::size_t span = 1, row_span = 1;
  std::string cell;  // the raw text of the open cell
  // Per column, the count of rows after the current one that a cell with a
  // rowspan above still covers, and whether the current row's is covered.
  std::vector<std::size_t> covered;
  std::vector<bool> blocked;
  auto start_row = [&] {
    in_row = true;
    col = 0;
    blocked.assign(covered.size(), false);
    for (std::size_t c = 0; c < covered.size(); ++c) {
      blocked[c] = covered[c] > 0;
      if (covered[c] > 0) --covered[c];
    }
  };
  auto end_cell = [&] {
    if (!in_cell) return true;
    in_cell = false;
    if (!sheet.Put(row, col, CellText(cell))) return false;
    // Columns past those kept are not followed: their cells are dropped.
    const std::size_t last = std::min(col + span, limits.max_columns);
    if (row_span > 1 && covered.size() < last) covered.resize(last, 0);
    for (std::size_t c = col; row_span > 1 && c < last; ++c) {
      covered[c] = std::max(covered[c], row_span - 1);
    }
    col += span;
    cell.clear();
    return true;
  };
  auto span_of = [](const std::string& tag, std::string_view name, std::size_t most) {
    const std::string value = AttributeOf(tag, name);
    return std::clamp<std::size_t>(value.empty() ? 1 : std::stoul(value.substr(0, 5)), 1, most);
  };
  while (at < text.size()) {
    const std::size_t lt = text.find('<', at);
    if (in_cell && depth == 1) cell.append(text, at, std::min(lt, text.size()) - at);
    if (lt == std::string::npos) break;
    if (lower.compare(lt, 4, "<!--") == 0) {
      const std::size_t end = lower.find("-->", lt + 4);
      at = end == std::string::npos ? text.size() : end + 3;
      continue;
    }
    const std::size_t gt = text.find('>', lt);
    if (gt == std::string::npos) break;
    const std::string tag = lower.substr(lt + 1, gt - lt - 1);
    std::size_t name_end = 0;
    while (name_end < tag.size() && (std::isalnum(static_cast<unsigned char>(tag[name_end])) ||
                                     (name_end == 0 && tag[0] == '/'))) {
      ++name_end;
    }
    const std::string name = tag.substr(0, name_end);
    at = gt + 1;
    if (name == "script" || name == "style") {  // their text is no cell text
      const std::size_t end = lower.find("</" + name, at);
      at = end == std::string::npos ? text.size() : end;
      continue;
    }
    if (name == "table") {
      ++depth;
    } else if (name == "/table") {
      if (depth > 0 && --depth == 0) break;
    } else if (depth != 1) {
      // A table inside a cell: its text belongs to that cell.
      if (in_cell && (name == "td" || name == "th" || name == "/tr")) cell.push_back(' ');
    } else if (name == "tr" || name == "/tr") {
      if (!end_cell()) break;
      if (in_row) ++row;
      in_row = false;
      if (name == "tr") start_row();
    } else if (name == "td" || name == "th") {
      if (!end_cell()) break;
      if (!in_row) start_row();
      while (col < blocked.size() && blocked[col]) ++col;
      in_cell = true;
      span = span_of(tag, "colspan", 1000);
      row_span = span_of(tag, "rowspan", 65535);
    } else if (name == "/td" || name == "/th") {
      if (!end_cell()) break;
    } else if (name == "br" || name == "p" || name == "/p" || name == "div") {
      if (in_cell) cell.push_back(' ');
    }
  }
  if (sheet.Error().empty()) end_cell();
  if (!sheet.Error().empty()) {
    result.error = sheet.Error();
    return result;
  }
  result.sheet = std::move(sheet.sheet());
  return result;
}

}  // namespace tessaly::workbook
