#pragma once
// A subject column that is the total of the others: counted as one more
// subject, it doubles every student's total without a word.

#include <optional>
#include <string>

#include "model/records.h"

namespace tessaly::import {

// The heading (without its KEMU prefix) of the subject column of an
// imported table that holds the total of the other subjects: named so
// (总分, 总成绩, 合计, 总计, 总和), or whose every value is the sum of the
// other subjects' values (the table has at least two other subjects and a
// student with a total). None when there is none.
std::optional<std::string> TotalSubjectHeading(const model::Student_F& table);

// The warning that names such a column (code page 936).
std::string TotalSubjectWarning(const std::string& heading);

}  // namespace tessaly::import
