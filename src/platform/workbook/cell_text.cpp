#include "platform/workbook/cell_text.h"

#include <cctype>
#include <cstdio>

#include "platform/encoding.h"

namespace tessaly::workbook {
namespace {

// Days since 1970-01-01 -> year, month, day (proleptic Gregorian calendar).
void CivilFromDays(long long z, long long& y, unsigned& m, unsigned& d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  if (m <= 2) ++y;
}

}  // namespace

DateKind KindOfFormatCode(std::string_view code) {
  bool date = false, time = false, month = false;
  for (std::size_t i = 0; i < code.size(); ++i) {
    char c = static_cast<char>(std::tolower(static_cast<unsigned char>(code[i])));
    if (c == '"') {  // quoted text
      std::size_t end = code.find('"', i + 1);
      i = end == std::string_view::npos ? code.size() : end;
    } else if (c == '\\' || c == '_' || c == '*') {  // escaped, spacing and fill characters
      ++i;
    } else if (c == '[') {  // colours, conditions, locales; [h] [m] [s] are elapsed time
      std::size_t end = code.find(']', i + 1);
      std::string_view inner = code.substr(i + 1, end == std::string_view::npos ? 0 : end - i - 1);
      if (!inner.empty() && (inner[0] == 'h' || inner[0] == 'H' || inner[0] == 's' ||
                             inner[0] == 'S' || inner[0] == 'm' || inner[0] == 'M')) {
        time = true;
      }
      i = end == std::string_view::npos ? code.size() : end;
    } else if (c == 'y' || c == 'd') {
      date = true;
    } else if (c == 'h' || c == 's') {
      time = true;
    } else if (c == 'm') {
      month = true;
    } else if (c == ';') {
      break;  // the first section decides
    }
  }
  if (month && !time) date = true;
  if (date && time) return DateKind::kDateTime;
  if (date) return DateKind::kDate;
  return time ? DateKind::kTime : DateKind::kNone;
}

DateKind KindOfBuiltInFormat(std::size_t id) {
  if ((id >= 14 && id <= 17) || (id >= 27 && id <= 31) || (id >= 34 && id <= 36) ||
      (id >= 50 && id <= 58)) {
    return DateKind::kDate;
  }
  if ((id >= 18 && id <= 21) || (id >= 32 && id <= 33) || (id >= 45 && id <= 47)) {
    return DateKind::kTime;
  }
  return id == 22 ? DateKind::kDateTime : DateKind::kNone;
}

// A stored day number as the date and time text the .xls reader gives too:
// 2010-05-04, 08:30:00, 2010-05-04 08:30:00. Empty for day numbers outside
// the years 1900 to 9999.
std::string DateText(double serial, DateKind kind, bool date1904) {
  if (!(serial >= 0 && serial < 2958466)) return {};
  long long days = static_cast<long long>(serial);
  long long secs = static_cast<long long>((serial - static_cast<double>(days)) * 86400.0 + 0.5);
  if (secs >= 86400) {
    ++days;
    secs -= 86400;
  }
  // Day 1 is 1900-01-01, and day 60 the 1900-02-29 that the 1900 date system
  // counts; from day 61 on, day 0 is 1899-12-30. In the 1904 system day 0
  // is 1904-01-01.
  const long long epoch = date1904 ? -24107 : (days < 61 ? -25568 : -25569);
  long long y;
  unsigned m, d;
  CivilFromDays(days + epoch, y, m, d);
  char buf[96];
  if (kind == DateKind::kDate) {
    std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u", y, m, d);
  } else if (kind == DateKind::kTime) {
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", secs / 3600, secs / 60 % 60, secs % 60);
  } else {
    std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u %02lld:%02lld:%02lld", y, m, d, secs / 3600,
                  secs / 60 % 60, secs % 60);
  }
  return buf;
}

bool SheetBuilder::Put(std::size_t row, std::size_t column, std::string_view text) {
  if (!error_.empty()) return false;
  if (text.empty() || column >= limits_.max_columns) return true;
  // A filled cell past the row limit would be lost: the sheet is refused.
  if (row >= limits_.max_rows) {
    error_ = TooManyRows(limits_.max_rows);
    return false;
  }
  if (text.size() > limits_.max_cell_text_bytes - text_bytes_) {
    error_ = "工作表的单元格文字超过 "_gb + std::to_string(limits_.max_cell_text_bytes >> 20) +
             " MB，不能全部读入"_gb;
    return false;
  }
  auto& rows = sheet_.rows;
  if (rows.size() <= row) rows.resize(row + 1);
  auto& cells = rows[row];
  if (cells.size() <= column) cells.resize(column + 1);
  // A cell written again replaces its text.
  text_bytes_ = text_bytes_ - cells[column].size() + text.size();
  cells[column] = text;
  return true;
}

}  // namespace tessaly::workbook
