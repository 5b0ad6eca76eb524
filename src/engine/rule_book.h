#pragma once
// The rule lists of the program state read once into typed values: what a
// command hands to the engine, the optimisers and the guard instead of
// reading the text rows field by field at every step. The text rows stay
// the stored form (division file) and the pages' form; a book is read from
// them at the start of a command and never written back.
//
// Every value is exactly what the field readers give for the same row
// (FieldAt, FirstInteger, LevelNumber, ConditionHolds), so a mover that asks
// the book answers as one that reads the rows.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/names/same_names.h"
#include "model/compiled_condition.h"
#include "model/program_state.h"
#include "model/student_groups.h"

namespace tessaly::engine {

// One row of ClassRangeRows.
struct RangeRule {
  std::string key;                      // model::RangeKey of the row
  std::int32_t class_count = 0;         // field 3, FirstInteger
  std::string ids;                      // field 4 as written ("1,2,3,")
  std::vector<std::int32_t> class_ids;  // model::ClassIds of field 4
};

// One row of BandConditionRows.
struct BandRule {
  std::string range_key;  // field 1
  std::string subject;    // field 2
  bool total = false;     // field 2 is "总分"
  std::string condition;  // field 3 as written
  model::CompiledCondition holds;
  std::int32_t level = 0;  // LevelNumber of field 4
};

// One row of BalanceItemRows: an item's name and its level.
struct ItemRule {
  std::string name;
  std::int32_t level = 0;
};

struct RuleBook {
  std::vector<RangeRule> ranges;            // by row of ClassRangeRows
  std::vector<BandRule> bands;              // by row of BandConditionRows
  std::vector<ItemRule> items;              // by row of BalanceItemRows
  std::vector<model::StudentGroup> groups;  // by row of GroupRows
  SoundRules sounds;                        // the ticked sound pairs
  // The level of a balance item: the last row of that name, 3 without one
  // (ItemLevel).
  std::int32_t ItemLevel(std::string_view name) const;
  // The level of a band: the last band row of that range, subject and
  // condition, 3 without one (BandLevel).
  std::int32_t BandLevel(std::string_view range_key, std::string_view subject,
                         std::string_view condition) const;
};

// Reads the range, band, item, group and sound-pair rows of the state.
RuleBook ReadRuleBook(const model::ProgramState& state);

// The band rows alone, and the item rows alone, for a caller that needs
// nothing else.
std::vector<BandRule> ReadBandRules(const model::RuleList& rows);
std::vector<ItemRule> ReadItemRules(const model::RuleList& rows);

}  // namespace tessaly::engine
