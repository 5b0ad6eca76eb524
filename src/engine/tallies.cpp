#include "engine/tallies.h"

#include <algorithm>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>

#include "engine/costs.h"
#include "engine/statistics.h"
#include "model/rule_lists.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::engine {

void RangeTallies::Build(const model::ProgramState& state, const model::Student_F& set,
                         std::string_view range_key, std::int32_t class_count,
                         const std::vector<std::int32_t>& class_ids) {
  RuleBook book;
  book.bands = ReadBandRules(state.BandConditionRows);
  book.items = ReadItemRules(state.BalanceItemRows);
  Build(book, set, range_key, class_count, class_ids);
}

void RangeTallies::Build(const RuleBook& book, const model::Student_F& set,
                         std::string_view range_key, std::int32_t class_count,
                         const std::vector<std::int32_t>& class_ids) {
  static const std::string kGender = "性别"_gb;
  *this = RangeTallies();
  class_count_ = class_count;
  const std::size_t n = set.Students.size();
  class_of_.assign(n, -1);
  slot_of_.assign(n, -1);

  // Gender: one id per distinct gender text.
  {
    std::map<std::string, std::int32_t> ids;
    gender_of_.resize(n);
    std::vector<std::int32_t> whole;
    for (std::size_t p = 0; p < n; ++p) {
      auto [it, fresh] = ids.try_emplace(set.Students[p].Gender, gender_kinds_);
      if (fresh) {
        ++gender_kinds_;
        whole.push_back(0);
      }
      gender_of_[p] = it->second;
      ++whole[it->second];
    }
    for (std::int32_t g : whole) gender_share_.push_back(Share(g, class_count));
    gender_level_ = book.ItemLevel(kGender);
  }

  // Balance values. A student's value v in column b is priced when the
  // column's tally counts it more than once; its class count is the count of
  // v in the first column of the same heading.
  {
    const auto& headings = set.Headings.BalanceHeadings;
    columns_ = headings.size();
    const BalanceValueTallies tallies = TallyBalanceValues(set);
    priced_value_.assign(n * columns_, -1);
    counted_value_.assign(n * columns_, -1);
    std::vector<std::size_t> first_column(columns_);
    for (std::size_t b = 0; b < columns_; ++b) {
      first_column[b] = static_cast<std::size_t>(
          std::find(headings.begin(), headings.end(), headings[b]) - headings.begin());
    }
    // Only values that are priced somewhere get a counted feature.
    std::vector<std::unordered_map<std::string, std::int32_t>> counted_ids(columns_);
    for (std::size_t b = 0; b < columns_; ++b) {
      // The count of the first tally row of each field-1 text, as
      // TalliedCount finds it.
      std::unordered_map<std::string, std::int32_t> tallied;
      for (const std::string& row : tallies[b]) {
        tallied.try_emplace(model::FieldAt(row, '|', 1),
                            model::FirstInteger(model::FieldAt(row, '|', 2)));
      }
      std::unordered_map<std::string, std::int32_t> priced_ids;
      const double level = book.ItemLevel(headings[b]);
      for (std::size_t p = 0; p < n; ++p) {
        const auto& values = set.Students[p].BalanceValues;
        if (b >= values.size() || values[b].empty()) continue;
        auto found = priced_ids.find(values[b]);
        if (found == priced_ids.end()) {
          auto t = tallied.find(values[b]);
          const std::int32_t g = t == tallied.end() ? -1 : t->second;
          const std::int32_t share = Share(g, class_count);
          std::int32_t id = -1;
          if (g > 1 && share > 0) {
            id = static_cast<std::int32_t>(value_share_.size());
            value_share_.push_back(share);
            value_level_.push_back(level);
            auto [c, fresh] = counted_ids[first_column[b]].try_emplace(values[b], value_kinds_);
            if (fresh) ++value_kinds_;
            priced_counter_.push_back(c->second);
          }
          found = priced_ids.emplace(values[b], id).first;
        }
        priced_value_[p * columns_ + b] = found->second;
      }
    }
    for (std::size_t c = 0; c < columns_; ++c) {
      if (counted_ids[c].empty()) continue;
      for (std::size_t p = 0; p < n; ++p) {
        const auto& values = set.Students[p].BalanceValues;
        if (c >= values.size()) continue;
        auto it = counted_ids[c].find(values[c]);
        if (it != counted_ids[c].end()) counted_value_[p * columns_ + c] = it->second;
      }
    }
  }

  // Bands of this range with a share, in list order.
  {
    const BandConditionTallies tallies = TallyBandConditions(book.bands, range_key, set);
    std::vector<std::vector<unsigned char>> meets;
    for (std::size_t i = 0; i < book.bands.size(); ++i) {
      const BandRule& band = book.bands[i];
      if (band.range_key != range_key) continue;
      const std::int32_t share = Share(tallies[i].MeetCount, class_count);
      if (share == 0) continue;
      band_share_.push_back(share);
      band_weight_.push_back(band.level * 3.0);
      const std::int32_t a = tallies[i].SubjectPosition;
      std::vector<unsigned char> m(n, 0);
      for (std::size_t p = 0; p < n; ++p) {
        const model::student& s = set.Students[p];
        if (band.total) {
          m[p] = band.holds.Holds(s.Total);
        } else if (a >= 0 && static_cast<std::size_t>(a) < s.Scores.size()) {
          m[p] = band.holds.Holds(s.Scores[a]);
        }
      }
      meets.push_back(std::move(m));
    }
    bands_ = meets.size();
    meets_.assign(n * bands_, 0);
    for (std::size_t i = 0; i < bands_; ++i) {
      for (std::size_t p = 0; p < n; ++p) meets_[p * bands_ + i] = meets[i][p];
    }
  }

  // Slots 0 (whole range: every student) and 1 (empty class).
  gender_counts_.assign(2 * static_cast<std::size_t>(gender_kinds_), 0);
  value_counts_.assign(2 * static_cast<std::size_t>(value_kinds_), 0);
  band_counts_.assign(2 * bands_, 0);
  for (std::size_t p = 0; p < n; ++p) Count(p, kWholeRange, +1);
  for (std::int32_t k : class_ids) {
    if (k >= 0) SlotForPlacing(k);
  }
  for (std::size_t p = 0; p < n; ++p) {
    if (set.Students[p].AssignedClass >= 0) Place(p, set.Students[p].AssignedClass);
  }
}

std::int32_t RangeTallies::Slot(std::int32_t class_number) const {
  if (class_number < 0) return kWholeRange;
  auto it = slots_.find(class_number);
  return it == slots_.end() ? kEmptyClass : it->second;
}

std::int32_t RangeTallies::SlotForPlacing(std::int32_t class_number) {
  auto [it, fresh] = slots_.try_emplace(class_number, 0);
  if (fresh) {
    // Slots 0 and 1 are the whole range and the empty class.
    it->second = static_cast<std::int32_t>(slots_.size()) + 1;
    const std::size_t slots = static_cast<std::size_t>(it->second) + 1;
    gender_counts_.resize(slots * gender_kinds_, 0);
    value_counts_.resize(slots * value_kinds_, 0);
    band_counts_.resize(slots * bands_, 0);
  }
  return it->second;
}

void RangeTallies::Count(std::size_t pos, std::int32_t slot, std::int32_t delta) {
  const std::size_t s = static_cast<std::size_t>(slot);
  gender_counts_[s * gender_kinds_ + gender_of_[pos]] += delta;
  for (std::size_t b = 0; b < columns_; ++b) {
    const std::int32_t f = counted_value_[pos * columns_ + b];
    if (f >= 0) value_counts_[s * value_kinds_ + f] += delta;
  }
  for (std::size_t i = 0; i < bands_; ++i) {
    if (meets_[pos * bands_ + i]) band_counts_[s * bands_ + i] += delta;
  }
}

void RangeTallies::Place(std::size_t pos, std::int32_t class_number) {
  if (pos >= class_of_.size()) return;
  if (class_number < 0) {
    Remove(pos);
    return;
  }
  if (class_of_[pos] == class_number) return;
  Remove(pos);
  const std::int32_t slot = SlotForPlacing(class_number);
  Count(pos, slot, +1);
  class_of_[pos] = class_number;
  slot_of_[pos] = slot;
}

void RangeTallies::Remove(std::size_t pos) {
  if (pos >= class_of_.size() || slot_of_[pos] < 0) return;
  Count(pos, slot_of_[pos], -1);
  class_of_[pos] = -1;
  slot_of_[pos] = -1;
}

void RangeTallies::Move(std::size_t pos, std::int32_t to) {
  Place(pos, to);
}

double RangeTallies::GenderCost(std::size_t pos, std::int32_t slot) const {
  const std::int32_t g = gender_of_[pos];
  const std::int32_t share = gender_share_[g];
  if (share <= 0) return 0;
  const std::int32_t m = gender_counts_[static_cast<std::size_t>(slot) * gender_kinds_ + g];
  return static_cast<double>(m) / share * gender_level_ * 3;
}

double RangeTallies::BalanceValueCost(std::size_t pos, std::int32_t slot) const {
  double sum = 0;
  const std::size_t base = static_cast<std::size_t>(slot) * value_kinds_;
  for (std::size_t b = 0; b < columns_; ++b) {
    const std::int32_t f = priced_value_[pos * columns_ + b];
    if (f < 0) continue;
    const std::int32_t c = priced_counter_[f];
    const std::int32_t m = c < 0 ? 0 : value_counts_[base + c];
    sum += static_cast<double>(m) / value_share_[f] * value_level_[f] * 3;
  }
  return sum;
}

double RangeTallies::BandCost(std::size_t pos, std::int32_t slot) const {
  double sum = 0;
  const std::size_t base = static_cast<std::size_t>(slot) * bands_;
  for (std::size_t i = 0; i < bands_; ++i) {
    const std::int32_t m = meets_[pos * bands_ + i] ? band_counts_[base + i] : 0;
    sum += static_cast<double>(m) / band_share_[i] * band_weight_[i];
  }
  return sum;
}

}  // namespace tessaly::engine
