// .xls: a compound document whose "Workbook" stream holds BIFF records.
// FreeXL reads the cells; the saved active tab (itabCur of the workbook
// window record) is read here, since FreeXL does not report it.

#include <freexl.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

#include "model/number_format.h"
#include "platform/encoding.h"
#include "platform/workbook/workbook_reader.h"

namespace tessaly::workbook {
namespace {

std::uint32_t U16(std::string_view b, std::size_t at) {
  if (at + 2 > b.size()) return 0;
  return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8);
}

std::uint32_t U32(std::string_view b, std::size_t at) {
  if (at + 4 > b.size()) return 0xFFFFFFFFu;
  return U16(b, at) | (U16(b, at + 2) << 16);
}

// A minimal compound-document reader: the sector allocation table, the
// directory, and streams read along their chains. Every offset is checked;
// chains are cut at the number of sectors, so a looping chain ends.
class CompoundFile {
 public:
  explicit CompoundFile(std::string_view bytes) : b_(bytes) {
    static constexpr char kMagic[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    if (b_.size() < 512 || b_.substr(0, 8) != std::string_view(kMagic, 8)) return;
    std::uint32_t shift = U16(b_, 0x1E);
    std::uint32_t mini_shift = U16(b_, 0x20);
    if (shift < 7 || shift > 16 || mini_shift > shift) return;
    sector_ = 1u << shift;
    mini_sector_ = 1u << mini_shift;
    cutoff_ = U32(b_, 0x38);
    sectors_ = (b_.size() + sector_ - 1) / sector_;

    // The allocation table's sectors: 109 in the header, then DIFAT sectors.
    std::vector<std::uint32_t> fat_sectors;
    for (std::size_t i = 0; i < 109; ++i) fat_sectors.push_back(U32(b_, 0x4C + 4 * i));
    std::uint32_t difat = U32(b_, 0x44);
    for (std::size_t guard = 0; difat < sectors_ && guard < sectors_; ++guard) {
      std::size_t at = Offset(difat);
      for (std::size_t i = 0; i + 1 < sector_ / 4; ++i) fat_sectors.push_back(U32(b_, at + 4 * i));
      difat = U32(b_, at + sector_ - 4);
    }
    // Each sector of the file counts once, so the table stays within the
    // file's size however the header repeats entries.
    std::vector<bool> used(sectors_);
    for (std::uint32_t s : fat_sectors) {
      if (s >= sectors_ || used[s]) continue;
      used[s] = true;
      std::size_t at = Offset(s);
      for (std::size_t i = 0; i < sector_ / 4; ++i) fat_.push_back(U32(b_, at + 4 * i));
    }
    directory_ = Chain(
        U32(b_, 0x30), fat_, sector_, [&](std::uint32_t s) { return Offset(s); }, b_,
        std::string::npos);
    std::string root = Entry(0);
    if (root.size() == 128) {
      mini_stream_ = Chain(
          U32(root, 0x74), fat_, sector_, [&](std::uint32_t s) { return Offset(s); }, b_,
          U32(root, 0x78));
      std::string mini_fat_bytes = Chain(
          U32(b_, 0x3C), fat_, sector_, [&](std::uint32_t s) { return Offset(s); }, b_,
          std::string::npos);
      for (std::size_t i = 0; i + 4 <= mini_fat_bytes.size(); i += 4) {
        mini_fat_.push_back(U32(mini_fat_bytes, i));
      }
    }
    ok_ = true;
  }

  // The stream of the given (ASCII) name, empty when absent.
  std::string Stream(std::string_view name) const {
    if (!ok_) return {};
    for (std::size_t i = 0; i * 128 + 128 <= directory_.size(); ++i) {
      std::string e = Entry(i);
      std::size_t len = U16(e, 0x40);
      if (len < 2 || len > 64 || e[0x42] != 2) continue;
      std::string entry_name;
      for (std::size_t k = 0; k + 2 < len; k += 2) entry_name.push_back(e[k]);
      if (entry_name != name) continue;
      std::uint32_t start = U32(e, 0x74);
      std::size_t size = U32(e, 0x78);
      if (size < cutoff_) {
        return Chain(
            start, mini_fat_, mini_sector_,
            [](std::uint32_t s) { return static_cast<std::size_t>(s); }, mini_stream_, size,
            mini_sector_);
      }
      return Chain(
          start, fat_, sector_, [&](std::uint32_t s) { return Offset(s); }, b_, size);
    }
    return {};
  }

 private:
  std::size_t Offset(std::uint32_t sector) const {
    return (static_cast<std::size_t>(sector) + 1) * sector_;
  }

  std::string Entry(std::size_t i) const {
    if (i * 128 + 128 > directory_.size()) return {};
    return directory_.substr(i * 128, 128);
  }

  // Concatenates the sectors of a chain (mini sectors when `unit` is given:
  // position = index * unit within `data`).
  template <typename OffsetOf>
  std::string Chain(std::uint32_t start, const std::vector<std::uint32_t>& table, std::size_t size,
                    OffsetOf offset_of, std::string_view data, std::size_t limit,
                    std::size_t unit = 0) const {
    // A chain that comes back to a sector it passed is cut there, so a
    // stream is never longer than the sectors it can reach.
    std::string out;
    std::vector<bool> visited(table.size());
    for (std::uint32_t s = start; s < table.size() && !visited[s]; s = table[s]) {
      visited[s] = true;
      std::size_t at = unit ? offset_of(s) * unit : offset_of(s);
      if (at >= data.size()) break;
      out.append(data.substr(at, size));
      if (out.size() >= limit) break;
    }
    if (out.size() > limit) out.resize(limit);
    return out;
  }

  std::string_view b_;
  bool ok_ = false;
  std::size_t sector_ = 512;
  std::size_t mini_sector_ = 64;
  std::size_t cutoff_ = 4096;
  std::size_t sectors_ = 0;
  std::vector<std::uint32_t> fat_;
  std::vector<std::uint32_t> mini_fat_;
  std::string directory_;
  std::string mini_stream_;
};

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

ReadResult ReadXls(const std::string& path, const ReadLimits& limits) {
  ReadResult result;
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
  const std::string file_bytes = ReadFileBytes(path);
  const XlsLayout layout = ReadLayout(WorkbookStream(file_bytes));
  const std::size_t active = layout.active < sheet_count ? layout.active : 0;
  if (freexl_select_active_worksheet(handle, static_cast<unsigned short>(active)) != FREEXL_OK) {
    result.error = "无法选择工作表"_gb;
    return result;
  }
  Sheet sheet;
  const char* name = nullptr;
  if (freexl_get_worksheet_name(handle, static_cast<unsigned short>(active), &name) == FREEXL_OK &&
      name) {
    sheet.name = enc::FromUtf8(name);
  }
  unsigned int rows = 0;
  unsigned short columns = 0;
  if (freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK) {
    result.error = "无法读取工作表"_gb;
    return result;
  }
  const std::size_t max_rows = std::min<std::size_t>(rows, limits.max_rows);
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
