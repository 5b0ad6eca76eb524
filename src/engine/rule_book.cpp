#include "engine/rule_book.h"

#include "model/rule_lists.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::engine {

using model::FieldAt;
using model::FirstInteger;

std::int32_t RuleBook::ItemLevel(std::string_view name) const {
  for (auto it = items.rbegin(); it != items.rend(); ++it) {
    if (it->name == name) return it->level;
  }
  return 3;
}

std::int32_t RuleBook::BandLevel(std::string_view range_key, std::string_view subject,
                                 std::string_view condition) const {
  for (auto it = bands.rbegin(); it != bands.rend(); ++it) {
    if (it->range_key == range_key && it->subject == subject && it->condition == condition) {
      return it->level;
    }
  }
  return 3;
}

std::vector<BandRule> ReadBandRules(const model::RuleList& rows) {
  static const std::string kTotal = "总分"_gb;
  std::vector<BandRule> bands;
  bands.reserve(rows.size());
  for (const std::string& row : rows) {
    BandRule b;
    b.range_key = FieldAt(row, '$', 1);
    b.subject = FieldAt(row, '$', 2);
    b.total = b.subject == kTotal;
    b.condition = FieldAt(row, '$', 3);
    b.holds = model::CompiledCondition(b.condition);
    b.level = model::LevelNumber(FieldAt(row, '$', 4));
    bands.push_back(std::move(b));
  }
  return bands;
}

std::vector<ItemRule> ReadItemRules(const model::RuleList& rows) {
  std::vector<ItemRule> items;
  items.reserve(rows.size());
  for (const std::string& row : rows) {
    items.push_back({FieldAt(row, '|', 1), model::LevelNumber(FieldAt(row, '|', 2))});
  }
  return items;
}

RuleBook ReadRuleBook(const model::ProgramState& state) {
  RuleBook book;
  for (const std::string& row : state.ClassRangeRows) {
    RangeRule r;
    r.key = model::RangeKey(row);
    r.class_count = FirstInteger(FieldAt(row, '|', 3));
    r.ids = FieldAt(row, '|', 4);
    r.class_ids = model::ClassIds(r.ids);
    book.ranges.push_back(std::move(r));
  }
  book.bands = ReadBandRules(state.BandConditionRows);
  book.items = ReadItemRules(state.BalanceItemRows);
  book.groups = model::ReadGroupRows(state.GroupRows);
  book.sounds = SoundRulesOf(state);
  return book;
}

}  // namespace tessaly::engine
