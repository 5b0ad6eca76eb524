#pragma once
// Measuring a division: class summaries (averages over counted students), the
// gap between a class and its range, the division score, the averages table
// and the counting operations shared by the statistics and the costs.
//
// A student counts for the averages only when its Total is greater than 0,
// a subject score only when it is greater than 0.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/grid.h"
#include "model/program_state.h"
#include "model/records.h"

namespace tessaly::engine {

struct SubjectAverage {
  std::int32_t Counted = 0;  // counted students with a score above 0
  double Average = 0;        // mean of those scores, 0 when none

  bool operator==(const SubjectAverage&) const = default;
};

// The summary of one class, or of a whole range set (ClassId -1).
struct New_ClassInf {
  std::int32_t ClassId = -1;
  double AverageTotal = 0;           // mean Total of the counted students
  std::int32_t CountedStudents = 0;  // students with Total above 0
  std::vector<SubjectAverage> SubjectAverages;

  bool operator==(const New_ClassInf&) const = default;
};

// The summaries of one range: entry 0 the whole range set, entry k the class
// at position k of the range row's class ids.
struct PjInf {
  std::string Key;  // RangeKey of the range row
  std::vector<New_ClassInf> Classes;

  bool operator==(const PjInf&) const = default;
};

// Fills `target` with the summary of the students of `set` in class
// `class_number` (every student when it is negative). False, leaving the
// target untouched, when the set has no students.
bool SummariseClass(const model::Student_F& set, std::int32_t class_number, New_ClassInf& target);

// SummariseClass for each class number of `class_numbers` (a negative
// number: the whole set) in one pass over the set, with the same sums in the
// same order. Empty when the set has no students.
std::vector<New_ClassInf> SummariseClasses(const model::Student_F& set,
                                           const std::vector<std::int32_t>& class_numbers);

// A summary with `subjects` subject entries, all zero.
New_ClassInf EmptySummary(std::int32_t class_id, std::size_t subjects);

// Adds one student to a running summary: a student with Total <= 0 changes
// nothing; otherwise the average becomes (n * a + t) / (n + 1), and every
// subject score above 0 updates its entry the same way.
void AddToSummary(New_ClassInf& summary, const model::student& s);

// The weights of the gap measure: the total's and each subject's, looked up
// once in BalanceItemRows (last row of the item; 1 when none, or when not
// weighted). Subject names are the SubjectHeadings of the first range set.
struct GapWeights {
  double total = 1;
  std::vector<double> subjects;  // by subject position; missing ones weigh 1
};
GapWeights MakeGapWeights(const model::ProgramState& state, bool weighted);

// |class total average - reference's| * wT plus, per subject j of the
// reference, |class average j - reference's| * wj, summed in that order.
double AverageGap(const New_ClassInf& ref, const New_ClassInf& cls, const GapWeights& weights);
double AverageGap(const New_ClassInf& ref, const New_ClassInf& cls, bool weighted,
                  const model::ProgramState& state);

// AverageGap(ref, cls with s added by AddToSummary, weights), bit for bit,
// without building the candidate summary (no allocation).
double AverageGapWithStudent(const New_ClassInf& ref, const New_ClassInf& cls,
                             const model::student& s, const GapWeights& weights);

// The division score 100 - S / ((n + 1) * 0.5 * C) * 2 of the current
// placement: S the unweighted gaps of every class of every range to its
// range (a range without students contributes 0), C the number of classes,
// n the subjects of the first range set. No value when RangeSets is empty or
// no range has a class.
std::optional<double> ScoreDivision(const model::ProgramState& state);

// The caption of the score: "分班结果评分：" and the score in the general
// number form.
std::string ScoreCaption(double score);

// A gap cell of the averages table: three decimals, "+" in front of a
// difference above 0.
std::string GapText(double diff);

// The averages table: per range a heading row, the range row, one row per
// class, the gap heading row and one gap row per class; one empty row
// between blocks. Empty when RangeSets is empty.
model::Grid ShowAverages(const model::ProgramState& state);

// Students of the set in class `class_number` (every student when negative)
// whose Gender equals `gender`.
std::int32_t CountGender(const model::Student_F& set, std::string_view gender,
                         std::int32_t class_number);

// Students in the class whose value of the first balance column named
// `heading` equals `value`; 0 when the set has no such column.
std::int32_t CountBalanceValue(const model::Student_F& set, std::string_view heading,
                               std::string_view value, std::int32_t class_number);

// Students in the class whose Total ("总分") or score in the first subject
// named `subject` meets `condition`; 0 when the set has no such subject.
std::int32_t CountInBand(const model::Student_F& set, std::string_view subject,
                         std::int32_t class_number, std::string_view condition);

}  // namespace tessaly::engine
