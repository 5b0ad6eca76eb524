#include "engine/roster.h"

#include <algorithm>
#include <map>
#include <vector>

#include "model/number_format.h"
#include "model/records.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::engine {

namespace {

const model::BiaoTi* HeadingsOf(const model::ProgramState& state) {
  if (state.RangeSets.empty()) {
    for (const auto& t : state.ImportedSets) return &t.Headings;
    return nullptr;
  }
  return &state.RangeSets.front().Headings;
}

}  // namespace

model::Grid ClassRoster(const model::ProgramState& state, std::optional<std::int32_t> class_id) {
  static const std::string kSeq = "序号"_gb, kNumber = "学号"_gb, kName = "姓名"_gb,
                           kGender = "性别"_gb, kTotal = "总分"_gb, kRank = "名次"_gb,
                           kNewClass = "新分班级"_gb;
  model::Grid grid;
  std::vector<std::string> heading{kSeq, kNumber, kName, kGender};
  const model::BiaoTi* h = HeadingsOf(state);
  std::size_t subjects = 0, balances = 0;
  if (h != nullptr) {
    subjects = h->SubjectHeadings.size();
    balances = h->BalanceHeadings.size();
    heading.insert(heading.end(), h->SubjectHeadings.begin(), h->SubjectHeadings.end());
  }
  heading.push_back(kTotal);
  heading.push_back(kRank);
  if (h != nullptr) {
    heading.insert(heading.end(), h->BalanceHeadings.begin(), h->BalanceHeadings.end());
  }
  heading.push_back(kNewClass);
  grid.rows.push_back(std::move(heading));

  // The order of the classes: as the class list names them; unplaced
  // students and classes outside every range come last.
  std::map<std::int32_t, std::size_t> class_order;
  for (const auto& row : state.ClassRangeRows) {
    for (std::int32_t id : model::ClassIds(model::FieldAt(row, '|', 4))) {
      class_order.emplace(id, class_order.size());
    }
  }
  struct Entry {
    std::size_t order;
    const model::student* s;
  };
  std::vector<Entry> entries;
  for (const auto& set : state.RangeSets) {
    for (const auto& s : set.Students) {
      if (class_id && s.AssignedClass != *class_id) continue;
      auto it = class_order.find(s.AssignedClass);
      std::size_t order = it != class_order.end() ? it->second : class_order.size();
      if (s.AssignedClass < 0) order = class_order.size() + 1;
      entries.push_back({order, &s});
    }
  }
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    if (a.order != b.order) return a.order < b.order;
    if (a.s->AssignedClass != b.s->AssignedClass) return a.s->AssignedClass < b.s->AssignedClass;
    return a.s->Total > b.s->Total;
  });
  std::size_t seq = 0;
  for (const auto& e : entries) {
    const model::student& s = *e.s;
    std::vector<std::string> row{std::to_string(++seq), s.Number, s.Name, s.Gender};
    for (std::size_t j = 0; j < subjects; ++j) {
      row.push_back(j < s.Scores.size() ? model::FormatNumber(s.Scores[j]) : std::string());
    }
    row.push_back(model::FormatNumber(s.Total));
    row.push_back(std::to_string(s.Rank));
    for (std::size_t j = 0; j < balances; ++j) {
      row.push_back(j < s.BalanceValues.size() ? s.BalanceValues[j] : std::string());
    }
    row.push_back(s.AssignedClass >= 0 ? std::to_string(s.AssignedClass) : std::string());
    grid.rows.push_back(std::move(row));
  }
  return grid;
}

model::Grid ClassRosterOfItem(const model::ProgramState& state, const std::string& item) {
  static const std::string kAll = "全部学生"_gb, kClass = " 班"_gb;
  if (item == kAll) return ClassRoster(state, std::nullopt);
  if (item.size() > kClass.size() && item.ends_with(kClass)) {
    auto id = model::ParseInteger(item.substr(0, item.size() - kClass.size()));
    if (id && *id >= 0) return ClassRoster(state, *id);
  }
  // Neither the whole grade nor a class: the heading row only.
  return ClassRoster(state, -2);
}

}  // namespace tessaly::engine
