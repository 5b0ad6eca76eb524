#pragma once
// The pieces of the division command that work on one batch: cutting the
// batch out of a range set, the fair coin, and the settlement of classes that
// want the same student.

#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "model/records.h"

namespace tessaly::engine {

// Up to `class_count` positions of unplaced students of the set (positions in
// its order of descending total), in the order picked. Preset students come
// first, cut around the block of positions that holds the first unplaced one;
// otherwise batches come alternately from the strong and the weak end. Empty
// when every student is placed (AssignedClass >= 0) or class_count < 1.
std::vector<std::int32_t> PickBatch(const model::Student_F& set, std::int32_t class_count);

// The settlement's fair coin. Seeded once per command: with a seed the
// tosses repeat on every run and machine; without one it is seeded from
// std::random_device.
class Coin {
 public:
  explicit Coin(std::optional<std::uint32_t> seed = std::nullopt);
  // One toss: true when the first of the two lists drops its first entry
  // (the next 32-bit output is odd), false when the second one does.
  bool DropFirst();

 private:
  std::mt19937 gen_;
};

// model::ReadBack (the value a number's 15-digit text reads back as), bit for
// bit, without going through printf: whole numbers below 10^15 read back as
// themselves, others through exact conversions to and from 15 digits.
double FastReadBack(double value);

// One entry of a class's candidate list: who (an index chosen by the caller,
// e.g. the position in the batch) and the cost of placing him.
struct Candidate {
  std::int32_t who = 0;
  double cost = 0;  // as computed
};

// A class's candidate list after sorting, with the read-back costs that the
// settlement compares. Dropping the first entry advances `head`.
struct CandidateList {
  std::vector<Candidate> entries;
  std::vector<double> read_back;  // cost as it reads back from its 15-digit text; NaN = not yet
  std::size_t head = 0;

  bool Empty() const { return head >= entries.size(); }
  std::size_t Size() const { return Empty() ? 0 : entries.size() - head; }
  // Read-back cost of the entry `i` places behind the head.
  double CostAt(std::size_t i);
};

// Orders the entries (given in pick order) by ascending cost as read back
// from 15-digit text; equal costs keep their order, and costs without a
// value (NaN) come last.
CandidateList SortCandidates(std::vector<Candidate> entries);

// Settles the classes that want the same student: classes are taken in the
// order of the cost of their first candidate (fixed at the start); the first
// class with a partner wanting the same student is settled against the first
// such partner by comparing the costs of their second choices, ties by the
// coin. Afterwards no two non-empty lists share their first candidate.
void SettleConflicts(std::vector<CandidateList>& lists, Coin& coin);

}  // namespace tessaly::engine
