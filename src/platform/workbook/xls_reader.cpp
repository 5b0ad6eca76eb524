// .xls: a compound document whose "Workbook" (Excel 97 and later) or "Book"
// (Excel 5.0 and 95) stream holds BIFF records. The workbook globals come
// first (code page, date system, number formats, cell formats, the
// shared-string table, the list of sheets and the active tab); each sheet
// follows as its own BOF ... EOF block, in which charts and other embedded
// objects are nested blocks of their own. The records are checked first
// (xls_check.cpp), so reading them here never meets a record that runs past
// the stream or a string that runs past its record.

#include <cstring>
#include <fstream>
#include <iterator>
#include <unordered_map>

#include "model/number_format.h"
#include "platform/encoding.h"
#include "platform/workbook/biff.h"
#include "platform/workbook/cell_text.h"
#include "platform/workbook/workbook_reader.h"

namespace tessaly::workbook {
namespace {

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string WorkbookStream(std::string_view file_bytes) {
  CompoundFile cf(file_bytes);
  const auto name = biff::WorkbookStreamName(cf);
  return name ? biff::PlainStream(cf.Stream(*name)).value_or(std::string()) : std::string();
}

std::string ErrorText(unsigned code) {
  switch (code) {
    case 0x00:
      return "#NULL!";
    case 0x07:
      return "#DIV/0!";
    case 0x0F:
      return "#VALUE!";
    case 0x17:
      return "#REF!";
    case 0x1D:
      return "#NAME?";
    case 0x24:
      return "#NUM!";
    default:
      return "#N/A";
  }
}

// A number of an RK record: a 30-bit integer or the upper 30 bits of a
// double, either of them possibly scaled by 100.
double RkValue(std::uint32_t rk) {
  double value;
  if (rk & 0x02) {
    value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
  } else {
    const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
    std::memcpy(&value, &bits, sizeof value);
  }
  return rk & 0x01 ? value / 100 : value;
}

double DoubleAt(std::string_view data, std::size_t at) {
  double value = 0;
  if (at + 8 <= data.size()) std::memcpy(&value, data.data() + at, sizeof value);
  return value;
}

struct SheetEntry {
  std::string name;
  std::size_t offset = 0;
  bool worksheet = true;  // a worksheet (or dialog); not a chart, macro or module sheet
};

// What the workbook globals say.
struct Globals {
  bool biff8 = true;
  unsigned code_page = 1252;
  bool date1904 = false;
  std::vector<DateKind> xf_kinds;  // per cell format
  std::vector<std::string> shared;
  std::vector<SheetEntry> sheets;
  std::size_t active = 0;
};

Globals ReadGlobals(std::string_view book) {
  Globals g;
  g.biff8 = biff::Version(book) == 8;
  std::unordered_map<std::size_t, DateKind> custom;
  std::vector<std::size_t> xf_formats;
  std::vector<std::string_view> sst;
  bool in_sst = false;
  bool window_seen = false;
  biff::ForEachRecord(book, 0, [&](std::uint32_t type, std::string_view data, std::size_t) {
    if (type == biff::kSst) {
      sst.push_back(data);
      in_sst = true;
      return true;
    }
    if (type == biff::kContinue && in_sst) {
      sst.push_back(data);
      return true;
    }
    in_sst = false;
    switch (type) {
      case 0x0042:  // CODEPAGE
        g.code_page = U16(data, 0);
        break;
      case 0x0022:  // DATEMODE
        g.date1904 = U16(data, 0) == 1;
        break;
      case 0x041E:  // FORMAT: number, code
      case 0x001E:
        custom[U16(data, 0)] =
            KindOfFormatCode(biff::RecordString(data, 2, g.biff8 ? 2 : 1, g.biff8, g.code_page));
        break;
      case 0x00E0:  // XF: font, number format, ...
        xf_formats.push_back(U16(data, 2));
        break;
      case 0x003D:  // WINDOW1: the active tab at byte 10
        if (!window_seen && data.size() >= 12) g.active = U16(data, 10);
        window_seen = true;
        break;
      case biff::kBoundSheet:  // offset, visibility, kind, name
        g.sheets.push_back({biff::RecordString(data, 6, 1, g.biff8, g.code_page), U32(data, 0),
                            data.size() > 5 && (data[5] == 0 || data[5] == 0x08)});
        break;
      default:
        break;
    }
    return type != biff::kEof;
  });
  for (std::size_t f : xf_formats) {
    auto it = custom.find(f);
    g.xf_kinds.push_back(it != custom.end() ? it->second : KindOfBuiltInFormat(f));
  }
  if (!sst.empty()) biff::ReadSharedStrings(sst, &g.shared);
  return g;
}

// Calls put(row, column, text, formula) for every cell of the sheet that
// begins at `offset`, row and column from 0, until put returns false.
// Records of embedded charts and objects (nested BOF ... EOF blocks) are
// skipped.
template <typename Put>
void ForEachCell(std::string_view book, const Globals& g, std::size_t offset, Put&& put) {
  int depth = 0;
  bool go_on = true;
  std::uint32_t pending_row = 0, pending_col = 0;
  bool pending = false;  // a formula whose text value follows in a STRING record
  auto number = [&](double value, std::uint32_t xf) {
    const DateKind kind = xf < g.xf_kinds.size() ? g.xf_kinds[xf] : DateKind::kNone;
    if (kind != DateKind::kNone) {
      std::string date = DateText(value, kind, g.date1904);
      if (!date.empty()) return date;
    }
    return model::FormatNumber(value);
  };
  biff::ForEachRecord(book, offset, [&](std::uint32_t type, std::string_view data, std::size_t) {
    if (biff::IsBof(type)) {
      ++depth;
      return true;
    }
    if (type == biff::kEof) return --depth > 0;
    if (depth != 1) return true;
    const std::uint32_t row = U16(data, 0), col = U16(data, 2), xf = U16(data, 4);
    switch (type) {
      case 0x0203:  // NUMBER
        go_on = put(row, col, number(DoubleAt(data, 6), xf), false);
        break;
      case 0x027E:  // RK
        go_on = put(row, col, number(RkValue(U32(data, 6)), xf), false);
        break;
      case 0x00BD:  // MULRK: format and value per column, then the last column
        for (std::size_t at = 4, c = col; go_on && at + 6 + 2 <= data.size(); at += 6, ++c) {
          go_on = put(row, c, number(RkValue(U32(data, at + 2)), U16(data, at)), false);
        }
        break;
      case 0x00FD:  // LABELSST
        if (const std::size_t i = U32(data, 6); i < g.shared.size()) {
          go_on = put(row, col, g.shared[i], false);
        }
        break;
      case 0x0204:  // LABEL
      case 0x00D6:  // RSTRING
        go_on = put(row, col, biff::RecordString(data, 6, 2, g.biff8, g.code_page), false);
        break;
      case 0x0205:  // BOOLERR: value, then 1 for an error
        if (data.size() >= 8) {
          const unsigned value = static_cast<unsigned char>(data[6]);
          go_on = put(row, col, data[7] ? ErrorText(value) : value ? "TRUE" : "FALSE", false);
        }
        break;
      case 0x0006: {  // FORMULA: its saved value at byte 6
        pending = false;
        if (data.size() < 14) break;
        if (U16(data, 12) != 0xFFFF) {
          go_on = put(row, col, number(DoubleAt(data, 6), xf), true);
          break;
        }
        const unsigned kind = static_cast<unsigned char>(data[6]);
        const unsigned value = static_cast<unsigned char>(data[8]);
        if (kind == 0) {  // text: the STRING record that follows holds it
          pending = true;
          pending_row = row;
          pending_col = col;
        } else if (kind == 1) {
          go_on = put(row, col, value ? "TRUE" : "FALSE", true);
        } else if (kind == 2) {
          go_on = put(row, col, ErrorText(value), true);
        }
        break;
      }
      case 0x0207:  // STRING: the text of the formula before it
        if (pending) {
          go_on = put(pending_row, pending_col,
                      biff::RecordString(data, 0, 2, g.biff8, g.code_page), true);
        }
        pending = false;
        break;
      default:
        break;
    }
    return go_on;
  });
}

}  // namespace

std::size_t XlsActiveSheet(std::string_view file_bytes) {
  return ReadGlobals(WorkbookStream(file_bytes)).active;
}

std::vector<FormulaCell> XlsFormulaCells(std::string_view file_bytes, std::size_t sheet) {
  const std::string book = WorkbookStream(file_bytes);
  const Globals g = ReadGlobals(book);
  std::vector<FormulaCell> cells;
  if (sheet < g.sheets.size()) {
    ForEachCell(book, g, g.sheets[sheet].offset,
                [&](std::size_t row, std::size_t col, std::string_view text, bool formula) {
                  if (formula) cells.push_back({row + 1, col + 1, std::string(text)});
                  return true;
                });
  }
  return cells;
}

ReadResult ReadXlsBytes(std::string_view file_bytes, const ReadLimits& limits) {
  ReadResult result;
  if (auto refusal = biff::Refusal(file_bytes)) {
    result.error = *refusal;
    return result;
  }
  const std::string book = WorkbookStream(file_bytes);
  const Globals g = ReadGlobals(book);
  if (g.sheets.empty()) {
    result.error = "工作簿中没有工作表"_gb;
    return result;
  }
  for (const SheetEntry& s : g.sheets) result.sheet_names.push_back(s.name);
  result.active_sheet = g.active < g.sheets.size() ? g.active : 0;
  // The saved active tab, unless it is a chart sheet or another sheet
  // without cells: then the first worksheet.
  std::size_t index = result.active_sheet;
  if (!g.sheets[index].worksheet) {
    for (std::size_t i = 0; i < g.sheets.size(); ++i) {
      if (g.sheets[i].worksheet) {
        index = i;
        break;
      }
    }
  }
  if (limits.sheet) {
    if (*limits.sheet >= g.sheets.size()) {
      result.error = NoSuchSheet(*limits.sheet, g.sheets.size());
      return result;
    }
    index = *limits.sheet;
  }
  result.read_sheet = index;
  SheetBuilder sheet(limits);
  sheet.sheet().name = g.sheets[index].name;
  ForEachCell(book, g, g.sheets[index].offset,
              [&](std::size_t row, std::size_t col, std::string_view text, bool) {
                return sheet.Put(row, col, text);
              });
  if (!sheet.Error().empty()) {
    result.error = sheet.Error();
    return result;
  }
  result.sheet = std::move(sheet.sheet());
  return result;
}

ReadResult ReadXls(const std::string& path, const ReadLimits& limits) {
  return ReadXlsBytes(ReadFileBytes(path), limits);
}

}  // namespace tessaly::workbook
