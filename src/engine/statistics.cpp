#include "engine/statistics.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "engine/costs.h"
#include "model/rule_lists.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::engine {
namespace {

std::int32_t ClassCountOf(const model::ProgramState& state, std::size_t r) {
  return model::FirstInteger(model::FieldAt(state.ClassRangeRows[r], '|', 3));
}

// The class id of every position 0..class count of range r: position k the
// first integer of the k-th comma-terminated item of field 4. One pass over
// the list. A class count beyond the listed ids (a row edited by hand, which
// the headcounts refuse) gets no position past the ids, so that a huge count
// builds nothing.
std::vector<std::int32_t> PositionIds(const model::ProgramState& state, std::size_t r) {
  const std::string ids = model::FieldAt(state.ClassRangeRows[r], '|', 4);
  const std::int32_t count =
      std::min(std::max(0, ClassCountOf(state, r)), model::CountChar(ids, ','));
  std::vector<std::int32_t> out(count + 1, -1);
  std::size_t start = 0, pos = 0;
  std::int32_t k = 1;
  while (pos < ids.size() && k <= count) {
    const std::size_t len = enc::CharLength(ids, pos);
    if (len == 1 && ids[pos] == ',') {
      out[k++] = model::FirstInteger(std::string_view(ids).substr(start, pos - start));
      start = pos + 1;
    }
    pos += len;
  }
  return out;
}

// Per-class tallies of one feature kind: one vector of counts per distinct
// AssignedClass met, and the whole range's counts.
class ClassTally {
 public:
  explicit ClassTally(std::size_t features) : whole_(features, 0) {}
  void Add(std::int32_t class_number, std::size_t feature, std::int32_t n = 1) {
    whole_[feature] += n;
    auto [it, fresh] = by_class_.try_emplace(class_number);
    if (fresh) it->second.assign(whole_.size(), 0);
    it->second[feature] += n;
  }
  // Counts of a class number; a negative number counts the whole range.
  std::int32_t Count(std::int32_t class_number, std::size_t feature) const {
    if (class_number < 0) return whole_[feature];
    auto it = by_class_.find(class_number);
    return it == by_class_.end() ? 0 : it->second[feature];
  }

 private:
  std::vector<std::int32_t> whole_;
  std::unordered_map<std::int32_t, std::vector<std::int32_t>> by_class_;
};

std::size_t FirstIndex(const std::vector<std::string>& list, std::string_view name) {
  return static_cast<std::size_t>(std::find(list.begin(), list.end(), name) - list.begin());
}

// The headcounts of range r as they stand in RangeSets[r].
AllCountInf CountRange(const model::ProgramState& state, std::size_t r) {
  static const std::string kBoy = "男"_gb, kGirl = "女"_gb, kTotal = "总分"_gb;
  const model::Student_F& set = state.RangeSets[r];
  const std::vector<std::int32_t> ids = PositionIds(state, r);
  const std::size_t positions = ids.size();
  AllCountInf info;

  // Gender.
  ClassTally genders(2);
  for (const model::student& s : set.Students) {
    if (s.Gender == kBoy) genders.Add(s.AssignedClass, 0);
    if (s.Gender == kGirl) genders.Add(s.AssignedClass, 1);
  }
  info.GenderCounts.resize(positions);
  for (std::size_t p = 0; p < positions; ++p) {
    const std::int32_t id = p == 0 ? -1 : ids[p];
    info.GenderCounts[p] = {id, genders.Count(id, 0), genders.Count(id, 1)};
  }

  // Balance values: the values of every heading held by more than one
  // student. Whole-range counts are the tallies of the column itself; class
  // counts are those of the first column of the same heading.
  const auto& headings = set.Headings.BalanceHeadings;
  const BalanceValueTallies tallies = TallyBalanceValues(set);
  std::vector<JHCountInf2> items(headings.size());
  std::vector<std::size_t> feature_base(headings.size(), 0);
  std::vector<std::unordered_map<std::string, std::size_t>> tracked(headings.size());
  std::size_t features = 0;
  for (std::size_t j = 0; j < headings.size(); ++j) {
    items[j].ItemName = headings[j];
    feature_base[j] = features;
    for (const std::string& row : tallies[j]) {
      const std::int32_t count = model::FirstInteger(model::FieldAt(row, '|', 2));
      if (count <= 1) continue;
      const std::string value = model::FieldAt(row, '|', 1);
      tracked[j].emplace(value, items[j].Values.size());
      items[j].Values.push_back({value, count});
      ++features;
    }
  }
  ClassTally values(features);
  for (const model::student& s : set.Students) {
    if (s.AssignedClass < 0) continue;  // only class counts are needed here
    for (std::size_t j = 0; j < headings.size(); ++j) {
      const std::size_t column = FirstIndex(headings, headings[j]);
      if (column >= s.BalanceValues.size()) continue;
      auto it = tracked[j].find(s.BalanceValues[column]);
      if (it != tracked[j].end()) values.Add(s.AssignedClass, feature_base[j] + it->second);
    }
  }
  info.ValueCounts.resize(positions);
  for (std::size_t p = 0; p < positions; ++p) {
    JHCountInf& v = info.ValueCounts[p];
    v.ClassId = p == 0 ? -1 : ids[p];
    v.Items = items;
    if (p == 0) continue;
    for (std::size_t j = 0; j < items.size(); ++j) {
      for (std::size_t i = 0; i < items[j].Values.size(); ++i) {
        v.Items[j].Values[i].Count =
            ids[p] < 0 ? CountBalanceValue(set, headings[j], items[j].Values[i].Value, -1)
                       : values.Count(ids[p], feature_base[j] + i);
      }
    }
  }

  // Count bands: the subjects of this range's count conditions in order of
  // first appearance, each with its conditions in list order.
  const std::string key = model::RangeKey(state.ClassRangeRows[r]);
  std::vector<FSDCountInf> subjects;
  for (const std::string& row : state.CountConditionRows) {
    if (model::FieldAt(row, '$', 1) != key) continue;
    const std::string subject = model::FieldAt(row, '$', 2);
    auto it = std::find_if(subjects.begin(), subjects.end(),
                           [&](const FSDCountInf& f) { return f.Subject == subject; });
    if (it == subjects.end()) {
      subjects.push_back({-1, subject, {}});
      it = subjects.end() - 1;
    }
    it->Bands.push_back({model::FieldAt(row, '$', 3), 0});
  }
  info.BandSubjectCount = static_cast<std::int32_t>(subjects.size());
  std::size_t band_features = 0;
  for (const FSDCountInf& f : subjects) band_features += f.Bands.size();
  ClassTally bands(band_features);
  std::size_t base = 0;
  for (const FSDCountInf& f : subjects) {
    const bool total = f.Subject == kTotal;
    const std::size_t a = FirstIndex(set.Headings.SubjectHeadings, f.Subject);
    const bool found = total || a < set.Headings.SubjectHeadings.size();
    for (std::size_t b = 0; b < f.Bands.size() && found; ++b) {
      for (const model::student& s : set.Students) {
        double score = 0;
        if (total) {
          score = s.Total;
        } else if (a < s.Scores.size()) {
          score = s.Scores[a];
        } else {
          continue;
        }
        if (model::ConditionHolds(f.Bands[b].Condition, score))
          bands.Add(s.AssignedClass, base + b);
      }
    }
    base += f.Bands.size();
  }
  info.BandCounts.resize(positions);
  for (std::size_t p = 0; p < positions; ++p) {
    const std::int32_t id = p == 0 ? -1 : ids[p];
    info.BandCounts[p] = subjects;
    base = 0;
    for (FSDCountInf& f : info.BandCounts[p]) {
      f.ClassId = id;
      for (std::size_t b = 0; b < f.Bands.size(); ++b) f.Bands[b].Count = bands.Count(id, base + b);
      base += f.Bands.size();
    }
  }
  return info;
}

// The averages of range r: the whole set and every class position.
PjInf SummariseRange(const model::ProgramState& state, std::size_t r) {
  PjInf info;
  info.Key = model::RangeKey(state.ClassRangeRows[r]);
  const std::vector<std::int32_t> ids = PositionIds(state, r);
  if (r < state.RangeSets.size()) info.Classes = SummariseClasses(state.RangeSets[r], ids);
  // A range without students keeps empty summaries.
  if (info.Classes.empty()) {
    info.Classes.resize(ids.size());
    for (std::size_t p = 0; p < ids.size(); ++p) info.Classes[p].ClassId = ids[p];
  }
  return info;
}

}  // namespace

std::int32_t ClassIdAt(const model::ProgramState& state, std::size_t r, std::int32_t position) {
  if (r >= state.ClassRangeRows.size() || position <= 0) return -1;
  if (position > ClassCountOf(state, r)) return -1;
  return model::FirstInteger(
      model::FieldAt(model::FieldAt(state.ClassRangeRows[r], '|', 4), ',', position));
}

std::int32_t ClassPosition(const model::ProgramState& state, std::size_t r, std::int32_t class_id) {
  if (r >= state.ClassRangeRows.size()) return -1;
  const std::vector<std::int32_t> ids = PositionIds(state, r);
  for (std::size_t p = 1; p < ids.size(); ++p) {
    if (ids[p] == class_id) return static_cast<std::int32_t>(p);
  }
  return -1;
}

bool RebuildAverageInfo(const model::ProgramState& state, std::vector<PjInf>& average_info) {
  if (state.ClassRangeRows.empty()) return false;
  std::vector<PjInf> out;
  out.reserve(state.ClassRangeRows.size());
  for (std::size_t r = 0; r < state.ClassRangeRows.size(); ++r)
    out.push_back(SummariseRange(state, r));
  average_info = std::move(out);
  return true;
}

bool RebuildCountInfo(const model::ProgramState& state, model::UserPort& user,
                      std::vector<AllCountInf>& count_info) {
  static const std::string kRowsDiffer =
      "请先分班后，再进行此操作。或者您已更改分班类型，需重新分班才能进行此操作。"_gb;
  static const std::string kIdsDiffer =
      "分班数量与班级编号个数不一致。请重新分班或恢复原来的设置！"_gb;
  if (state.RangeSets.empty()) return true;
  if (state.ClassRangeRows.size() != state.RangeSets.size()) {
    user.Warning(kRowsDiffer);
    return false;
  }
  std::vector<AllCountInf> out;
  out.reserve(state.RangeSets.size());
  for (std::size_t r = 0; r < state.RangeSets.size(); ++r) {
    const std::string ids = model::FieldAt(state.ClassRangeRows[r], '|', 4);
    if (model::CountChar(ids, ',') != ClassCountOf(state, r)) {
      user.Warning(kIdsDiffer);
      return false;
    }
    out.push_back(CountRange(state, r));
  }
  count_info = std::move(out);
  return true;
}

bool RebuildStatistics(const model::ProgramState& state, model::UserPort& user,
                       ClassStatistics& stats) {
  ClassStatistics fresh;
  if (!RebuildAverageInfo(state, fresh.AverageInfo)) return false;
  if (!RebuildCountInfo(state, user, fresh.CountInfo)) return false;
  stats = std::move(fresh);
  return true;
}

void RefreshClasses(const model::ProgramState& state, std::size_t r, std::int32_t a, std::int32_t b,
                    ClassStatistics& stats) {
  static const std::string kBoy = "男"_gb, kGirl = "女"_gb, kTotal = "总分"_gb;
  if (r >= state.ClassRangeRows.size() || r >= state.RangeSets.size()) return;
  const model::Student_F& set = state.RangeSets[r];
  const std::vector<std::int32_t> ids = PositionIds(state, r);
  const std::int32_t id_a = ClassIdAt(state, r, a), id_b = ClassIdAt(state, r, b);
  // Every position of a changed class (ids may repeat). A position whose id
  // reads as -1 counts the whole range, which an exchange does not change.
  auto changed = [&](std::size_t p) {
    return p > 0 && ids[p] >= 0 && (ids[p] == id_a || ids[p] == id_b);
  };
  // The students of the two classes, in set order.
  std::vector<const model::student*> in_a, in_b;
  for (const model::student& s : set.Students) {
    if (id_a >= 0 && s.AssignedClass == id_a) in_a.push_back(&s);
    if (id_b >= 0 && s.AssignedClass == id_b) in_b.push_back(&s);
  }

  if (r < stats.AverageInfo.size()) {
    PjInf& info = stats.AverageInfo[r];
    for (std::size_t p = 0; p < ids.size() && p < info.Classes.size(); ++p) {
      if (!changed(p)) continue;
      model::Student_F members;
      members.Students.reserve(1 + (ids[p] == id_a ? in_a.size() : in_b.size()));
      if (!set.Students.empty()) {
        // Entries are sized by the set's first student, who counts only when
        // he is in the class.
        members.Students.push_back(set.Students.front());
        if (members.Students[0].AssignedClass != ids[p]) members.Students[0].Total = 0;
      }
      for (const model::student* s : ids[p] == id_a ? in_a : in_b) {
        if (s != &set.Students.front()) members.Students.push_back(*s);
      }
      info.Classes[p].ClassId = ids[p];
      SummariseClass(members, ids[p], info.Classes[p]);
    }
  }

  if (r >= stats.CountInfo.size()) return;
  AllCountInf& info = stats.CountInfo[r];
  if (info.GenderCounts.size() != ids.size() || info.ValueCounts.size() != ids.size() ||
      info.BandCounts.size() != ids.size()) {
    info = CountRange(state, r);
    return;
  }
  const auto& headings = set.Headings.BalanceHeadings;
  const auto& subjects = set.Headings.SubjectHeadings;
  for (std::size_t p = 1; p < ids.size(); ++p) {
    if (!changed(p)) continue;
    const auto& members = ids[p] == id_a ? in_a : in_b;
    GenderCount& g = info.GenderCounts[p];
    g.Boys = g.Girls = 0;
    for (const model::student* s : members) {
      if (s->Gender == kBoy) ++g.Boys;
      if (s->Gender == kGirl) ++g.Girls;
    }
    for (JHCountInf2& item : info.ValueCounts[p].Items) {
      const std::size_t column = FirstIndex(headings, item.ItemName);
      for (JHCountInf3& v : item.Values) {
        v.Count = 0;
        for (const model::student* s : members) {
          if (column < s->BalanceValues.size() && s->BalanceValues[column] == v.Value) ++v.Count;
        }
      }
    }
    for (FSDCountInf& f : info.BandCounts[p]) {
      const bool total = f.Subject == kTotal;
      const std::size_t column = FirstIndex(subjects, f.Subject);
      for (FSDCountInf2& band : f.Bands) {
        band.Count = 0;
        if (!total && column >= subjects.size()) continue;
        for (const model::student* s : members) {
          if (total) {
            if (model::ConditionHolds(band.Condition, s->Total)) ++band.Count;
          } else if (column < s->Scores.size() &&
                     model::ConditionHolds(band.Condition, s->Scores[column])) {
            ++band.Count;
          }
        }
      }
    }
  }
}

std::int32_t ItemLevel(const model::ProgramState& state, std::string_view name) {
  for (auto it = state.BalanceItemRows.rbegin(); it != state.BalanceItemRows.rend(); ++it) {
    if (model::FieldAt(*it, '|', 1) == name) return model::LevelNumber(model::FieldAt(*it, '|', 2));
  }
  return 3;
}

std::int32_t BandLevel(const model::ProgramState& state, std::string_view range_key,
                       std::string_view subject, std::string_view condition) {
  for (auto it = state.BandConditionRows.rbegin(); it != state.BandConditionRows.rend(); ++it) {
    if (model::FieldAt(*it, '$', 1) == range_key && model::FieldAt(*it, '$', 2) == subject &&
        model::FieldAt(*it, '$', 3) == condition) {
      return model::LevelNumber(model::FieldAt(*it, '$', 4));
    }
  }
  return 3;
}

}  // namespace tessaly::engine
