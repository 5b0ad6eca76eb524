#pragma once
// The headcount terms of the placement cost: gender, balance values and score
// bands. A property shared by g students of a range should be spread evenly
// over its Y classes: each class has a share of ceil(g / Y), and the term
// grows with the students of that kind already in the class, relative to the
// share, weighted by the property's level.
//
// These are the straightforward forms that count over the set on every call;
// RangeTallies (engine/tallies.h) gives the same numbers in constant time for
// the division's inner loop.

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/rule_book.h"
#include "model/program_state.h"
#include "model/records.h"
#include "model/rule_lists.h"

namespace tessaly::engine {

// One list per balance column of the set, in heading order; each row
// value|count| for a distinct non-empty value, in order of first occurrence.
using BalanceValueTallies = std::vector<model::RuleList>;

// Builds the balance-value tallies of a set.
BalanceValueTallies TallyBalanceValues(const model::Student_F& set);

// The count of the first row of a tally list whose field 1 equals `value`;
// -1 when no row does.
std::int32_t TalliedCount(const model::RuleList& list, std::string_view value);

// The tally of one BandConditionRows row (same index).
struct BandConditionTally {
  std::int32_t MeetCount = 0;         // students of the set meeting it; 0 for other ranges
  std::int32_t SubjectPosition = -1;  // first equal subject heading; -1 for 总分 / none
  bool operator==(const BandConditionTally&) const = default;
};
using BandConditionTallies = std::vector<BandConditionTally>;

// Builds the band tallies of the rows of range `range_key` over a set.
BandConditionTallies TallyBandConditions(const model::ProgramState& state,
                                         std::string_view range_key, const model::Student_F& set);
// The same over band rows read once (one tally per rule, same index), for
// the division's tallies.
BandConditionTallies TallyBandConditions(const std::vector<BandRule>& bands,
                                         std::string_view range_key, const model::Student_F& set);

// ceil(g / y) for y >= 1; 0 when y < 1.
std::int32_t Share(std::int32_t g, std::int32_t y);

// m / share * level * 3 for the students of s's gender already in class k
// (share from the whole set, level of "性别", 3 without a row); 0 when the
// share is 0.
double GenderCost(const model::ProgramState& state, const model::Student_F& set,
                  const model::student& s, std::int32_t Y, std::int32_t k);

// Sum over the balance columns of the terms m / share * level * 3 of s's
// values held by more than one student of the set.
double BalanceValueCost(const model::ProgramState& state, const BalanceValueTallies& tallies,
                        const model::Student_F& set, const model::student& s, std::int32_t Y,
                        std::int32_t k);

// Sum over the band rows of range `range_key`, in list order, of
// m / share * (band level * 3), m the students in class k meeting the band
// when s meets it, else 0.
double BandCost(const model::ProgramState& state, const BandConditionTallies& tallies,
                std::string_view range_key, const model::Student_F& set, const model::student& s,
                std::int32_t k, std::int32_t Y);

}  // namespace tessaly::engine
