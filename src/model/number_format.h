#pragma once
// How numbers are written as text.

#include <optional>
#include <string>
#include <string_view>

namespace tessaly::model {

// General form of scores, totals and bounds: the value rounded to 15
// significant digits, trailing zeros and a trailing point dropped. Fixed
// notation for 0 and for magnitudes from 0.00001 below 10^15, scientific
// otherwise ("1.5E-7", "1E15", "-2.5E20"). Negative zero is written "0".
std::string FormatNumber(double value);

// The value that FormatNumber's text reads back as. Comparisons of numbers
// that pass through text use this on both sides.
double ReadBack(double value);

// Averages in tables: three decimals ("85.333", "0.000"), the exact binary
// value rounded half away from zero; never "-0.000".
std::string FormatAverage(double value);

// Strict decimal conversion of a whole text (an optional sign, digits, an
// optional point and fraction, an optional exponent). No value for anything
// else, including empty text, spaces, infinities and NaN.
std::optional<double> ParseDecimal(std::string_view text);

// Strict conversion of a whole text (optional sign, digits) to a 32-bit
// integer. No value for anything else or out of range.
std::optional<int> ParseInteger(std::string_view text);

}  // namespace tessaly::model
