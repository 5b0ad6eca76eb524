#include "rules/group_page.h"

#include <algorithm>
#include <unordered_set>

#include "engine/group_guard.h"
#include "platform/encoding.h"

namespace tessaly::rules {
namespace {

// A note as it is stored: valid text on one line.
std::string CleanNote(std::string_view note) {
  std::string text = enc::ValidText(note);
  std::replace(text.begin(), text.end(), '\r', ' ');
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

std::unordered_set<std::string> KnownNumbers(const model::ProgramState& state) {
  std::unordered_set<std::string> known;
  for (const auto* sets : {&state.ImportedSets, &state.RangeSets}) {
    for (const model::Student_F& set : *sets) {
      for (const model::student& s : set.Students) known.insert(s.Number);
    }
  }
  return known;
}

bool SameGroup(model::StudentGroup a, model::StudentGroup b) {
  std::sort(a.numbers.begin(), a.numbers.end());
  std::sort(b.numbers.begin(), b.numbers.end());
  return a.kind == b.kind && a.numbers == b.numbers;
}

bool ValidRow(const model::ProgramState& state, std::int32_t row) {
  return row >= 1 && static_cast<std::size_t>(row) <= state.GroupRows.size();
}

}  // namespace

std::string GroupStudentsText(const model::ProgramState& state, const model::StudentGroup& group) {
  std::string text;
  for (std::size_t i = 0; i < group.numbers.size(); ++i) {
    if (i > 0) text += "、"_gb;
    text += group.numbers[i];
    const std::string name = engine::NameOfNumber(state, group.numbers[i]);
    if (!name.empty()) text += " " + name;
  }
  return text;
}

void RefreshGroupGrid(GroupPage& page, const model::ProgramState& state) {
  page.grid.rows.assign(1, {"类型"_gb, "学生"_gb, "备注"_gb});
  for (const std::string& row : state.GroupRows) {
    const model::StudentGroup g = model::ReadGroupRow(row);
    page.grid.rows.push_back({model::GroupKindText(g.kind), GroupStudentsText(state, g), g.note});
  }
}

bool AddGroup(GroupPage& page, model::ProgramState& state, model::UserPort& user,
              model::GroupKind kind, std::string_view numbers_text, std::string_view note) {
  static const std::string kFew = "一个分班约束至少要有两名学生，约束没有添加。"_gb;
  static const std::string kUnknown = "下列学号在数据表中没有找到，约束没有添加："_gb;
  static const std::string kTwice = "这个分班约束已经有了，没有重复添加。"_gb;
  model::StudentGroup group;
  group.kind = kind;
  group.numbers = model::SplitNumbers(enc::ValidText(numbers_text));
  group.note = CleanNote(note);
  if (group.numbers.size() < 2) {
    user.Warning(kFew);
    return false;
  }
  const auto known = KnownNumbers(state);
  std::string unknown;
  for (const std::string& n : group.numbers) {
    if (known.count(n) == 0) unknown += (unknown.empty() ? "" : "、"_gb) + n;
  }
  if (!unknown.empty()) {
    user.Warning(kUnknown + unknown);
    return false;
  }
  for (const std::string& row : state.GroupRows) {
    if (SameGroup(model::ReadGroupRow(row), group)) {
      user.Warning(kTwice);
      return false;
    }
  }
  state.GroupRows.push_back(model::GroupRow(group));
  RefreshGroupGrid(page, state);
  return true;
}

bool DeleteGroup(GroupPage& page, model::ProgramState& state, std::int32_t row) {
  if (!ValidRow(state, row)) return false;
  state.GroupRows.erase(state.GroupRows.begin() + (row - 1));
  RefreshGroupGrid(page, state);
  return true;
}

bool EditGroupNote(GroupPage& page, model::ProgramState& state, std::int32_t row,
                   std::string_view note) {
  if (!ValidRow(state, row)) return false;
  model::StudentGroup g = model::ReadGroupRow(state.GroupRows[row - 1]);
  g.note = CleanNote(note);
  state.GroupRows[row - 1] = model::GroupRow(g);
  RefreshGroupGrid(page, state);
  return true;
}

}  // namespace tessaly::rules
