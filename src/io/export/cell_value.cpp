#include "io/export/cell_value.h"

#include <charconv>
#include <cstdio>

#include "model/number_format.h"

namespace tessaly::io::exports {

namespace {

// The general format shows at most eleven characters in a cell of the
// usual width; longer numbers get a format that shows all their digits.
constexpr std::size_t kGeneralWidth = 11;
constexpr int kMaxDigits = 15;

std::string FixedFormat(std::size_t decimals, bool signed_value) {
  std::string digits = decimals == 0 ? "0" : "0." + std::string(decimals, '0');
  if (!signed_value) return digits;
  return "+" + digits + ";-" + digits + ";" + digits;
}

}  // namespace

CellValue ClassifyCell(std::string_view text) {
  CellValue cell;
  if (text.empty()) return cell;
  cell.kind = CellKind::kText;
  std::size_t pos = 0;
  const char sign = text[0] == '+' || text[0] == '-' ? text[0] : 0;
  if (sign != 0) ++pos;
  const std::size_t int_start = pos;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') ++pos;
  const std::size_t int_digits = pos - int_start;
  if (int_digits == 0) return cell;
  if (int_digits > 1 && text[int_start] == '0') return cell;  // leading zero
  std::size_t decimals = 0;
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    const std::size_t frac_start = pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') ++pos;
    decimals = pos - frac_start;
    if (decimals == 0) return cell;  // "5."
  }
  if (pos != text.size()) return cell;
  if (sign == '+' && decimals == 0) return cell;

  // Significant digits: all digits after the leading zeros.
  int significant = 0;
  bool seen = false;
  for (std::size_t i = int_start; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.') continue;
    if (c != '0') seen = true;
    if (seen) ++significant;
  }
  if (significant > kMaxDigits) return cell;
  double value = 0;
  const char* first = text.data() + (sign == '+' ? 1 : 0);
  auto [end, ec] = std::from_chars(first, text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return cell;
  // A signed zero shows without its sign.
  if (sign != 0 && value == 0) return cell;

  cell.kind = CellKind::kNumber;
  cell.number = value;
  const bool trailing_zero = decimals > 0 && text.back() == '0';
  if (sign == '+') {
    cell.format = FixedFormat(decimals, true);
  } else if (decimals == 3 || trailing_zero || (decimals > 0 && text.size() > kGeneralWidth)) {
    cell.format = FixedFormat(decimals, false);
  } else if (decimals == 0 && text.size() > kGeneralWidth) {
    cell.format = "0";
  }
  return cell;
}

std::string ShownText(double number, const std::string& format) {
  if (format.empty()) return model::FormatNumber(number);
  const bool forced_sign = format[0] == '+';
  const std::string digits = forced_sign ? format.substr(1, format.find(';') - 1) : format;
  const std::size_t point = digits.find('.');
  const int decimals = point == std::string::npos ? 0 : static_cast<int>(digits.size() - point - 1);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, forced_sign && number > 0 ? "+%.*f" : "%.*f", decimals,
                number);
  return buffer;
}

}  // namespace tessaly::io::exports
