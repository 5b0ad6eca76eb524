#pragma once
// What the readers of the single formats share: the text of date-styled
// numbers, and the sheet being filled cell by cell within the read limits.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/workbook/workbook_reader.h"

namespace tessaly::workbook {

// How a number cell's format shows it: as a number, or as a date and/or time
// (dates are stored as day numbers).
enum class DateKind { kNone, kDate, kTime, kDateTime };

// The kind of a number format given by its code ("yyyy/m/d", "0.00") or by
// the number of a built-in format.
DateKind KindOfFormatCode(std::string_view code);
DateKind KindOfBuiltInFormat(std::size_t id);

// A stored day number as date and time text: 2010-05-04, 08:30:00,
// 2010-05-04 08:30:00. Empty for day numbers outside the years 1900 to 9999.
std::string DateText(double serial, DateKind kind, bool date1904);

// Text in the named character set (an iconv name: "big5", "windows-1252")
// as code page 936 text; bytes that are no character of it become '?'. None
// when the character set is unknown.
std::optional<std::string> FromCharset(std::string_view bytes, const std::string& charset);

// A sheet filled cell by cell within the read limits: cells past
// max_columns are not kept; a filled cell past max_rows, or text beyond
// max_cell_text_bytes in all, stops the reading with an error.
class SheetBuilder {
 public:
  explicit SheetBuilder(const ReadLimits& limits) : limits_(limits) {}

  // Stores the cell at (row, column), both from 0; an empty text is not
  // stored. False once the sheet went past a limit (see Error()); the text
  // is copied only when it fits.
  bool Put(std::size_t row, std::size_t column, std::string_view text);
  const std::string& Error() const { return error_; }
  Sheet& sheet() { return sheet_; }

 private:
  const ReadLimits& limits_;
  Sheet sheet_;
  std::size_t text_bytes_ = 0;
  std::string error_;
};

}  // namespace tessaly::workbook
