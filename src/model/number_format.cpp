#include "model/number_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace tessaly::model {
namespace {

void TrimFraction(std::string& digits) {
  if (digits.find('.') == std::string::npos) return;
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  if (!digits.empty() && digits.back() == '.') digits.pop_back();
}

}  // namespace

std::string FormatNumber(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (value == 0) return "0";
  // Round to 15 significant digits once; the exponent of the rounded value
  // decides the notation.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", value);
  std::string text(buf);
  std::size_t e = text.find('e');
  int exponent = std::atoi(text.c_str() + e + 1);
  std::string mantissa = text.substr(0, e);  // [-]d.dddddddddddddd
  bool negative = mantissa[0] == '-';
  if (negative) mantissa.erase(0, 1);
  std::string digits = mantissa.substr(0, 1) + mantissa.substr(2);  // 15 digits
  std::string out;
  if (exponent >= 15 || exponent < -5) {
    std::string m = digits.substr(0, 1) + "." + digits.substr(1);
    TrimFraction(m);
    out = m + "E" + std::to_string(exponent);
  } else if (exponent >= 0) {
    std::string m = digits.substr(0, exponent + 1) + "." + digits.substr(exponent + 1);
    TrimFraction(m);
    out = m;
  } else {
    std::string m = "0." + std::string(-exponent - 1, '0') + digits;
    TrimFraction(m);
    out = m;
  }
  return negative ? "-" + out : out;
}

double ReadBack(double value) {
  if (!std::isfinite(value)) return value;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", value);
  return std::strtod(buf, nullptr);
}

std::string FormatAverage(double value) {
  if (!std::isfinite(value)) return FormatNumber(value);
  // The exact decimal expansion of the binary value, then rounded half away
  // from zero at the third decimal.
  char buf[512];
  std::snprintf(buf, sizeof buf, "%.60f", std::fabs(value));
  std::string exact(buf);
  std::size_t point = exact.find('.');
  std::string kept = exact.substr(0, point) + exact.substr(point + 1, 3);
  bool round_up = exact[point + 4] >= '5';
  if (round_up) {
    int i = static_cast<int>(kept.size()) - 1;
    while (i >= 0 && kept[i] == '9') kept[i--] = '0';
    if (i < 0) {
      kept.insert(kept.begin(), '1');
    } else {
      ++kept[i];
    }
  }
  std::string out = kept.substr(0, kept.size() - 3) + "." + kept.substr(kept.size() - 3);
  bool zero = out.find_first_not_of("0.") == std::string::npos;
  return (value < 0 && !zero) ? "-" + out : out;
}

std::optional<double> ParseDecimal(std::string_view text) {
  if (text.empty()) return std::nullopt;
  std::size_t i = 0;
  if (text[i] == '+' || text[i] == '-') ++i;
  bool digits = false;
  std::size_t j = i;
  while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j, digits = true;
  if (j < text.size() && text[j] == '.') {
    ++j;
    while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j, digits = true;
  }
  if (!digits) return std::nullopt;
  if (j < text.size() && (text[j] == 'e' || text[j] == 'E')) {
    std::size_t k = j + 1;
    if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
    std::size_t exp_start = k;
    while (k < text.size() && text[k] >= '0' && text[k] <= '9') ++k;
    if (k == exp_start) return std::nullopt;
    j = k;
  }
  if (j != text.size()) return std::nullopt;
  std::string buf(text.substr(text[0] == '+' ? 1 : 0));
  double value = 0;
  auto [ptr, ec] = std::from_chars(buf.data(), buf.data() + buf.size(), value);
  if (ec != std::errc() || ptr != buf.data() + buf.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<int> ParseInteger(std::string_view text) {
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  int value = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace tessaly::model
