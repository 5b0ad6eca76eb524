// The checks of a .xls file before its cells are read: the compound
// document judged strictly, and the records of the workbook stream, so that
// nothing reads past a record of a damaged file.

#include <algorithm>
#include <unordered_set>

#include "platform/encoding.h"
#include "platform/workbook/biff.h"
#include "platform/workbook/workbook_reader.h"

namespace tessaly::workbook {
namespace {

// The characters of a string that starts `at` in `data` (`count`
// characters, one or two bytes each) when they fit.
bool Fits(std::size_t data_size, std::size_t at, std::size_t count, bool wide) {
  return at <= data_size && count * (wide ? 2 : 1) <= data_size - at;
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
  // The highest shared string a cell uses.
  std::size_t highest_string = 0;
  bool string_cells = false;
  // The cells of the current sheet (row and column) that hold a value, to
  // find a cell given two values, of which neither can be told the right
  // one. A blank record holds only a cell's formatting, and writers put one
  // before the value of the same cell, so it does not count.
  std::unordered_set<std::uint32_t> cells;
  bool repeated_cell = false;
  auto place = [&](std::uint32_t row, std::uint32_t col) {
    if (!cells.insert(row << 16 | col).second) repeated_cell = true;
  };
  // BIFF8 stores texts with an option byte; earlier versions store one
  // byte per character.
  const bool biff8 = biff::Version(book) == 8;
  // Depth of nested substreams: 1 inside the globals or a sheet, 2 inside a
  // chart or another object embedded in a sheet, whose records (a chart's
  // cached series values among them) are no cells of the sheet.
  int nesting = 0;
  bool chart_sheet = false;
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
    // A new sheet begins; the cells that count are those of worksheets and
    // the globals, not the cached series values of a chart sheet.
    if (biff::IsBof(type) && ++nesting == 1) {
      cells.clear();
      chart_sheet = U16(data, 2) == 0x0020;
    }
    if (type == biff::kEof) --nesting;
    const bool sheet_level = nesting == 1 && !chart_sheet;
    if (sheet_level && type == 0x00FD && len >= 10) {  // LABELSST: the string's index
      highest_string = std::max<std::size_t>(highest_string, U32(data, 6));
      string_cells = true;
    }
    switch (sheet_level ? type : 0) {
      case 0x0204:
      case 0x00FD:
      case 0x0203:
      case 0x027E:
      case 0x0205:
      case 0x0006:
      case 0x00D6:
        uses_format(4);  // LABEL, LABELSST, NUMBER, RK, BOOLERR, FORMULA, RSTRING
        if (len >= 4) place(U16(data, 0), U16(data, 2));
        break;
      case 0x0201:  // BLANK
        uses_format(4);
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
      // The name: a length byte, then in BIFF8 an option byte and characters
      // of one or two bytes, before it bytes of the code page.
      const bool fits =
          biff8 ? len >= 8 && Fits(len, 8, static_cast<unsigned char>(data[6]), data[7] & 1)
                : len >= 7 && Fits(len, 7, static_cast<unsigned char>(data[6]), false);
      if (!fits) return damaged + "工作表名称超出记录"_gb;
      sheets.emplace_back(U32(data, 0), data[5] == 0);
    } else if (!sheet_level) {
      // Records of an embedded chart or object are read by nobody.
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
      for (std::uint32_t col = U16(data, 2); type == 0x00BD && col <= U16(data, len - 2); ++col) {
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
  std::optional<std::size_t> strings = 0;
  if (!sst.empty()) strings = biff::ReadSharedStrings(sst, nullptr);
  if (!strings) return damaged + "共享字符串超出记录"_gb;
  if (string_cells && highest_string >= *strings) return damaged + "单元格的共享字符串不存在"_gb;
  // Every listed sheet begins with a BOF record where the workbook says, and
  // has at most one DIMENSION record (its stated size: two would disagree;
  // some writers leave it out, which the reading of the cells does not
  // need).
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
    }
    if (depth > 0) return damaged + "工作表没有结束记录"_gb;
    if (dimensions > 1) {
      return damaged + "工作表的范围记录不正确"_gb;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> XlsProblem(std::string_view file_bytes) {
  CompoundFile cf(file_bytes);
  const std::string name = biff::WorkbookStreamName(cf).value_or("Workbook");
  if (auto problem = cf.Problem(name)) return problem;
  return RecordProblem(cf.Stream(name));
}

namespace biff {

std::optional<std::string> Refusal(std::string_view file_bytes) {
  CompoundFile cf(file_bytes);
  const std::optional<std::string> name = WorkbookStreamName(cf);
  if (!name) {
    // Office keeps a workbook protected by a password to open as an
    // encrypted package inside a compound document.
    if (cf.HasStream("EncryptedPackage") || cf.HasStream("EncryptionInfo")) {
      return PasswordProtected();
    }
    if (cf.HasStream("WordDocument")) return "这是Word文档，不是Excel工作簿"_gb;
    if (cf.HasStream("PowerPoint Document")) return "这是PowerPoint文稿，不是Excel工作簿"_gb;
  }
  if (auto problem = cf.Problem(name.value_or("Workbook"))) {
    return "不是有效的Excel文件："_gb + *problem;
  }
  const std::string book = cf.Stream(*name);
  const int version = Version(book);
  if (version == 0) return "不是有效的Excel文件：工作簿数据不以文件头记录开始"_gb;
  if (version < 5) return OldVersion(version);
  // A workbook protected by a password to open: everything after FILEPASS
  // is encrypted, so it is refused before its records are judged, unless
  // the password is Excel's default one.
  const std::optional<std::string> plain = PlainStream(book);
  if (!plain) return PasswordProtected();
  if (auto problem = RecordProblem(*plain)) return "不是有效的Excel文件："_gb + *problem;
  return std::nullopt;
}

std::string PasswordProtected() {
  return "Excel文件设有打开密码，不能读取；请在Excel或WPS中取消密码并保存后再导入"_gb;
}

std::string OldVersion(int version) {
  const char* const names[] = {"Excel 2.x", "Excel 3.0", "Excel 4.0"};
  return "这是"_gb + names[std::clamp(version, 2, 4) - 2] +
         "的旧格式文件，不能读取；请在Excel或WPS中打开，另存为.xlsx文件后再导入"_gb;
}

}  // namespace biff
}  // namespace tessaly::workbook
