#include "stats/headcount_table.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/evaluation.h"
#include "model/records.h"
#include "model/rule_lists.h"
#include "model/text_fields.h"
#include "platform/encoding.h"
#include "stats/compiled_condition.h"

namespace tessaly::stats {
namespace {

constexpr int kRankFactors[] = {1, 3, 5, 7, 10, 13, 15, 20, 25, 30};

// Counts per class of one range: a slot per distinct class number of the
// range row, so one pass over the students fills every class row.
class ClassSlots {
 public:
  explicit ClassSlots(const std::vector<std::int32_t>& numbers) {
    for (std::int32_t n : numbers) slots_.try_emplace(n, static_cast<int>(slots_.size()));
  }
  // The slot of a class number, -1 when the range has no such class.
  int Of(std::int32_t number) const {
    auto it = slots_.find(number);
    return it == slots_.end() ? -1 : it->second;
  }
  std::size_t size() const { return slots_.size(); }

 private:
  std::unordered_map<std::int32_t, int> slots_;
};

// One block's counts: a whole-range row and one row per slot.
struct BlockCounts {
  std::vector<std::int32_t> whole;
  std::vector<std::vector<std::int32_t>> by_slot;
  BlockCounts(std::size_t columns, std::size_t slots)
      : whole(columns, 0), by_slot(slots, std::vector<std::int32_t>(columns, 0)) {}
  void Add(int slot, std::size_t column) {
    ++whole[column];
    if (slot >= 0) ++by_slot[slot][column];
  }
};

// Writes one block from `row`: the title row, the whole-range row and one
// row per class; returns the row below it.
std::size_t WriteBlock(model::Grid& grid, std::size_t row, const std::vector<std::string>& title,
                       const std::string& whole_label, const std::vector<std::int32_t>& whole,
                       const std::vector<std::string>& class_labels,
                       const std::vector<std::int32_t>& class_slots, const BlockCounts& counts,
                       bool use_whole_counts = true) {
  for (std::size_t c = 0; c < title.size(); ++c) grid.At(row, c) = title[c];
  ++row;
  grid.At(row, 0) = whole_label;
  const std::vector<std::int32_t>& w = use_whole_counts ? counts.whole : whole;
  for (std::size_t c = 0; c < w.size(); ++c) grid.At(row, c + 1) = std::to_string(w[c]);
  ++row;
  for (std::size_t k = 0; k < class_labels.size(); ++k, ++row) {
    grid.At(row, 0) = class_labels[k];
    const int slot = class_slots[k];
    for (std::size_t c = 0; c < counts.whole.size(); ++c) {
      grid.At(row, c + 1) = std::to_string(slot >= 0 ? counts.by_slot[slot][c] : 0);
    }
  }
  return row;
}

std::size_t FirstIndex(const std::vector<std::string>& list, const std::string& name) {
  return static_cast<std::size_t>(std::find(list.begin(), list.end(), name) - list.begin());
}

// The blocks of range r from `row`; returns the row below the last one.
std::size_t WriteRange(model::ProgramState& state, std::size_t r, std::size_t row,
                       const std::vector<std::string>& subjects, model::Grid& grid) {
  static const std::string kBoy = "男"_gb, kGirl = "女"_gb, kTotal = "总分"_gb, kClass = " 班"_gb,
                           kGenderTitle = "性别统计"_gb, kBoys = "男生"_gb, kGirls = "女生"_gb,
                           kWholeGender = " 该段学生整体"_gb, kRankTitle = "名次段人数统计"_gb,
                           kWholeRank = " 该段整体人数"_gb, kRankCut = "<= ", kRankUnit = " 名"_gb,
                           kValueTitle = " 人数统计"_gb, kWholeValue = " 该段整体"_gb,
                           kWholeBand = " 该段总计"_gb;
  model::Student_F& set = state.RangeSets[r];
  const std::string& range_row = state.ClassRangeRows[r];
  const std::string key = model::RangeKey(range_row);
  const std::string id_list = model::FieldAt(range_row, '|', 4);
  const std::int32_t c = model::CountChar(id_list, ',');
  std::vector<std::string> id_texts;
  std::vector<std::int32_t> numbers;
  for (std::int32_t i = 1; i <= c; ++i) {
    id_texts.push_back(model::FieldAt(id_list, ',', i));
    numbers.push_back(model::FirstInteger(id_texts.back()));
  }
  const ClassSlots slots(numbers);
  std::vector<int> class_slots;
  std::vector<std::string> labels;
  for (std::int32_t n : numbers) {
    class_slots.push_back(slots.Of(n));
    labels.push_back(std::to_string(n) + kClass);
  }
  std::vector<int> slot_of;  // by student
  slot_of.reserve(set.Students.size());
  for (const model::student& s : set.Students) slot_of.push_back(slots.Of(s.AssignedClass));

  // Block 1: gender.
  BlockCounts genders(2, slots.size());
  for (std::size_t i = 0; i < set.Students.size(); ++i) {
    const std::string& g = set.Students[i].Gender;
    if (g == kBoy) genders.Add(slot_of[i], 0);
    if (g == kGirl) genders.Add(slot_of[i], 1);
  }
  row = WriteBlock(grid, row, {kGenderTitle, kBoys, kGirls}, key + kWholeGender, {}, labels,
                   class_slots, genders);

  // Block 2: rank bands, nested: a student counts in every band whose
  // cut-off his rank does not pass.
  model::RankStudents(set.Students);
  constexpr std::size_t kBands = std::size(kRankFactors);
  std::vector<std::string> rank_title{kRankTitle};
  std::vector<double> cut(kBands);
  for (std::size_t j = 0; j < kBands; ++j) {
    cut[j] = static_cast<double>(c) * kRankFactors[j];
    rank_title.push_back(kRankCut + std::to_string(static_cast<long long>(c) * kRankFactors[j]) +
                         kRankUnit);
  }
  BlockCounts ranks(kBands, slots.size());
  for (std::size_t i = 0; i < set.Students.size(); ++i) {
    const double rank = set.Students[i].Rank;
    for (std::size_t j = 0; j < kBands; ++j) {
      if (rank <= cut[j]) ranks.Add(slot_of[i], j);
    }
  }
  std::vector<std::string> rank_labels;
  for (const std::string& t : id_texts) rank_labels.push_back(t + kClass);
  row = WriteBlock(grid, row, rank_title, key + kWholeRank, {}, rank_labels, class_slots, ranks);

  // Block 3: one per balance column, the values held by more than one
  // student. The whole-range row counts the column itself, the class rows
  // count the first column of the same heading, as the counting operation
  // does.
  const auto& headings = set.Headings.BalanceHeadings;
  for (std::size_t j = 0; j < headings.size(); ++j) {
    std::vector<std::string> values;
    std::vector<std::int32_t> held;
    std::unordered_map<std::string, std::size_t> index;
    for (const model::student& s : set.Students) {
      if (j >= s.BalanceValues.size() || s.BalanceValues[j].empty()) continue;
      auto [it, fresh] = index.try_emplace(s.BalanceValues[j], values.size());
      if (fresh) {
        values.push_back(s.BalanceValues[j]);
        held.push_back(0);
      }
      ++held[it->second];
    }
    std::vector<std::string> title{headings[j] + kValueTitle};
    std::vector<std::int32_t> whole;
    std::unordered_map<std::string, std::size_t> column_of;
    for (std::size_t v = 0; v < values.size(); ++v) {
      if (held[v] <= 1) continue;
      column_of.emplace(values[v], whole.size());
      title.push_back(values[v]);
      whole.push_back(held[v]);
    }
    BlockCounts counts(whole.size(), slots.size());
    const std::size_t column = FirstIndex(headings, headings[j]);
    for (std::size_t i = 0; i < set.Students.size(); ++i) {
      const model::student& s = set.Students[i];
      if (slot_of[i] < 0 || column >= s.BalanceValues.size()) continue;
      auto it = column_of.find(s.BalanceValues[column]);
      if (it != column_of.end()) ++counts.by_slot[slot_of[i]][it->second];
    }
    counts.whole = whole;
    row = WriteBlock(grid, row, title, key + kWholeValue, whole, labels, class_slots, counts);
  }

  // Block 4: one per condition subject with conditions of this range.
  for (const std::string& subject : subjects) {
    std::vector<std::string> title{subject};
    std::vector<CompiledCondition> conditions;
    for (const std::string& cond_row : state.CountConditionRows) {
      if (model::FieldAt(cond_row, '$', 1) != key || model::FieldAt(cond_row, '$', 2) != subject) {
        continue;
      }
      const std::string condition = model::FieldAt(cond_row, '$', 3);
      title.push_back(model::CompactCondition(condition));
      conditions.emplace_back(condition);
    }
    if (conditions.empty()) continue;
    BlockCounts counts(conditions.size(), slots.size());
    const bool total = subject == kTotal;
    const std::size_t a = FirstIndex(set.Headings.SubjectHeadings, subject);
    if (total || a < set.Headings.SubjectHeadings.size()) {
      for (std::size_t i = 0; i < set.Students.size(); ++i) {
        const model::student& s = set.Students[i];
        if (!total && a >= s.Scores.size()) continue;
        const double score = total ? s.Total : s.Scores[a];
        for (std::size_t b = 0; b < conditions.size(); ++b) {
          if (conditions[b].Holds(score)) counts.Add(slot_of[i], b);
        }
      }
    }
    row = WriteBlock(grid, row, title, key + kWholeBand, {}, labels, class_slots, counts);
  }
  return row;
}

}  // namespace

model::Grid HeadcountStatistics(model::ProgramState& state) {
  model::Grid grid;
  std::vector<std::string> subjects;
  for (const std::string& row : state.CountConditionRows) {
    std::string s = model::FieldAt(row, '$', 2);
    if (std::find(subjects.begin(), subjects.end(), s) == subjects.end()) {
      subjects.push_back(std::move(s));
    }
  }
  const std::size_t ranges = std::min(state.ClassRangeRows.size(), state.RangeSets.size());
  std::size_t row = 0;
  for (std::size_t r = 0; r < ranges; ++r) {
    // Every later range starts on the third row below the last one.
    if (r > 0) row += 2;
    row = WriteRange(state, r, row, subjects, grid);
  }
  return grid;
}

}  // namespace tessaly::stats
