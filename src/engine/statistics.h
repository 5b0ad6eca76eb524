#pragma once
// Per-class statistics of every range (averages and headcounts by gender,
// balance value and score band), the level look-ups that weight them, and the
// two swap measures that say how far two classes of one range stand from the
// range, as they are or after two of their students change places.
//
// Classes are addressed by POSITION within their range row: position 0 is the
// whole range (id -1), position k the k-th class id of field 4. The
// statistics are working data of the command that builds them; they describe
// the placement at the time of the build, so a command rebuilds them first
// and refreshes the two classes after every exchange it makes
// (RefreshClasses).

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/evaluation.h"
#include "model/program_state.h"
#include "model/records.h"
#include "model/user_port.h"

namespace tessaly::engine {

struct RuleBook;

struct GenderCount {
  std::int32_t ClassId = -1;
  std::int32_t Boys = 0;   // Gender "男"
  std::int32_t Girls = 0;  // Gender "女"
  bool operator==(const GenderCount&) const = default;
};

struct JHCountInf3 {
  std::string Value;  // a tracked balance value
  std::int32_t Count = 0;
  bool operator==(const JHCountInf3&) const = default;
};

struct JHCountInf2 {
  std::string ItemName;  // the balance heading
  std::vector<JHCountInf3> Values;
  bool operator==(const JHCountInf2&) const = default;
};

struct JHCountInf {
  std::int32_t ClassId = -1;
  std::vector<JHCountInf2> Items;  // one per balance heading
  bool operator==(const JHCountInf&) const = default;
};

struct FSDCountInf2 {
  std::string Condition;
  std::int32_t Count = 0;
  bool operator==(const FSDCountInf2&) const = default;
};

struct FSDCountInf {
  std::int32_t ClassId = -1;
  std::string Subject;  // a subject name or "总分"
  std::vector<FSDCountInf2> Bands;
  bool operator==(const FSDCountInf&) const = default;
};

// The headcounts of one range, every array indexed by class position.
struct AllCountInf {
  std::vector<GenderCount> GenderCounts;
  std::vector<JHCountInf> ValueCounts;
  std::int32_t BandSubjectCount = 0;  // distinct subjects of the range's count conditions
  std::vector<std::vector<FSDCountInf>> BandCounts;
  bool operator==(const AllCountInf&) const = default;
};

// The statistics of every range, one entry per row of ClassRangeRows.
struct ClassStatistics {
  std::vector<PjInf> AverageInfo;
  std::vector<AllCountInf> CountInfo;
};

// The class id at a position of range r (position 0: -1); -1 when the
// position lies outside the row's ids.
std::int32_t ClassIdAt(const model::ProgramState& state, std::size_t r, std::int32_t position);

// The first position (1 on) of range r that holds `class_id`; -1 when none.
std::int32_t ClassPosition(const model::ProgramState& state, std::size_t r, std::int32_t class_id);

// Rebuilds AverageInfo from RangeSets: per range its RangeKey, the whole
// set's summary and one summary per class position (empty summaries for a
// row without a range set). False, with nothing changed, when
// ClassRangeRows is empty.
bool RebuildAverageInfo(const model::ProgramState& state, std::vector<PjInf>& average_info);

// Rebuilds CountInfo from RangeSets. True and nothing done when RangeSets is
// empty. Warns and returns false (the output left as it was) when the range
// rows and range sets differ in number, or when a range's ids do not match
// its class count.
bool RebuildCountInfo(const model::ProgramState& state, model::UserPort& user,
                      std::vector<AllCountInf>& count_info);

// Both rebuilds; false, leaving `stats` as it was, when either fails (its
// warning shown).
bool RebuildStatistics(const model::ProgramState& state, model::UserPort& user,
                       ClassStatistics& stats);

// After students of range r changed places between the classes at positions
// a and b (an exchange inside the range: the whole range is unchanged),
// recounts those two classes from RangeSets so that the statistics describe
// the current placement again, exactly as a rebuild would. Requires stats
// rebuilt for the current range rows.
void RefreshClasses(const model::ProgramState& state, std::size_t r, std::int32_t a, std::int32_t b,
                    ClassStatistics& stats);

// The level of a balance item: LevelNumber of field 2 of the last
// BalanceItemRows row whose field 1 equals `name`; 3 when none.
std::int32_t ItemLevel(const model::ProgramState& state, std::string_view name);

// The level of a band: LevelNumber of field 4 of the last BandConditionRows
// row with these range key, subject and condition; 3 when none.
std::int32_t BandLevel(const model::ProgramState& state, std::string_view range_key,
                       std::string_view subject, std::string_view condition);

// The deviations of the two classes of a swap measure: dS of class S, dT of
// class T.
struct Deviation {
  double dS = 0;
  double dT = 0;
  bool operator==(const Deviation&) const = default;
};

// The deviation of one class (`cls`) from its range in average total and
// subject averages after `in` joins it and `out` leaves it (either may be
// null): the total weighted by `total_level`, subject j by `level_of(j)`.
// `total_out_first` takes the leaving student off the total before the
// joining one is added (the order decides the last bits of the sum). No value
// when the class would keep no counted student, or a subject no positive
// score.
template <class LevelOf>
std::optional<double> ClassAverageDeviation(const New_ClassInf& range, const New_ClassInf& cls,
                                            const model::student* in, const model::student* out,
                                            double total_level, bool total_out_first,
                                            LevelOf&& level_of) {
  double sum = cls.CountedStudents * cls.AverageTotal;
  std::int32_t n = cls.CountedStudents;
  auto join = [&] {
    if (in != nullptr && in->Total > 0) {
      sum += in->Total;
      n += 1;
    }
  };
  auto leave = [&] {
    if (out != nullptr && out->Total > 0) {
      sum -= out->Total;
      n -= 1;
    }
  };
  if (total_out_first) {
    leave();
    join();
  } else {
    join();
    leave();
  }
  if (n < 1) return std::nullopt;
  double d = total_level * std::fabs(sum / n - range.AverageTotal);
  for (std::size_t j = 0; j < cls.SubjectAverages.size(); ++j) {
    const SubjectAverage& e = cls.SubjectAverages[j];
    double m = e.Counted * e.Average;
    std::int32_t c = e.Counted;
    if (in != nullptr && j < in->Scores.size() && in->Scores[j] > 0) {
      m += in->Scores[j];
      c += 1;
    }
    if (out != nullptr && j < out->Scores.size() && out->Scores[j] > 0) {
      m -= out->Scores[j];
      c -= 1;
    }
    if (c < 1) return std::nullopt;
    const double range_average =
        j < range.SubjectAverages.size() ? range.SubjectAverages[j].Average : 0.0;
    d += level_of(j) * std::fabs(m / c - range_average);
  }
  return d;
}

// How far classes S and T (positions of range r) stand from the range in
// average total and subject averages, weighted by ItemLevel, when X (of class
// S, may be null) goes to T and Y (of class T, may be null) goes to S. No
// value when a class would keep no counted student, or a subject of a class
// no positive score.
// With `rules` (the state's rule lists read once), the levels come from it.
std::optional<Deviation> AverageDeviation(const model::ProgramState& state,
                                          const std::vector<PjInf>& average_info, std::size_t r,
                                          std::int32_t S, const model::student* X, std::int32_t T,
                                          const model::student* Y, const RuleBook* rules = nullptr);

// The graded namesake value (0 to 400) of a student for a class number, as
// the same-name test of the range gives it. An empty function adds no
// namesake term.
using NamesakeGrade = std::function<double(const model::student& s, std::int32_t class_number)>;

// How far classes S and T of range r stand from the per-class expectation
// N / c of every gender, tracked balance value and count band, after X and Y
// change places as above; plus the namesake grades of X in T and of Y in S
// (class numbers of the positions) when they are present. With `rules`, the
// class count, range key and levels come from it.
Deviation HeadcountDeviation(const model::ProgramState& state,
                             const std::vector<AllCountInf>& count_info, std::size_t r,
                             std::int32_t S, const model::student* X, std::int32_t T,
                             const model::student* Y, const NamesakeGrade& namesake = {},
                             const RuleBook* rules = nullptr);

}  // namespace tessaly::engine
