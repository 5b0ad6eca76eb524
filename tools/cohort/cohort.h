#pragma once
// Realistic sample cohorts: a whole grade of students with Chinese names
// (about 3% namesakes, some of them written with different characters of the
// same sound, such as 张伟 and 章伟), genders, nine subjects with correlated
// scores (a few 0 = missing), two balance columns, one extra column, a few
// preset classes, ranked; and the rule lists of a division: class ranges by
// rank and by student number, falling score bands per range, the default
// balance items and a pair of fuzzy sounds.
//
// The result is the program state of a single-table division that has been
// started, as it reads back from a division file. The same options and seed
// always give the same cohort, on every platform.

#include <cstdint>
#include <vector>

#include "model/program_state.h"

namespace tessaly::cohort {

struct CohortOptions {
  int students = 1500;
  // Number of class ranges. Range 0 runs over ranks (the best students),
  // the others over consecutive blocks of student numbers.
  int ranges = 3;
  // Classes per range, cycled over the ranges ({2, 6, 8} with 3 ranges gives
  // 2, 6 and 8 classes). Class numbers run 1, 2, ... over all ranges.
  std::vector<int> classes = {2, 6, 8};
  // Band conditions per range: half on the total, half on 数学, falling
  // bands between quantiles of the range's students.
  int bands_per_range = 6;
  // Share of students whose name repeats or sounds like another's.
  double namesake_share = 0.03;
  // Share of students with a preset class (one of their range's classes).
  double preset_share = 0.005;
  std::uint64_t seed = 1;
};

// The subject headings, in column order.
const std::vector<std::string>& SubjectHeadings();  // code page 936

// Builds the cohort and its rules. Students are numbered 202500001,
// 202500002, ... in table order. Throws std::invalid_argument for fewer than
// one student, range or class per range.
model::ProgramState MakeCohort(const CohortOptions& options);

}  // namespace tessaly::cohort
