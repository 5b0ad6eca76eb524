#pragma once
// Running per-class counts of one range set for the division's inner loop:
// by gender, by balance value and by score band, kept up to date in constant
// time as students are placed, removed or moved. The three cost functions
// give exactly (bit for bit) the numbers of GenderCost, BalanceValueCost and
// BandCost of engine/costs.h for the placement the tallies mirror.
//
// Students are addressed by their position in the set at Build time;
// classes by a slot (Slot(class number)), looked up once per class so the
// cost calls do no search and no allocation. The tallies never change the
// set: the caller sets AssignedClass and tells the tallies (Place / Remove /
// Move).

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/rule_book.h"
#include "model/program_state.h"
#include "model/records.h"

namespace tessaly::engine {

class RangeTallies {
 public:
  // Slot of the whole range (what a negative class number counts).
  static constexpr std::int32_t kWholeRange = 0;
  // Slot of a class nobody of the set is in.
  static constexpr std::int32_t kEmptyClass = 1;

  // Counts `set` as it stands (every student with AssignedClass >= 0 in its
  // class), for a range of `class_count` classes whose band rows are those of
  // `range_key` in BandConditionRows. Reads the levels once. The classes of
  // `class_ids` get their slots at once, so their slots never change.
  void Build(const model::ProgramState& state, const model::Student_F& set,
             std::string_view range_key, std::int32_t class_count,
             const std::vector<std::int32_t>& class_ids = {});
  // The same with the rules read once (levels and band rows of `book`).
  void Build(const RuleBook& book, const model::Student_F& set, std::string_view range_key,
             std::int32_t class_count, const std::vector<std::int32_t>& class_ids = {});

  // The slot of a class number: kWholeRange for a negative number. A class
  // that is neither among the ids given to Build nor has been placed into
  // yet answers kEmptyClass, which keeps counting nobody: look its slot up
  // again after placing into it. A slot once given stays the class's slot.
  std::int32_t Slot(std::int32_t class_number) const;

  // The student at `pos` joins class `class_number` (>= 0); a student already
  // in a class is moved.
  void Place(std::size_t pos, std::int32_t class_number);
  // The student at `pos` leaves its class (nothing when it is in none).
  void Remove(std::size_t pos);
  // The student at `pos` goes to class `to` (a negative `to` removes it).
  void Move(std::size_t pos, std::int32_t to);
  // The class the student at `pos` is in, -1 when none.
  std::int32_t ClassOf(std::size_t pos) const { return class_of_[pos]; }

  // The cost terms of the student at `pos` for the class of `slot`.
  double GenderCost(std::size_t pos, std::int32_t slot) const;
  double BalanceValueCost(std::size_t pos, std::int32_t slot) const;
  double BandCost(std::size_t pos, std::int32_t slot) const;

  std::size_t StudentCount() const { return class_of_.size(); }

 private:
  std::int32_t SlotForPlacing(std::int32_t class_number);
  void Count(std::size_t pos, std::int32_t slot, std::int32_t delta);

  std::int32_t class_count_ = 0;
  std::unordered_map<std::int32_t, std::int32_t> slots_;  // class number -> slot
  std::vector<std::int32_t> class_of_;                    // by position
  std::vector<std::int32_t> slot_of_;                     // by position, -1 unplaced

  // Gender: id per position, share and counts per slot.
  std::int32_t gender_kinds_ = 0;
  std::vector<std::int32_t> gender_of_;
  std::vector<std::int32_t> gender_share_;  // by gender id
  double gender_level_ = 3;
  std::vector<std::int32_t> gender_counts_;  // slot * gender_kinds_ + id

  // Balance values: per position and column, the feature priced (-1: no
  // term) and the feature counted (the value in the first column of the same
  // heading; -1: counts nothing).
  std::size_t columns_ = 0;
  std::int32_t value_kinds_ = 0;
  std::vector<std::int32_t> priced_value_;    // pos * columns_ + b
  std::vector<std::int32_t> counted_value_;   // pos * columns_ + b
  std::vector<std::int32_t> value_share_;     // by priced feature
  std::vector<double> value_level_;           // by priced feature
  std::vector<std::int32_t> priced_counter_;  // priced feature -> counted feature
  std::vector<std::int32_t> value_counts_;    // slot * value_kinds_ + counted feature

  // Bands: the rows of the range in list order.
  std::size_t bands_ = 0;
  std::vector<std::int32_t> band_share_;
  std::vector<double> band_weight_;
  std::vector<unsigned char> meets_;       // pos * bands_ + i
  std::vector<std::int32_t> band_counts_;  // slot * bands_ + i
};

}  // namespace tessaly::engine
