#include "engine/group_guard.h"

#include <algorithm>
#include <unordered_map>

namespace tessaly::engine {

GroupGuard::GroupGuard(const std::vector<model::StudentGroup>& groups,
                       const std::vector<std::string>& numbers) {
  if (groups.empty()) return;
  std::unordered_map<std::string, std::int32_t> where;
  where.reserve(numbers.size());
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    where.emplace(numbers[i], static_cast<std::int32_t>(i));
  }
  for (std::size_t row = 0; row < groups.size(); ++row) {
    Group g;
    g.kind = groups[row].kind;
    g.row = static_cast<std::int32_t>(row);
    for (const std::string& n : groups[row].numbers) {
      auto it = where.find(n);
      if (it != where.end()) g.members.push_back(it->second);
    }
    std::sort(g.members.begin(), g.members.end());
    g.members.erase(std::unique(g.members.begin(), g.members.end()), g.members.end());
    if (g.members.size() >= 2) groups_.push_back(std::move(g));
  }
  if (groups_.empty()) return;
  start_.assign(numbers.size() + 1, 0);
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
  std::vector<std::string> numbers;
  numbers.reserve(set.Students.size());
  for (const model::student& s : set.Students) numbers.push_back(s.Number);
  return GroupGuard(model::ReadGroupRows(state.GroupRows), numbers);
}

bool GroupGuard::Contains(const Group& g, std::int32_t p) {
  return std::binary_search(g.members.begin(), g.members.end(), p);
}

DivisionGroups::DivisionGroups(const model::ProgramState& state) {
  if (state.GroupRows.empty()) return;
  std::vector<std::string> numbers;
  for (const model::Student_F& set : state.RangeSets) {
    offset.push_back(static_cast<std::int32_t>(numbers.size()));
    for (const model::student& s : set.Students) {
      numbers.push_back(s.Number);
      classes.push_back(s.AssignedClass);
    }
  }
  guard = GroupGuard(model::ReadGroupRows(state.GroupRows), numbers);
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
