// .xlsx: a zip archive of XML parts. The workbook part lists the sheets and
// the saved active tab; its relationships name the sheet parts; cells refer
// to shared strings by index or carry their value inline.

#include <zip.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <pugixml.hpp>
#include <unordered_map>

#include "model/number_format.h"
#include "platform/encoding.h"
#include "platform/workbook/cell_text.h"
#include "platform/workbook/workbook_reader.h"

namespace tessaly::workbook {
namespace {

struct ZipCloser {
  void operator()(zip_t* z) const { zip_discard(z); }
};
using ZipPtr = std::unique_ptr<zip_t, ZipCloser>;

// The archive and a budget of bytes that may still be unpacked.
struct Archive {
  ZipPtr zip;
  std::uint64_t budget = 0;
};

// Unpacks one part; no value when it is missing. Sets `error` when it is
// damaged or would exceed the budget (the sizes in the archive's directory
// are not trusted: reading stops at the budget).
std::optional<std::string> ReadPart(Archive& ar, const std::string& name, std::string& error) {
  zip_int64_t index = zip_name_locate(ar.zip.get(), name.c_str(), 0);
  if (index < 0) index = zip_name_locate(ar.zip.get(), name.c_str(), ZIP_FL_NOCASE);
  if (index < 0) {
    // Some writers store the parts' paths with Windows separators.
    std::string windows = name;
    std::replace(windows.begin(), windows.end(), '/', '\\');
    index = zip_name_locate(ar.zip.get(), windows.c_str(), ZIP_FL_NOCASE);
  }
  if (index < 0) return std::nullopt;
  zip_file_t* f = zip_fopen_index(ar.zip.get(), static_cast<zip_uint64_t>(index), 0);
  if (!f) {
    error = "文件已损坏（"_gb + name + "）"_gb;
    return std::nullopt;
  }
  std::string data;
  zip_stat_t st;
  if (zip_stat_index(ar.zip.get(), static_cast<zip_uint64_t>(index), 0, &st) == 0 &&
      (st.valid & ZIP_STAT_SIZE) && st.size <= ar.budget) {
    data.reserve(static_cast<std::size_t>(st.size));
  }
  char buf[65536];
  while (true) {
    zip_int64_t n = zip_fread(f, buf, sizeof buf);
    if (n < 0) {
      zip_fclose(f);
      error = "文件已损坏（"_gb + name + "）"_gb;
      return std::nullopt;
    }
    if (n == 0) break;
    if (static_cast<std::uint64_t>(n) > ar.budget) {
      zip_fclose(f);
      error = "文件解压后过大，无法读取"_gb;
      return std::nullopt;
    }
    ar.budget -= static_cast<std::uint64_t>(n);
    data.append(buf, static_cast<std::size_t>(n));
  }
  zip_fclose(f);
  return data;
}

// Element and attribute names without their namespace prefix.
std::string_view Local(const char* name) {
  std::string_view n(name);
  std::size_t colon = n.rfind(':');
  return colon == std::string_view::npos ? n : n.substr(colon + 1);
}

pugi::xml_node Child(pugi::xml_node node, std::string_view local) {
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
    if (c.type() == pugi::node_element && Local(c.name()) == local) return c;
  }
  return {};
}

pugi::xml_attribute Attr(pugi::xml_node node, std::string_view local) {
  for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
    if (Local(a.name()) == local) return a;
  }
  return {};
}

// Parses a part in place; false when it is not well-formed XML or has more
// tags than the limit allows.
enum class Parsed { kOk, kTooLarge, kBroken };

Parsed Parse(pugi::xml_document& doc, std::string& data, const ReadLimits& limits) {
  std::size_t tags = 0;
  for (const char* p = data.data();
       (p = static_cast<const char*>(std::memchr(p, '<', data.data() + data.size() - p))) !=
       nullptr;
       ++p) {
    if (++tags > limits.max_xml_tags) return Parsed::kTooLarge;
  }
  unsigned options = pugi::parse_default | pugi::parse_ws_pcdata_single;
  return doc.load_buffer_inplace(data.data(), data.size(), options, pugi::encoding_auto)
             ? Parsed::kOk
             : Parsed::kBroken;
}

// The error of a part that could not be parsed: too large for the bound on
// its tags, or not well-formed XML.
std::string ParseError(Parsed parsed, const std::string& part, const ReadLimits& limits) {
  if (parsed == Parsed::kTooLarge) {
    return "Excel文件的"_gb + part + "过大（超过 "_gb + std::to_string(limits.max_xml_tags) +
           " 个标签），无法读入"_gb;
  }
  return "不是有效的Excel文件（"_gb + part + "无法解析）"_gb;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The UTF-16 unit of an escape "_xHHHH_" at `at`, or -1 when there is none.
long EscapeAt(std::string_view text, std::size_t at) {
  if (at + 7 > text.size() || text[at] != '_' || text[at + 1] != 'x' || text[at + 6] != '_') {
    return -1;
  }
  long unit = 0;
  for (std::size_t i = at + 2; i < at + 6; ++i) {
    int d = HexDigit(text[i]);
    if (d < 0) return -1;
    unit = unit * 16 + d;
  }
  return unit;
}

// Spreadsheets write characters that XML cannot carry (carriage returns,
// control characters) as "_xHHHH_", the UTF-16 unit in hex, and a literal
// "_x" that would read as such an escape as "_x005F_x". The cell's value is
// the text with these escapes decoded; an unpaired surrogate stays as
// written.
std::string DecodeEscapes(std::string_view text) {
  if (text.find("_x") == std::string_view::npos) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    long unit = EscapeAt(text, i);
    if (unit < 0) {
      out.push_back(text[i++]);
      continue;
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      long low = EscapeAt(text, i + 7);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        enc::AppendUtf8(out, 0x10000 + ((static_cast<std::uint32_t>(unit) - 0xD800) << 10) +
                                 (static_cast<std::uint32_t>(low) - 0xDC00));
        i += 14;
        continue;
      }
    }
    if (unit >= 0xD800 && unit <= 0xDFFF) {
      out.append(text.substr(i, 7));
    } else {
      enc::AppendUtf8(out, static_cast<std::uint32_t>(unit));
    }
    i += 7;
  }
  return out;
}

// The text of a string item (<si> or <is>): its own <t>, or the <t> of every
// rich-text run in order; phonetic runs (<rPh>) are not part of the value.
std::string ItemText(pugi::xml_node item) {
  std::string text;
  for (pugi::xml_node c = item.first_child(); c; c = c.next_sibling()) {
    std::string_view n = Local(c.name());
    if (n == "t") {
      text += c.child_value();
    } else if (n == "r") {
      if (pugi::xml_node t = Child(c, "t")) text += t.child_value();
    }
  }
  return DecodeEscapes(text);
}

// Resolves a relationship target against the folder of the part it belongs
// to ("xl/" for the usual workbook part, "" for the package).
std::string PartPath(std::string_view target, std::string folder) {
  if (!target.empty() && target[0] == '/') return std::string(target.substr(1));
  while (target.substr(0, 3) == "../") {
    target.remove_prefix(3);
    const std::size_t slash =
        folder.empty() ? std::string::npos : folder.rfind('/', folder.size() - 2);
    folder = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
  }
  while (target.substr(0, 2) == "./") target.remove_prefix(2);
  return folder + std::string(target);
}

// The workbook part the package names as its main document; the usual
// "xl/workbook.xml" when it names none.
std::string MainPart(Archive& ar, const ReadLimits& limits) {
  std::string error;
  if (auto rels_xml = ReadPart(ar, "_rels/.rels", error)) {
    pugi::xml_document rels;
    if (Parse(rels, *rels_xml, limits) == Parsed::kOk) {
      for (pugi::xml_node r = rels.document_element().first_child(); r; r = r.next_sibling()) {
        const std::string_view type = Attr(r, "Type").value();
        if (type.size() >= 15 && type.substr(type.size() - 15) == "/officeDocument") {
          return PartPath(Attr(r, "Target").value(), "");
        }
      }
    }
  }
  return "xl/workbook.xml";
}

// Why a zip archive without a workbook part cannot be read: the formats
// that come as zip archives too.
std::string NoWorkbookReason(Archive& ar, const std::string& main_part) {
  const std::string save_as = "，不能读取；请在Excel或WPS中打开，另存为.xlsx文件后再导入"_gb;
  if (main_part.size() > 4 && main_part.compare(main_part.size() - 4, 4, ".bin") == 0) {
    return "这是Excel二进制工作簿（.xlsb）"_gb + save_as;
  }
  std::string error;
  const auto mimetype = ReadPart(ar, "mimetype", error);
  if (mimetype && mimetype->find("opendocument.spreadsheet") != std::string::npos) {
    return "这是OpenDocument电子表格（.ods）"_gb + save_as;
  }
  if (zip_name_locate(ar.zip.get(), "word/document.xml", ZIP_FL_NOCASE) >= 0) {
    return "这是Word文档，不是Excel工作簿"_gb;
  }
  return "不是有效的Excel文件（缺少工作簿）"_gb;
}

// "BC12" -> column 55, row 12 (both from 1; 0 when absent).
void ParseRef(std::string_view ref, std::size_t& col, std::size_t& row) {
  col = 0;
  row = 0;
  std::size_t i = 0;
  while (i < ref.size() && ((ref[i] >= 'A' && ref[i] <= 'Z') || (ref[i] >= 'a' && ref[i] <= 'z'))) {
    if (col < 100000) col = col * 26 + static_cast<std::size_t>((ref[i] | 0x20) - 'a' + 1);
    ++i;
  }
  for (; i < ref.size() && ref[i] >= '0' && ref[i] <= '9'; ++i) {
    if (row < 100000000) row = row * 10 + static_cast<std::size_t>(ref[i] - '0');
  }
}

std::size_t ParseIndex(std::string_view text) {
  std::size_t v = 0;
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  return ec == std::errc() ? v : static_cast<std::size_t>(-1);
}

// True when the stored text already is the general form of its value: a
// plain decimal of at most 15 digits that starts with 1..9 and has no
// trailing zero after its point (90, 87.5, 2023010101). Most cells are such
// numbers; converting them back and forth would give the same text.
bool IsGeneralForm(std::string_view v) {
  if (v.empty() || v.size() > 16 || v[0] < '1' || v[0] > '9') return false;
  std::size_t digits = 0;
  bool point = false;
  for (char c : v) {
    if (c >= '0' && c <= '9') {
      ++digits;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  if (point && (v.back() == '0' || v.back() == '.')) return false;
  return digits <= 15;
}

// The text a spreadsheet shows for a number cell's stored value.
std::string NumberText(std::string_view v) {
  if (IsGeneralForm(v)) return std::string(v);
  std::optional<double> value = model::ParseDecimal(v);
  return value ? model::FormatNumber(*value) : enc::FromUtf8(v);
}

// The date kind of every cell style (the index a cell's "s" names).
std::vector<DateKind> StyleKinds(pugi::xml_node root) {
  std::unordered_map<std::size_t, DateKind> custom;
  for (pugi::xml_node f = Child(Child(root, "numFmts"), "numFmt"); f; f = f.next_sibling()) {
    if (f.type() != pugi::node_element || Local(f.name()) != "numFmt") continue;
    custom[ParseIndex(Attr(f, "numFmtId").value())] =
        KindOfFormatCode(Attr(f, "formatCode").value());
  }
  std::vector<DateKind> kinds;
  for (pugi::xml_node xf = Child(Child(root, "cellXfs"), "xf"); xf; xf = xf.next_sibling()) {
    if (xf.type() != pugi::node_element || Local(xf.name()) != "xf") continue;
    std::size_t id = ParseIndex(Attr(xf, "numFmtId").value());
    auto it = custom.find(id);
    kinds.push_back(it != custom.end() ? it->second : KindOfBuiltInFormat(id));
  }
  return kinds;
}

}  // namespace

ReadResult ReadXlsx(std::string_view bytes, const ReadLimits& limits) {
  ReadResult result;
  zip_error_t zerr;
  zip_error_init(&zerr);
  zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &zerr);
  if (!src) {
    zip_error_fini(&zerr);
    result.error = "不是有效的Excel文件"_gb;
    return result;
  }
  Archive ar;
  ar.zip.reset(zip_open_from_source(src, ZIP_RDONLY, &zerr));
  zip_error_fini(&zerr);
  if (!ar.zip) {
    zip_source_free(src);
    result.error = "不是有效的Excel文件"_gb;
    return result;
  }
  ar.budget = limits.max_unpacked_bytes;

  std::string error;
  std::string main_part = MainPart(ar, limits);
  if (main_part.size() > 4 && main_part.compare(main_part.size() - 4, 4, ".bin") == 0) {
    result.error = NoWorkbookReason(ar, main_part);
    return result;
  }
  std::optional<std::string> workbook_xml = ReadPart(ar, main_part, error);
  if (!workbook_xml && error.empty() && main_part != "xl/workbook.xml") {
    workbook_xml = ReadPart(ar, "xl/workbook.xml", error);
    if (workbook_xml) main_part = "xl/workbook.xml";
  }
  if (!workbook_xml) {
    result.error = error.empty() ? NoWorkbookReason(ar, main_part) : error;
    return result;
  }
  // The folder of the workbook part, against which its relationships and
  // their targets are read.
  const std::string folder = main_part.substr(0, main_part.rfind('/') + 1);
  const std::string file = main_part.substr(folder.size());
  pugi::xml_document wb;
  if (Parsed p = Parse(wb, *workbook_xml, limits); p != Parsed::kOk) {
    result.error = ParseError(p, "工作簿"_gb, limits);
    return result;
  }
  pugi::xml_node wb_root = wb.document_element();
  std::vector<std::pair<std::string, std::string>> sheets;  // name, relationship id
  for (pugi::xml_node s = Child(Child(wb_root, "sheets"), "sheet"); s; s = s.next_sibling()) {
    if (s.type() != pugi::node_element || Local(s.name()) != "sheet") continue;
    sheets.emplace_back(Attr(s, "name").value(), Attr(s, "id").value());
  }
  if (sheets.empty()) {
    result.error = "工作簿中没有工作表"_gb;
    return result;
  }
  std::string_view date1904_attr = Attr(Child(wb_root, "workbookPr"), "date1904").value();
  const bool date1904 = date1904_attr == "1" || date1904_attr == "true";
  std::size_t active = 0;
  if (pugi::xml_node view = Child(Child(wb_root, "bookViews"), "workbookView")) {
    active = ParseIndex(Attr(view, "activeTab").value());
    if (active >= sheets.size()) active = 0;
  }
  for (const auto& s : sheets) result.sheet_names.push_back(enc::FromUtf8(s.first));
  result.active_sheet = active;
  if (limits.sheet) {
    if (*limits.sheet >= sheets.size()) {
      result.error = NoSuchSheet(*limits.sheet, sheets.size());
      return result;
    }
    active = *limits.sheet;
  }
  result.read_sheet = active;

  // Relationships: id -> part, and the shared strings part.
  std::unordered_map<std::string, std::string> targets;
  std::string shared_path = "xl/sharedStrings.xml";
  std::string styles_path = "xl/styles.xml";
  if (auto rels_xml = ReadPart(ar, folder + "_rels/" + file + ".rels", error)) {
    pugi::xml_document rels;
    if (Parse(rels, *rels_xml, limits) == Parsed::kOk) {
      for (pugi::xml_node r = rels.document_element().first_child(); r; r = r.next_sibling()) {
        std::string_view type = Attr(r, "Type").value();
        std::string target = PartPath(Attr(r, "Target").value(), folder);
        if (type.size() >= 14 && type.substr(type.size() - 14) == "/sharedStrings") {
          shared_path = target;
        }
        if (type.size() >= 7 && type.substr(type.size() - 7) == "/styles") styles_path = target;
        targets[Attr(r, "Id").value()] = target;
      }
    }
  }
  if (!error.empty()) {
    result.error = error;
    return result;
  }
  std::string sheet_path;
  if (auto it = targets.find(sheets[active].second); it != targets.end()) {
    sheet_path = it->second;
  } else {
    sheet_path = "xl/worksheets/sheet" + std::to_string(active + 1) + ".xml";
  }

  std::vector<std::string> shared;
  if (auto sst_xml = ReadPart(ar, shared_path, error)) {
    pugi::xml_document sst;
    if (Parsed p = Parse(sst, *sst_xml, limits); p != Parsed::kOk) {
      result.error = ParseError(p, "共享字符串"_gb, limits);
      return result;
    }
    for (pugi::xml_node si = sst.document_element().first_child(); si; si = si.next_sibling()) {
      if (si.type() == pugi::node_element && Local(si.name()) == "si") {
        shared.push_back(enc::FromUtf8(ItemText(si)));
      }
    }
  }
  if (!error.empty()) {
    result.error = error;
    return result;
  }

  std::vector<DateKind> style_kinds;
  if (auto styles_xml = ReadPart(ar, styles_path, error)) {
    pugi::xml_document styles;
    if (Parse(styles, *styles_xml, limits) == Parsed::kOk)
      style_kinds = StyleKinds(styles.document_element());
  }
  if (!error.empty()) {
    result.error = error;
    return result;
  }

  std::optional<std::string> sheet_xml = ReadPart(ar, sheet_path, error);
  if (!sheet_xml) {
    result.error = error.empty() ? "不是有效的Excel文件（缺少工作表）"_gb : error;
    return result;
  }
  pugi::xml_document ws;
  if (Parsed p = Parse(ws, *sheet_xml, limits); p != Parsed::kOk) {
    result.error = ParseError(p, "工作表"_gb, limits);
    return result;
  }

  SheetBuilder sheet(limits);
  sheet.sheet().name = result.sheet_names[active];
  std::size_t row_no = 0;
  for (pugi::xml_node row = Child(Child(ws.document_element(), "sheetData"), "row"); row;
       row = row.next_sibling()) {
    if (row.type() != pugi::node_element || Local(row.name()) != "row") continue;
    pugi::xml_attribute r_attr = Attr(row, "r");
    std::size_t r = r_attr ? ParseIndex(r_attr.value()) : row_no + 1;
    if (r == 0 || r == static_cast<std::size_t>(-1)) r = row_no + 1;
    row_no = r;

    std::size_t col_no = 0;
    for (pugi::xml_node c = row.first_child(); c; c = c.next_sibling()) {
      if (c.type() != pugi::node_element || Local(c.name()) != "c") continue;
      std::size_t col = 0, ref_row = 0;
      ParseRef(Attr(c, "r").value(), col, ref_row);
      if (col == 0) col = col_no + 1;
      col_no = col;
      if (col > limits.max_columns) continue;

      std::string_view type = Attr(c, "t").value();
      pugi::xml_node v = Child(c, "v");
      std::string text;
      if (type == "s") {
        // A shared string is copied only into a sheet it fits in: one long
        // string named by many cells must not fill memory before the bound
        // on the cells' text refuses it.
        const std::size_t i = ParseIndex(v.child_value());
        if (i < shared.size() && !sheet.Put(r - 1, col - 1, shared[i])) {
          result.error = sheet.Error();
          return result;
        }
        continue;
      } else if (type == "inlineStr") {
        text = enc::FromUtf8(ItemText(Child(c, "is")));
      } else if (type == "b") {
        if (v) text = std::string_view(v.child_value()) == "1" ? "TRUE" : "FALSE";
      } else if (type == "str") {
        text = enc::FromUtf8(DecodeEscapes(v.child_value()));
      } else if (type == "e" || type == "d") {
        text = enc::FromUtf8(v.child_value());
      } else if (v) {
        std::size_t style = ParseIndex(Attr(c, "s").value());
        DateKind kind = style < style_kinds.size() ? style_kinds[style] : DateKind::kNone;
        if (kind != DateKind::kNone) {
          if (auto value = model::ParseDecimal(v.child_value())) {
            text = DateText(*value, kind, date1904);
          }
        }
        if (text.empty()) text = NumberText(v.child_value());
      }
      if (!sheet.Put(r - 1, col - 1, text)) {
        result.error = sheet.Error();
        return result;
      }
    }
  }
  result.sheet = std::move(sheet.sheet());
  return result;
}

}  // namespace tessaly::workbook
