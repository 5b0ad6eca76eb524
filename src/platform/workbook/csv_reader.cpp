// .csv: lines of cells separated by commas or tabs (tabs when the first line
// holds one), cells optionally in double quotes with "" for a quote inside;
// a quoted cell may span lines. UTF-8 (with or without byte-order mark) or
// GB18030 bytes.

#include "platform/encoding.h"
#include "platform/workbook/workbook_reader.h"

namespace tessaly::workbook {

ReadResult ReadCsv(std::string_view bytes, const ReadLimits& limits) {
  // Separators, quotes and line breaks are single bytes that never occur
  // inside a double-byte or four-byte character, so the text is split byte
  // by byte after conversion.
  const std::string text = enc::FromOutside(bytes);
  char sep = ',';
  for (char c : text) {
    if (c == '\n' || c == '\r') break;
    if (c == '\t') {
      sep = '\t';
      break;
    }
  }

  Sheet sheet;
  std::vector<std::string> row;
  std::string cell;
  bool quoted = false;
  bool row_has_content = false;
  std::size_t row_count = 0;
  bool too_many = false;
  auto end_cell = [&] {
    if (row.size() < limits.max_columns) row.push_back(std::move(cell));
    cell.clear();
  };
  auto end_row = [&] {
    end_cell();
    ++row_count;
    while (!row.empty() && row.back().empty()) row.pop_back();
    if (row_count <= limits.max_rows) {
      sheet.rows.push_back(std::move(row));
    } else if (!row.empty()) {
      too_many = true;
    }
    row.clear();
    row_has_content = false;
  };

  std::size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (quoted) {
      if (c == '"') {
        if (i + 1 < text.size() && text[i + 1] == '"') {
          cell.push_back('"');
          i += 2;
          continue;
        }
        quoted = false;
      } else {
        cell.push_back(c);
      }
      ++i;
      continue;
    }
    if (c == '"' && cell.empty()) {
      quoted = true;
      row_has_content = true;
    } else if (c == sep) {
      end_cell();
      row_has_content = true;
    } else if (c == '\r' || c == '\n') {
      end_row();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      cell.push_back(c);
      row_has_content = true;
    }
    ++i;
  }
  if (row_has_content || !cell.empty()) end_row();
  while (!sheet.rows.empty() && sheet.rows.back().empty()) sheet.rows.pop_back();
  ReadResult result;
  result.sheet_names = {std::string()};
  if (limits.sheet && *limits.sheet != 0) {
    result.error = NoSuchSheet(*limits.sheet, 1);
    return result;
  }
  if (too_many) {
    result.error = TooManyRows(limits.max_rows);
    return result;
  }
  result.sheet = std::move(sheet);
  return result;
}

}  // namespace tessaly::workbook
