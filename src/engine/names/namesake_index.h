#pragma once
// Running namesake counts of one range set, for the division and the swap
// measures: the key id of every student position, the number of students per
// key and per (class, key), kept up to date as students are placed, removed
// and moved. Test() answers exactly what SameNameTest answers on the set's
// current AssignedClass values, in constant time.
//
// Positions are those of the set the index was built from; a change that
// inserts or removes students (a transfer between ranges) needs a new index.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/names/same_names.h"
#include "model/records.h"
#include "model/rule_lists.h"

namespace tessaly::engine {

class NamesakeIndex {
 public:
  NamesakeIndex() = default;

  // Index of `set` with the keys of BuildSoundKeys(set, rules); every student
  // whose AssignedClass is 0 or more counts in that class.
  NamesakeIndex(const model::Student_F& set, const SoundRules& rules);

  // Index from ready keys (one per student, as BuildSoundKeys gives them)
  // and the set's current classes.
  NamesakeIndex(const model::RuleList& keys, const model::Student_F& set);

  // Number of student positions.
  std::int32_t size() const { return static_cast<std::int32_t>(key_of_.size()); }

  // The student at `pos` is now in class `cls` (a class number; negative =
  // not placed). Works from any previous state: placing, moving, removing.
  void Place(std::int32_t pos, std::int32_t cls);
  // The student at `pos` is no longer placed.
  void Unplace(std::int32_t pos) { Place(pos, -1); }
  // Two students exchange their classes.
  void Swap(std::int32_t a, std::int32_t b);

  // The class the index holds for `pos` (-1 = not placed).
  std::int32_t ClassOf(std::int32_t pos) const { return class_of_[pos]; }

  // SameNameTest(set, rows, pos, class_count, cls) on the classes held here.
  NamesakeResult Test(std::int32_t pos, std::int32_t class_count, std::int32_t cls) const;

  // Students of the range sharing the key of `pos` (itself included); 1 or
  // less means no namesake (0 for a name without sound).
  std::int32_t Total(std::int32_t pos) const;
  // Students of class `cls` sharing the key of `pos` (itself included when
  // it is in that class); 0 when the key has no namesake.
  std::int32_t InClass(std::int32_t pos, std::int32_t cls) const;

 private:
  std::int32_t SlotOf(std::int32_t cls) const;  // -1 when never seen
  std::int32_t SlotFor(std::int32_t cls);       // creates a slot

  std::size_t Cell(std::int32_t slot, std::int32_t key) const {
    return static_cast<std::size_t>(slot) * key_count_ + key;
  }

  // Key id per position, for keys shared by two students or more; -1 else.
  std::vector<std::int32_t> key_of_;
  std::vector<std::int32_t> total_at_;  // students sharing the key of a position
  std::vector<std::int32_t> class_of_;  // class per position
  // Class number -> slot: direct for small numbers, hashed for the rest.
  std::vector<std::int32_t> small_slot_;
  std::unordered_map<std::int32_t, std::int32_t> large_slot_;
  // counts_[slot * key_count + key]: students of that class with that key.
  std::vector<std::int32_t> counts_;
  std::int32_t key_count_ = 0;
  std::int32_t slot_count_ = 0;
};

}  // namespace tessaly::engine
