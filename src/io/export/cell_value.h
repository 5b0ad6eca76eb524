#pragma once
// What a workbook cell holds for one cell text of a result table: a number
// whose number format displays exactly that text, so a teacher can compute
// with it, or the text itself.

#include <cstdint>
#include <string>
#include <string_view>

namespace tessaly::io::exports {

enum class CellKind : std::uint8_t {
  kEmpty,   // nothing is written
  kText,    // the text as it is
  kNumber,  // `number` with the number format `format`
};

struct CellValue {
  CellKind kind = CellKind::kEmpty;
  double number = 0;
  // The number format: empty for the general format ("90", "87.5"); "0" for
  // long whole numbers; "0.000" for three decimals; "+0.000;-0.000;0.000"
  // for a signed difference; and likewise for other counts of decimals.
  std::string format;
};

// The cell for `text`. A number is a whole text of an optional sign, digits
// without a leading zero (a lone 0 before the point excepted), and an
// optional point followed by digits, with at most 15 significant digits and
// a nonzero value when it carries a sign; a "+" needs decimals. Everything
// else is text: student numbers with leading zeros, "-0", "1E15", " 5",
// "1,2," and the like, because no number format would show them alike.
CellValue ClassifyCell(std::string_view text);

// The text a spreadsheet shows for `number` under `format` as ClassifyCell
// chooses them (general form, "0", fixed decimals with or without a forced
// "+"). For checking that a cell reads back as its text.
std::string ShownText(double number, const std::string& format);

}  // namespace tessaly::io::exports
