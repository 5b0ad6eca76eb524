#include "engine/combine.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "model/number_format.h"
#include "model/rule_lists.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::engine {
namespace {

// The combined slot 0 of combine mode, built from the tables of slots 1 on.
// False when no table is marked as main table.
bool BuildCombined(const model::ProgramState& state, model::Student_F& out) {
  static const std::string kCombinedSuffix = "(折合)"_gb;
  const auto& sets = state.ImportedSets;
  std::size_t main = 0;
  for (std::size_t i = 1; i < sets.size(); ++i) {
    if (sets[i].IsMainTable) {
      main = i;
      break;
    }
  }
  if (main == 0) return false;
  const model::Student_F& m = sets[main];

  model::Student_F combined;
  combined.StudentCount = m.StudentCount;
  combined.TableName = m.TableName + kCombinedSuffix;
  combined.Headings = m.Headings;
  combined.WeightPercent = 100;
  combined.IsMainTable = false;
  const std::size_t subjects = m.Headings.SubjectHeadings.size();
  const double main_weight = m.WeightPercent / 100.0;
  combined.Students.reserve(m.Students.size());
  for (const model::student& ms : m.Students) {
    model::student s;
    s.Number = enc::CutToBytes(ms.Number, model::kNumberBytes);
    s.Name = enc::CutToBytes(ms.Name, model::kNameBytes);
    s.Gender = enc::CutToBytes(ms.Gender, model::kGenderBytes);
    s.PresetClass = ms.PresetClass;
    s.AssignedClass = ms.AssignedClass;
    s.Rank = ms.Rank;
    s.Scores.assign(subjects, 0.0);
    for (std::size_t j = 0; j < subjects && j < ms.Scores.size(); ++j) {
      s.Scores[j] = main_weight * ms.Scores[j];
    }
    s.BalanceValues = ms.BalanceValues;
    s.BalanceValues.resize(m.Headings.BalanceHeadings.size());
    s.ExtraValues = ms.ExtraValues;
    s.ExtraValues.resize(m.Headings.ExtraHeadings.size());
    combined.Students.push_back(std::move(s));
  }

  // Reference tables in slot order: each adds its weighted scores to the
  // students it shares a number with (its first student of that number).
  for (std::size_t t = 1; t < sets.size(); ++t) {
    if (t == main) continue;
    const model::Student_F& ref = sets[t];
    std::vector<std::ptrdiff_t> map(subjects, -1);
    for (std::size_t j = 0; j < subjects; ++j) {
      const auto& h = ref.Headings.SubjectHeadings;
      auto it = std::find(h.begin(), h.end(), m.Headings.SubjectHeadings[j]);
      if (it != h.end()) map[j] = it - h.begin();
    }
    std::unordered_map<std::string, std::size_t> first_of;
    first_of.reserve(ref.Students.size());
    for (std::size_t i = 0; i < ref.Students.size(); ++i) {
      first_of.emplace(ref.Students[i].Number, i);
    }
    const double weight = ref.WeightPercent / 100.0;
    for (model::student& s : combined.Students) {
      auto found = first_of.find(s.Number);
      if (found == first_of.end()) continue;
      const model::student& rs = ref.Students[found->second];
      for (std::size_t j = 0; j < subjects; ++j) {
        if (map[j] < 0 || static_cast<std::size_t>(map[j]) >= rs.Scores.size()) continue;
        s.Scores[j] += weight * rs.Scores[map[j]];
      }
    }
  }
  for (model::student& s : combined.Students) {
    s.Total = 0;
    for (double v : s.Scores) s.Total += v;
  }
  model::RankStudents(combined.Students);
  out = std::move(combined);
  return true;
}

// What the range rows read of every slot-0 student, computed once.
struct MemberKeys {
  std::vector<std::string> preset_text;  // PresetClass in decimal ("-1" without)
  std::vector<std::int32_t> number_key;  // FirstInteger of Number
  std::vector<std::string> taken_key;    // Number with Latin letters in upper case
  std::vector<double> total;             // Total as its 15-digit text reads back
};

MemberKeys ReadMemberKeys(const model::Student_F& slot0) {
  MemberKeys k;
  for (const model::student& s : slot0.Students) {
    k.preset_text.push_back(std::to_string(s.PresetClass));
    k.number_key.push_back(model::FirstInteger(s.Number));
    k.taken_key.push_back(model::ToUpperLatin(s.Number));
    k.total.push_back(model::ReadBack(s.Total));
  }
  return k;
}

// The students of slot 0 that range row `row` takes, as positions in slot 0,
// in descending order of total read back from its text (stable).
std::vector<std::size_t> RangeMembers(const model::Student_F& slot0, const MemberKeys& keys,
                                      std::string_view row,
                                      std::unordered_set<std::string>& taken) {
  static const std::string kByNumber = "按学号"_gb, kByRank = "按名次"_gb;
  model::RangeRow rr = model::ReadRangeRow(row);
  const bool by_number = rr.type == kByNumber;
  const bool by_rank = rr.type == kByRank;
  std::vector<std::size_t> members;
  if (!by_number && !by_rank) return members;
  // The items of the id list, as ListContains reads them.
  std::vector<std::string> items;
  const std::int32_t item_count = model::CountChar(rr.class_ids, ',');
  for (std::int32_t i = 1; i <= item_count; ++i) {
    items.push_back(model::FieldAt(rr.class_ids, ',', i));
  }
  for (std::size_t i = 0; i < slot0.Students.size(); ++i) {
    const model::student& s = slot0.Students[i];
    bool qualifies = std::find(items.begin(), items.end(), keys.preset_text[i]) != items.end();
    if (!qualifies && s.PresetClass < 0) {
      const std::int32_t key = by_number ? keys.number_key[i] : s.Rank;
      qualifies = rr.low <= key && key <= rr.high;
    }
    if (!qualifies) continue;
    if (taken.count(keys.taken_key[i]) != 0) continue;
    members.push_back(i);
  }
  // Inserting each student in front of the first entry with a smaller total
  // keeps the list non-increasing with equal totals in slot order: a stable
  // sort by the totals as their text reads back.
  std::stable_sort(members.begin(), members.end(),
                   [&](std::size_t a, std::size_t b) { return keys.total[a] > keys.total[b]; });
  for (std::size_t i : members) taken.insert(keys.taken_key[i]);
  return members;
}

}  // namespace

void CopyHeader(const model::Student_F& source, model::Student_F& target) {
  target.StudentCount = source.StudentCount;
  target.TableName = source.TableName;
  target.Headings = source.Headings;
  target.WeightPercent = source.WeightPercent;
  target.IsMainTable = source.IsMainTable;
}

bool CombineScores(model::ProgramState& state) {
  if (!state.CombineMode) return true;
  model::Student_F combined;
  if (!BuildCombined(state, combined)) return false;
  state.ImportedSets[0] = std::move(combined);
  return true;
}

bool BuildRangeSets(model::ProgramState& state) {
  if (state.ImportedSets.empty()) return false;
  model::Student_F slot0;
  if (state.CombineMode) {
    if (!BuildCombined(state, slot0)) return false;
  } else {
    slot0 = state.ImportedSets[0];
    model::RankStudents(slot0.Students);
  }

  std::vector<model::Student_F> range_sets(state.ClassRangeRows.size());
  std::unordered_set<std::string> taken;
  const MemberKeys keys = ReadMemberKeys(slot0);
  for (std::size_t r = 0; r < state.ClassRangeRows.size(); ++r) {
    model::Student_F& set = range_sets[r];
    CopyHeader(slot0, set);
    std::vector<std::size_t> members = RangeMembers(slot0, keys, state.ClassRangeRows[r], taken);
    set.Students.reserve(members.size());
    for (std::size_t i : members) {
      set.Students.push_back(slot0.Students[i]);
      // A division starts from nobody placed, even when the tables carry
      // classes (a division file written elsewhere may store them).
      set.Students.back().AssignedClass = -1;
    }
    set.StudentCount = static_cast<std::int32_t>(set.Students.size());
  }
  state.ImportedSets[0] = std::move(slot0);
  state.RangeSets = std::move(range_sets);
  return true;
}

}  // namespace tessaly::engine
