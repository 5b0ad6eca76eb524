#include "engine/group_guard.h"

#include <algorithm>
#include <unordered_map>

namespace tessaly::engine {

template <typename NumberAt>
GroupGuard::Positions GroupGuard::FirstPositions(const std::vector<model::StudentGroup>& groups,
                                                 std::size_t count, const NumberAt& number_at) {
  Positions where;
  for (const model::StudentGroup& g : groups) {
    for (const std::string& n : g.numbers) where.emplace(n, -1);
  }
  // Only the named students are looked up, and the look-up ends once every
  // one of them is found.
  std::size_t left = where.size();
  for (std::size_t i = 0; i < count && left > 0; ++i) {
    auto it = where.find(number_at(i));
    if (it != where.end() && it->second < 0) {
      it->second = static_cast<std::int32_t>(i);
      --left;
    }
  }
  return where;
}

GroupGuard::GroupGuard(const std::vector<model::StudentGroup>& groups,
                       const std::vector<std::string>& numbers)
    : GroupGuard(groups,
                 FirstPositions(groups, numbers.size(),
                                [&](std::size_t i) -> const std::string& { return numbers[i]; }),
                 numbers.size()) {}

GroupGuard::GroupGuard(const std::vector<model::StudentGroup>& groups, const Positions& where,
                       std::size_t count) {
  if (groups.empty()) return;
  for (std::size_t row = 0; row < groups.size(); ++row) {
    Group g;
    g.kind = groups[row].kind;
    g.row = static_cast<std::int32_t>(row);
    for (const std::string& n : groups[row].numbers) {
      auto it = where.find(n);
      if (it != where.end() && it->second >= 0) g.members.push_back(it->second);
    }
    std::sort(g.members.begin(), g.members.end());
    g.members.erase(std::unique(g.members.begin(), g.members.end()), g.members.end());
    if (g.members.size() >= 2) groups_.push_back(std::move(g));
  }
  if (groups_.empty()) return;
  start_.assign(count + 1, 0);
  for (const Group& g : groups_) {
    for (std::int32_t m : g.members) ++start_[m + 1];
  }
  for (std::size_t i = 1; i < start_.size(); ++i) start_[i] += start_[i - 1];
  of_.resize(static_cast<std::size_t>(start_.back()));
  std::vector<std::int32_t> fill(start_.begin(), start_.end() - 1);
  for (std::size_t gi = 0; gi < groups_.size(); ++gi) {
    for (std::int32_t m : groups_[gi].members) of_[fill[m]++] = static_cast<std::int32_t>(gi);
  }
}

GroupGuard GroupGuard::ForSet(const model::ProgramState& state, const model::Student_F& set) {
  if (state.GroupRows.empty()) return {};
  return ForSet(model::ReadGroupRows(state.GroupRows), set);
}

GroupGuard GroupGuard::ForSet(const std::vector<model::StudentGroup>& groups,
                              const model::Student_F& set) {
  if (groups.empty()) return {};
  const auto& st = set.Students;
  auto number_at = [&](std::size_t i) -> const std::string& { return st[i].Number; };
  return GroupGuard(groups, FirstPositions(groups, st.size(), number_at), st.size());
}

bool GroupGuard::Contains(const Group& g, std::int32_t p) {
  return std::binary_search(g.members.begin(), g.members.end(), p);
}

DivisionGroups::DivisionGroups(const model::ProgramState& state) {
  if (state.GroupRows.empty()) return;
  std::vector<const model::student*> students;
  for (const model::Student_F& set : state.RangeSets) {
    offset.push_back(static_cast<std::int32_t>(students.size()));
    for (const model::student& s : set.Students) {
      students.push_back(&s);
      classes.push_back(s.AssignedClass);
    }
  }
  const auto groups = model::ReadGroupRows(state.GroupRows);
  auto number_at = [&](std::size_t i) -> const std::string& { return students[i]->Number; };
  guard = GroupGuard(groups, GroupGuard::FirstPositions(groups, students.size(), number_at),
                     students.size());
}

std::vector<std::int32_t> DivisionGroups::Broken(std::int32_t a, std::int32_t to_a, std::int32_t b,
                                                 std::int32_t to_b) const {
  std::vector<std::int32_t> broken;
  guard.Allows(
      a, to_a, b, to_b, [&](std::int32_t p) { return classes[p]; }, &broken);
  for (std::int32_t& g : broken) g = guard.Groups()[g].row;
  std::sort(broken.begin(), broken.end());
  broken.erase(std::unique(broken.begin(), broken.end()), broken.end());
  return broken;
}

std::vector<std::int32_t> BrokenGroups(const model::ProgramState& state) {
  std::vector<std::int32_t> broken;
  if (state.GroupRows.empty()) return broken;
  const DivisionGroups all(state);
  const GroupGuard& guard = all.guard;
  const std::vector<std::int32_t>& classes = all.classes;
  for (const GroupGuard::Group& g : guard.Groups()) {
    // Students not yet placed neither keep nor break a group.
    GroupGuard::Group placed = g;
    std::erase_if(placed.members, [&](std::int32_t m) { return classes[m] < 0; });
    if (placed.members.size() < 2) continue;
    if (!guard.Holds(placed, [&](std::int32_t p) { return classes[p]; })) broken.push_back(g.row);
  }
  return broken;
}

std::string NameOfNumber(const model::ProgramState& state, const std::string& number) {
  for (const auto* sets : {&state.RangeSets, &state.ImportedSets}) {
    for (const model::Student_F& set : *sets) {
      for (const model::student& s : set.Students) {
        if (s.Number == number) return s.Name;
      }
    }
  }
  return {};
}

std::string DescribeGroupRow(const model::ProgramState& state, std::int32_t row) {
  return model::DescribeGroup(model::ReadGroupRow(state.GroupRows[row]),
                              [&](const std::string& n) { return NameOfNumber(state, n); });
}

}  // namespace tessaly::engine
