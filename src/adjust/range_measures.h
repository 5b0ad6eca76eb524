#pragma once
// The two swap measures of one range, for loops that price many exchanges
// between two classes: the levels, the features of the headcount measure
// and every student's share of them are read once, so a measure costs a
// few operations per feature and subject. They give exactly (bit for bit)
// what engine::HeadcountDeviation (with the range's namesake grades) and
// engine::AverageDeviation give for the same statistics.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/names/namesake_index.h"
#include "engine/statistics.h"
#include "model/program_state.h"

namespace tessaly::adjust {

class RangeMeasures {
 public:
  // Measures of range r for `count_info` as it stands; the namesake grades
  // count over the sound keys of the range set with the state's pairs.
  RangeMeasures(const model::ProgramState& state,
                const std::vector<engine::AllCountInf>& count_info, std::size_t r);

  // Reads the class counts again after count_info changed (the features
  // themselves stay: an exchange inside the range keeps the range counts).
  void ReloadCounts(const std::vector<engine::AllCountInf>& count_info);

  // Student x went from class id `a` to class id `b` and student y the other
  // way (positions in the set; AssignedClass already changed): the class
  // counts of `count_info` for range r, and those read here, become what a
  // rebuild would count.
  void Exchanged(std::vector<engine::AllCountInf>& count_info, std::int32_t x, std::int32_t y,
                 std::int32_t a, std::int32_t b);

  // HeadcountDeviation(r, S, X, T, Y) with the namesake grades; x and y are
  // positions in the set, -1 for an absent student.
  engine::Deviation Headcount(std::int32_t S, std::int32_t x, std::int32_t T, std::int32_t y) const;

  // AverageDeviation(r, S, X, T, Y) on `average_info`.
  std::optional<engine::Deviation> Average(const std::vector<engine::PjInf>& average_info,
                                           std::int32_t S, std::int32_t x, std::int32_t T,
                                           std::int32_t y) const;

 private:
  std::optional<double> ClassAverage(const engine::New_ClassInf& range,
                                     const engine::New_ClassInf& cls, const model::student* in,
                                     const model::student* out, bool out_first) const;

  const model::ProgramState& state_;
  std::size_t r_;
  const std::vector<model::student>& students_;
  std::vector<std::int32_t> ids_;  // class id by position
  std::int32_t class_count_ = 0;
  double c_ = 0;

  // Headcount features in the measure's order: genders, tracked values,
  // count bands. counts_[p * F + f]; hits_[student * F + f].
  bool features_ = false;
  std::size_t positions_ = 0;
  std::size_t F_ = 0;
  std::vector<double> N_, w_, g_;
  std::vector<std::int32_t> counts_;
  std::vector<std::int32_t> hits_;
  // Whether a student counts for a feature as the headcounts count him (the
  // first column of a balance heading, the first subject of a name).
  std::vector<unsigned char> counted_;
  engine::NamesakeIndex names_;

  double total_level_ = 3;
  std::vector<double> subject_levels_;
};

}  // namespace tessaly::adjust
