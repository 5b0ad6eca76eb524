// .xls: a compound document whose "Workbook" stream holds BIFF records.
// FreeXL reads the cells; the saved active tab (itabCur of the workbook
// window record) is read here, since FreeXL does not report it.

#include <freexl.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <unordered_set>

#include "model/number_format.h"
#include "platform/encoding.h"
#include "platform/workbook/compound_file.h"
#include "platform/workbook/workbook_reader.h"

namespace tessaly::workbook {
namespace {

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string WorkbookStream(std::string_view file_bytes) {
  CompoundFile cf(file_bytes);
  std::string book = cf.Stream("Workbook");
  if (book.empty()) book = cf.Stream("Book");
  return book;
}

// Calls f(type, data) for the records from `at` up to and including the
// next EOF record.
template <typename F>
void ForEachRecord(std::string_view stream, std::size_t at, F&& f) {
  while (at + 4 <= stream.size()) {
    std::uint32_t type = U16(stream, at);
    std::uint32_t len = U16(stream, at + 2);
    std::string_view data =
        stream.substr(at + 4, std::min<std::size_t>(len, stream.size() - at - 4));
    if (!f(type, data) || type == 0x000A) return;
    at += 4 + len;
  }
}

// The characters of a string that starts `at` in `data` (`count`
// characters, one or two bytes each) when they fit.
bool Fits(std::size_t data_size, std::size_t at, std::size_t count, bool wide) {
  return at <= data_size && count * (wide ? 2 : 1) <= data_size - at;
}

// The shared-string table (SST with its CONTINUE records) read string by
// string: the characters of a string may go on in the next CONTINUE record,
// which then starts with a new option byte; formatting runs and phonetic
// data may go on as they are. False when a string runs past the last
// record or bytes remain after the last string.
bool SharedStringsFit(const std::vector<std::string_view>& parts) {
  if (parts.empty() || parts[0].size() < 8) return false;
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
  for (std::size_t i = 0; i < unique; ++i) {
    if (!next_part()) return false;
    std::string_view p = parts[part];
    if (at + 3 > p.size()) return false;  // the string's header is never split
    std::size_t chars = U16(p, at);
    unsigned options = static_cast<unsigned char>(p[at + 2]);
    at += 3;
    std::size_t runs = 0, extra = 0;
    if (options & 0x08) {
      if (at + 2 > p.size()) return false;
      runs = U16(p, at);
      at += 2;
    }
    if (options & 0x04) {
      if (at + 4 > p.size()) return false;
      extra = U32(p, at);
      at += 4;
    }
    bool wide = options & 0x01;
    while (chars > 0) {
      if (at >= parts[part].size()) {
        // The characters go on in the next record, after a new option byte.
        ++part;
        at = 0;
        if (part >= parts.size() || parts[part].empty()) return false;
        wide = parts[part][0] & 0x01;
        at = 1;
      }
      std::size_t room = (parts[part].size() - at) / (wide ? 2 : 1);
      if (room == 0) return false;
      std::size_t take = std::min(chars, room);
      at += take * (wide ? 2 : 1);
      chars -= take;
    }
    if (!skip(4 * runs) || !skip(extra)) return false;
  }
  // The table holds exactly the strings it counts: the cell library reads
  // on to the end of the records, whatever the count says.
  return !next_part();
}

// The fixed part of a cell record (row, column, format and value), 0 for a
// record of another type or of a variable layout checked on its own.
std::size_t CellRecordLength(std::uint32_t type) {
  switch (type) {
    case 0x00FD:  // LABELSST: row, column, format, string index
    case 0x027E:  // RK: row, column, format, value
      return 10;
    case 0x0203:  // NUMBER: row, column, format, 8-byte value
      return 14;
    case 0x0201:  // BLANK: row, column, format
      return 6;
    case 0x0205:  // BOOLERR: row, column, format, value, kind
      return 8;
    case 0x0006:  // FORMULA: row, column, format, value, options, cache
      return 20;
    // The cells of the first file version: row, column, three bytes of
    // attributes, then the value.
    case 0x0001:  // BLANK
      return 7;
    case 0x0002:  // INTEGER
    case 0x0005:  // BOOLERR
      return 9;
    case 0x0003:  // NUMBER
      return 15;
    case 0x0004:  // LABEL: the text's length byte at least
      return 8;
    default:
      return 0;
  }
}

// What is wrong with the records of a workbook stream for the cell library:
// a record running past the stream, a shared string running past its
// records, or a sheet name or a text cell longer than its record.
std::optional<std::string> RecordProblem(std::string_view book) {
  const std::string damaged = "工作簿数据已损坏："_gb;
  std::vector<std::string_view> sst;
  bool in_sst = false;
  std::size_t at = 0;
  bool any = false;
  // Where each record starts, and the sheets the workbook lists (offset,
  // whether a worksheet).
  std::vector<std::size_t> starts;
  std::vector<std::pair<std::size_t, bool>> sheets;
  // Count of cell formats (XF records) and the highest format a cell uses.
  std::size_t formats = 0;
  std::size_t highest_format = 0;
  bool any_cell = false;
  // The cells of the current sheet (row and column), to find a cell written
  // twice: the cell library keeps only the later one and loses the text it
  // made for the earlier.
  std::unordered_set<std::uint32_t> cells;
  bool repeated_cell = false;
  auto place = [&](std::uint32_t row, std::uint32_t col) {
    if (!cells.insert(row << 16 | col).second) repeated_cell = true;
  };
  // BIFF8 (version 0x0600 in the first BOF record) stores texts with an
  // option byte; earlier versions store one byte per character.
  const bool biff8 = U16(book, 0) == 0x0809 && U16(book, 4) == 0x0600;
  while (at + 4 <= book.size()) {
    starts.push_back(at);
    const std::uint32_t type = U16(book, at);
    const std::uint32_t len = U16(book, at + 2);
    if (len > book.size() - at - 4) return damaged + "记录超出数据流的末尾"_gb;
    std::string_view data = book.substr(at + 4, len);
    any = true;
    if (type == 0x00E0 || type == 0x0043 || type == 0x0243 || type == 0x0443) ++formats;  // XF
    auto uses_format = [&](std::size_t at_byte) {
      if (at_byte + 2 <= len) {
        highest_format = std::max<std::size_t>(highest_format, U16(data, at_byte));
        any_cell = true;
      }
    };
    switch (type) {
      case 0x0204:
      case 0x00FD:
      case 0x0203:
      case 0x027E:
      case 0x0201:
      case 0x0205:
      case 0x0006:
      case 0x00D6:
        uses_format(4);  // LABEL, LABELSST, NUMBER, RK, BLANK, BOOLERR, FORMULA, RSTRING
        if (len >= 4) place(U16(data, 0), U16(data, 2));
        break;
      case 0x00BD:  // MULRK: format and value per column
        for (std::size_t k = 4; k + 6 <= len; k += 6) uses_format(k);
        break;
      case 0x00BE:  // MULBLANK: format per column
        for (std::size_t k = 4; k + 4 <= len; k += 2) uses_format(k);
        break;
      default:
        break;
    }
    if (type == 0x0809) cells.clear();  // BOF: a new sheet begins
    if (repeated_cell) return damaged + "同一个单元格有两条记录"_gb;
    if (type == 0x00FC) {  // SST
      if (!sst.empty()) return damaged + "有两个共享字符串表"_gb;
      sst.push_back(data);
      in_sst = true;
    } else if (type == 0x003C && in_sst) {  // CONTINUE of the SST
      sst.push_back(data);
    } else {
      in_sst = false;
    }
    if (type == 0x0085) {  // BOUNDSHEET: offset, state, type, name
      if (len < 8 || !Fits(len, 8, static_cast<unsigned char>(data[6]), data[7] & 1)) {
        return damaged + "工作表名称超出记录"_gb;
      }
      sheets.emplace_back(U32(data, 0), data[5] == 0);
    } else if (type == 0x0204 || type == 0x00D6) {  // LABEL, RSTRING: row, column, format, text
      const bool fits = biff8 ? len >= 9 && Fits(len, 9, U16(data, 6), data[8] & 1)
                              : len >= 8 && Fits(len, 8, U16(data, 6), false);
      if (!fits) return damaged + "单元格文字超出记录"_gb;
    } else if (type == 0x041E || type == 0x001E) {  // FORMAT: index, format text
      const bool fits = biff8
                            ? len >= 5 && Fits(len, 5, U16(data, 2), data[4] & 1)
                            : len >= 3 && Fits(len, 3, static_cast<unsigned char>(data[2]), false);
      if (!fits) return damaged + "数字格式超出记录"_gb;
    } else if (len < CellRecordLength(type)) {
      // The cell library reads the fixed fields of a cell record even when
      // the record is shorter, from the records after it.
      return damaged + "单元格记录太短"_gb;
    } else if (type == 0x00BD || type == 0x00BE) {  // MULRK, MULBLANK: one entry per column
      const std::size_t entry = type == 0x00BD ? 6 : 2;
      if (len < 6 || (len - 6) % entry != 0 || U16(data, len - 2) < U16(data, 2) ||
          U16(data, len - 2) - U16(data, 2) + 1 != (len - 6) / entry) {
        return damaged + "单元格记录的列数不符"_gb;
      }
      for (std::uint32_t col = U16(data, 2); col <= U16(data, len - 2); ++col) {
        place(U16(data, 0), col);
      }
      if (repeated_cell) return damaged + "同一个单元格有两条记录"_gb;
    }
    at += 4 + len;
  }
  if (!any) return "文件中没有工作簿数据"_gb;
  // A cell whose format is not in the table of formats: the cell library
  // loses the text it made for such a cell.
  if (any_cell && highest_format >= formats) return damaged + "单元格的格式不存在"_gb;
  if (!sst.empty() && !SharedStringsFit(sst)) return damaged + "共享字符串超出记录"_gb;
  // Every listed sheet begins with a BOF record where the workbook says, and
  // a worksheet has one DIMENSION record (the cell library sizes its cell
  // table by it and loses memory on a second one or on a sheet that starts
  // inside another record).
  for (const auto& [offset, worksheet] : sheets) {
    if (!std::binary_search(starts.begin(), starts.end(), offset) ||
        (U16(book, offset) != 0x0809 && U16(book, offset) != 0x0409 &&
         U16(book, offset) != 0x0209 && U16(book, offset) != 0x0009)) {
      return damaged + "工作表的数据不在工作簿所记的位置"_gb;
    }
    // The sheet runs to the EOF record of its own BOF: a chart embedded in
    // it is a BOF ... EOF of its own, and a sheet whose BOF is never closed
    // (another sheet's BOF inside it) made the cell library lose memory.
    int dimensions = 0;
    bool junk = false;
    int depth = 0;
    for (std::size_t at = offset; at + 4 <= book.size() && (depth > 0 || at == offset);
         at += 4 + U16(book, at + 2)) {
      const std::uint32_t type = U16(book, at);
      // Nor may another listed sheet begin inside it.
      for (const auto& other : sheets) {
        if (other.first == at && at != offset) return damaged + "工作表的数据相互重叠"_gb;
      }
      if (type == 0x0809 || type == 0x0409 || type == 0x0209 || type == 0x0009) ++depth;
      if (type == 0x000A) --depth;
      // Record type 0 is the DIMENSION record of the first file version
      // only; in a later one it is no record at all.
      if (depth == 1 && (type == 0x0200 || (type == 0x0000 && !biff8))) ++dimensions;
      if (type == 0x0000 && biff8) junk = true;
    }
    if (junk) return damaged + "工作表中有无效的记录"_gb;
    if (depth > 0) return damaged + "工作表没有结束记录"_gb;
    if (dimensions > 1 || (worksheet && dimensions == 0)) {
      return damaged + "工作表的范围记录不正确"_gb;
    }
  }
  return std::nullopt;
}

// The text of a STRING record (the value of a formula that gives text):
// character count, option byte (bit 0: two bytes per character), characters.
std::string FormulaString(std::string_view data) {
  if (data.size() < 3) return {};
  const std::size_t count = U16(data, 0);
  const bool wide = data[2] & 1;
  std::vector<std::uint32_t> units;
  for (std::size_t i = 0, at = 3; i < count && at + (wide ? 2 : 1) <= data.size(); ++i) {
    units.push_back(wide ? U16(data, at) : static_cast<unsigned char>(data[at]));
    at += wide ? 2 : 1;
  }
  std::string utf8;
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

// From the workbook globals: the active tab (WINDOW1, itabCur at byte 10) and
// where each sheet's records begin (BOUNDSHEET, in tab order).
struct XlsLayout {
  std::size_t active = 0;
  std::vector<std::size_t> sheet_offsets;
};

XlsLayout ReadLayout(std::string_view book) {
  XlsLayout layout;
  bool window_seen = false;
  ForEachRecord(book, 0, [&](std::uint32_t type, std::string_view data) {
    if (type == 0x003D && data.size() >= 12 && !window_seen) {
      layout.active = U16(data, 10);
      window_seen = true;
    }
    if (type == 0x0085 && data.size() >= 4) layout.sheet_offsets.push_back(U32(data, 0));
    return true;
  });
  return layout;
}

// The saved values of the formula cells of one sheet, as put(row, column,
// text) with row and column from 0. FreeXL skips formula records, so they
// are read here.
template <typename Put>
void FormulaValues(std::string_view book, std::size_t offset, Put&& put) {
  std::uint32_t pending_row = 0, pending_col = 0;
  bool pending = false;
  ForEachRecord(book, offset, [&](std::uint32_t type, std::string_view data) {
    if (type == 0x0006 && data.size() >= 14) {  // FORMULA: row, col, xf, value
      pending = false;
      const std::uint32_t row = U16(data, 0), col = U16(data, 2);
      std::string_view value = data.substr(6, 8);
      if (U16(value, 6) == 0xFFFF) {
        const unsigned kind = static_cast<unsigned char>(value[0]);
        if (kind == 0) {  // text: the STRING record that follows holds it
          pending = true;
          pending_row = row;
          pending_col = col;
        } else if (kind == 1) {
          put(row, col, value[2] ? "TRUE" : "FALSE");
        } else if (kind == 2) {
          put(row, col, ErrorText(static_cast<unsigned char>(value[2])));
        }
      } else {
        double d;
        std::memcpy(&d, value.data(), sizeof d);
        put(row, col, model::FormatNumber(d));
      }
    } else if (type == 0x0207 && pending) {  // STRING
      put(pending_row, pending_col, FormulaString(data));
      pending = false;
    }
    return true;
  });
}

}  // namespace

std::size_t XlsActiveSheet(std::string_view file_bytes) {
  return ReadLayout(WorkbookStream(file_bytes)).active;
}

std::vector<FormulaCell> XlsFormulaCells(std::string_view file_bytes, std::size_t sheet) {
  const std::string book = WorkbookStream(file_bytes);
  const XlsLayout layout = ReadLayout(book);
  std::vector<FormulaCell> cells;
  if (sheet < layout.sheet_offsets.size()) {
    FormulaValues(book, layout.sheet_offsets[sheet],
                  [&](std::uint32_t row, std::uint32_t col, std::string text) {
                    cells.push_back({row + 1, col + 1, std::move(text)});
                  });
  }
  return cells;
}

std::optional<std::string> XlsProblem(std::string_view file_bytes) {
  CompoundFile cf(file_bytes);
  const std::string name =
      cf.Stream("Workbook").empty() && !cf.Stream("Book").empty() ? "Book" : "Workbook";
  if (auto problem = cf.Problem(name)) return problem;
  return RecordProblem(cf.Stream(name));
}

ReadResult ReadXls(const std::string& path, const ReadLimits& limits) {
  ReadResult result;
  // The cell library reads past its buffers on some damaged files (a shared
  // string longer than its records) and loses memory on others (a sector
  // chain leaving the file), so the file is checked first.
  const std::string file_bytes = ReadFileBytes(path);
  if (auto problem = XlsProblem(file_bytes)) {
    result.error = "不是有效的Excel文件："_gb + *problem;
    return result;
  }
  const void* handle = nullptr;
  if (freexl_open(path.c_str(), &handle) != FREEXL_OK) {
    if (handle) freexl_close(handle);
    result.error = "不是有效的Excel文件"_gb;
    return result;
  }
  struct Closer {
    const void* h;
    ~Closer() { freexl_close(h); }
  } closer{handle};

  unsigned int sheet_count = 0;
  if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheet_count) != FREEXL_OK ||
      sheet_count == 0) {
    result.error = "工作簿中没有工作表"_gb;
    return result;
  }
  const XlsLayout layout = ReadLayout(WorkbookStream(file_bytes));
  for (unsigned int i = 0; i < sheet_count; ++i) {
    const char* name = nullptr;
    if (freexl_get_worksheet_name(handle, static_cast<unsigned short>(i), &name) != FREEXL_OK ||
        !name) {
      name = "";
    }
    result.sheet_names.push_back(enc::FromUtf8(name));
  }
  std::size_t active = layout.active < sheet_count ? layout.active : 0;
  result.active_sheet = active;
  if (limits.sheet) {
    if (*limits.sheet >= sheet_count) {
      result.error = NoSuchSheet(*limits.sheet, sheet_count);
      return result;
    }
    active = *limits.sheet;
  }
  result.read_sheet = active;
  if (freexl_select_active_worksheet(handle, static_cast<unsigned short>(active)) != FREEXL_OK) {
    result.error = "无法选择工作表"_gb;
    return result;
  }
  Sheet sheet;
  sheet.name = result.sheet_names[active];
  unsigned int rows = 0;
  unsigned short columns = 0;
  if (freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK) {
    result.error = "无法读取工作表"_gb;
    return result;
  }
  if (rows > limits.max_rows) {
    result.error = TooManyRows(limits.max_rows);
    return result;
  }
  const std::size_t max_rows = rows;
  const std::size_t max_cols = std::min<std::size_t>(columns, limits.max_columns);
  sheet.rows.resize(max_rows);
  for (std::size_t r = 0; r < max_rows; ++r) {
    auto& cells = sheet.rows[r];
    for (std::size_t c = 0; c < max_cols; ++c) {
      FreeXL_CellValue v;
      if (freexl_get_cell_value(handle, static_cast<unsigned int>(r),
                                static_cast<unsigned short>(c), &v) != FREEXL_OK) {
        continue;
      }
      std::string text;
      switch (v.type) {
        case FREEXL_CELL_INT:
          text = std::to_string(v.value.int_value);
          break;
        case FREEXL_CELL_DOUBLE:
          text = model::FormatNumber(v.value.double_value);
          break;
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME:
          if (v.value.text_value) text = enc::FromUtf8(v.value.text_value);
          break;
        default:
          break;
      }
      if (text.empty()) continue;
      if (cells.size() <= c) cells.resize(c + 1);
      cells[c] = std::move(text);
    }
  }
  for (FormulaCell& f : XlsFormulaCells(file_bytes, active)) {
    if (f.row > max_rows || f.column > max_cols || f.text.empty()) continue;
    auto& cells = sheet.rows[f.row - 1];
    if (cells.size() < f.column) cells.resize(f.column);
    cells[f.column - 1] = std::move(f.text);
  }
  result.sheet = std::move(sheet);
  return result;
}

}  // namespace tessaly::workbook
