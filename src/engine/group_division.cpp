#include "engine/group_division.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <unordered_map>

#include "engine/group_cliques.h"
#include "engine/group_guard.h"
#include "model/student_groups.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::engine {

namespace {

// Where a student of a range set stands.
struct Seat {
  std::int32_t range = -1;
  std::int32_t pos = -1;
};

// Joins the students that keep-together groups join, over every range set.
struct Units {
  std::vector<std::int32_t> parent;
  std::int32_t Root(std::int32_t i) {
    while (parent[i] != i) i = parent[i] = parent[parent[i]];
    return i;
  }
  void Join(std::int32_t a, std::int32_t b) { parent[Root(a)] = Root(b); }
};

// Keep-apart rules chained over several groups: the keep-together units of
// one range that must pairwise be in different classes, more of them than
// the range has classes (engine/group_cliques.h). Every group that makes
// such a clique gets a reason, unless it has one already: the keep-apart
// groups of its pairs and the keep-together groups that join its units.
template <typename ClassCount>
void ChainedApart(const std::vector<model::StudentGroup>& groups,
                  const std::vector<std::vector<std::int32_t>>& members,
                  const std::vector<Seat>& seats, Units& units, const ClassCount& class_count,
                  std::vector<std::string>& why_of) {
  static const std::string kChained = "与其他约束连起来，须互不同班的学生多于所在区间的班级个数"_gb;
  // A unit that spans ranges cannot be kept anyway and is left out.
  const auto n = static_cast<std::int32_t>(seats.size());
  std::vector<char> spans(static_cast<std::size_t>(n), 0);
  for (std::int32_t s = 0; s < n; ++s) {
    if (seats[s].range != seats[units.Root(s)].range) spans[units.Root(s)] = 1;
  }
  std::map<std::int32_t, std::vector<std::int32_t>> nodes;  // range -> its units (roots)
  std::map<std::pair<std::int32_t, std::int32_t>, std::vector<std::int32_t>> pairs;  // -> groups
  for (std::size_t g = 0; g < groups.size(); ++g) {
    if (groups[g].kind != model::GroupKind::kApart) continue;
    const auto& m = members[g];
    for (std::size_t i = 0; i < m.size(); ++i) {
      for (std::size_t j = i + 1; j < m.size(); ++j) {
        std::int32_t a = units.Root(m[i]), b = units.Root(m[j]);
        if (a == b || spans[a] || spans[b] || seats[a].range != seats[b].range) continue;
        if (a > b) std::swap(a, b);
        pairs[{a, b}].push_back(static_cast<std::int32_t>(g));
        nodes[seats[a].range].push_back(a);
        nodes[seats[a].range].push_back(b);
      }
    }
  }
  for (auto& [r, list] : nodes) {
    const std::int32_t c = class_count(r);
    if (c < 2) continue;  // one group alone is too many for such a range
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
    auto local = [&](std::int32_t root) {
      return static_cast<std::int32_t>(std::lower_bound(list.begin(), list.end(), root) -
                                       list.begin());
    };
    std::vector<std::vector<std::int32_t>> adjacent(list.size());
    for (const auto& [pair, by] : pairs) {
      if (seats[pair.first].range != r) continue;
      adjacent[local(pair.first)].push_back(local(pair.second));
      adjacent[local(pair.second)].push_back(local(pair.first));
    }
    for (auto& a : adjacent) {
      std::sort(a.begin(), a.end());
      a.erase(std::unique(a.begin(), a.end()), a.end());
    }
    const std::vector<std::int32_t> clique = CliqueLargerThan(adjacent, c);
    if (clique.empty()) continue;
    std::vector<std::int32_t> roots;
    for (std::int32_t v : clique) roots.push_back(list[v]);
    auto in_clique = [&](std::int32_t s) {
      return std::binary_search(roots.begin(), roots.end(), units.Root(s));
    };
    std::vector<char> named(groups.size(), 0);
    for (std::size_t i = 0; i < roots.size(); ++i) {
      for (std::size_t j = i + 1; j < roots.size(); ++j) {
        for (std::int32_t g : pairs[{roots[i], roots[j]}]) named[g] = 1;
      }
    }
    for (std::size_t g = 0; g < groups.size(); ++g) {
      if (groups[g].kind == model::GroupKind::kTogether && members[g].size() >= 2 &&
          in_clique(members[g][0])) {
        named[g] = 1;
      }
      if (named[g] && why_of[g].empty()) why_of[g] = kChained;
    }
  }
}

}  // namespace

std::optional<std::string> GroupConflicts(const model::ProgramState& state) {
  if (state.GroupRows.empty()) return std::nullopt;
  static const std::string kHead = "分班约束无法全部满足，没有分班："_gb;
  static const std::string kSpan = "同班的学生不在同一个分班区间"_gb;
  static const std::string kPresets = "同班的学生预设了不同的班级"_gb;
  static const std::string kSize = "同班的学生多于一个班的人数"_gb;
  static const std::string kTooMany = "不同班的学生多于所在区间的班级个数"_gb;
  static const std::string kSamePreset = "不同班的学生中有两名预设在同一个班"_gb;
  static const std::string kJoined = "不同班的学生中有两名被同班约束连在一起"_gb;

  // Only the students the groups name are seated: the first student of each
  // such number over the range sets, in their order.
  const auto groups = model::ReadGroupRows(state.GroupRows);
  std::unordered_map<std::string_view, std::int32_t> index;
  for (const auto& g : groups) {
    for (const std::string& n : g.numbers) index.emplace(n, -1);
  }
  std::vector<Seat> seats;
  std::size_t left = index.size();
  for (std::size_t r = 0; r < state.RangeSets.size() && left > 0; ++r) {
    const auto& st = state.RangeSets[r].Students;
    for (std::size_t i = 0; i < st.size() && left > 0; ++i) {
      auto it = index.find(st[i].Number);
      if (it == index.end() || it->second >= 0) continue;
      it->second = static_cast<std::int32_t>(seats.size());
      seats.push_back({static_cast<std::int32_t>(r), static_cast<std::int32_t>(i)});
      --left;
    }
  }
  auto preset = [&](std::int32_t s) {
    return state.RangeSets[seats[s].range].Students[seats[s].pos].PresetClass;
  };
  auto class_count = [&](std::int32_t r) {
    return static_cast<std::size_t>(r) < state.ClassRangeRows.size()
               ? model::FirstInteger(model::FieldAt(state.ClassRangeRows[r], '|', 3))
               : 0;
  };
  std::vector<std::vector<std::int32_t>> members(groups.size());
  Units units{std::vector<std::int32_t>(seats.size())};
  std::iota(units.parent.begin(), units.parent.end(), 0);
  for (std::size_t g = 0; g < groups.size(); ++g) {
    for (const std::string& n : groups[g].numbers) {
      auto it = index.find(n);
      if (it != index.end() && it->second >= 0) members[g].push_back(it->second);
    }
    if (groups[g].kind == model::GroupKind::kTogether) {
      for (std::size_t i = 1; i < members[g].size(); ++i) units.Join(members[g][0], members[g][i]);
    }
  }
  // The preset classes of every unit, and its size.
  std::vector<std::vector<std::int32_t>> unit_presets(seats.size());
  std::vector<std::int32_t> unit_size(seats.size(), 0);
  for (std::size_t s = 0; s < seats.size(); ++s) {
    const std::int32_t root = units.Root(static_cast<std::int32_t>(s));
    ++unit_size[root];
    const std::int32_t p = preset(static_cast<std::int32_t>(s));
    auto& list = unit_presets[root];
    if (p >= 0 && std::find(list.begin(), list.end(), p) == list.end()) list.push_back(p);
  }

  std::vector<std::string> why_of(groups.size());
  for (std::size_t g = 0; g < groups.size(); ++g) {
    const auto& m = members[g];
    if (m.size() < 2) continue;
    std::string& why = why_of[g];
    if (groups[g].kind == model::GroupKind::kTogether) {
      const std::int32_t r = seats[m[0]].range;
      const bool span =
          std::any_of(m.begin(), m.end(), [&](std::int32_t s) { return seats[s].range != r; });
      const std::int32_t root = units.Root(m[0]);
      const std::int32_t c = class_count(r);
      const auto size = static_cast<std::int32_t>(state.RangeSets[r].Students.size());
      const std::int32_t per_class = c > 0 ? (size + c - 1) / c : 0;
      if (span) {
        why = kSpan;
      } else if (unit_presets[root].size() > 1) {
        why = kPresets;
      } else if (c > 0 && unit_size[root] > per_class) {
        why = kSize;
      }
    } else {
      std::unordered_map<std::int32_t, std::int32_t> per_range;
      std::vector<std::int32_t> classes, roots;
      for (std::int32_t s : m) {
        ++per_range[seats[s].range];
        const std::int32_t root = units.Root(s);
        if (std::find(roots.begin(), roots.end(), root) != roots.end()) why = kJoined;
        roots.push_back(root);
        const auto& ps = unit_presets[root];
        for (std::int32_t p : ps) {
          if (std::find(classes.begin(), classes.end(), p) != classes.end() && why.empty()) {
            why = kSamePreset;
          }
        }
        classes.insert(classes.end(), ps.begin(), ps.end());
      }
      for (const auto& [r, count] : per_range) {
        if (count > class_count(r)) why = kTooMany;
      }
    }
  }
  ChainedApart(groups, members, seats, units, class_count, why_of);

  std::string lines;
  for (std::size_t g = 0; g < groups.size(); ++g) {
    if (why_of[g].empty()) continue;
    lines += "\n" + DescribeGroupRow(state, static_cast<std::int32_t>(g)) + "："_gb + why_of[g] +
             "。"_gb;
  }
  if (lines.empty()) return std::nullopt;
  return kHead + lines;
}

GroupPlacement::GroupPlacement(const model::ProgramState& state, const model::Student_F& set)
    : GroupPlacement(model::ReadGroupRows(state.GroupRows), set) {}

GroupPlacement::GroupPlacement(const std::vector<model::StudentGroup>& groups,
                               const model::Student_F& set) {
  set_ = &set;
  const GroupGuard guard = GroupGuard::ForSet(groups, set);
  if (guard.Empty()) return;
  const auto n = static_cast<std::int32_t>(set.Students.size());
  Units units{std::vector<std::int32_t>(static_cast<std::size_t>(n))};
  std::iota(units.parent.begin(), units.parent.end(), 0);
  apart_.assign(static_cast<std::size_t>(n), {});
  for (const GroupGuard::Group& g : guard.Groups()) {
    for (std::size_t i = 0; i < g.members.size(); ++i) {
      if (g.kind == model::GroupKind::kTogether) {
        if (i > 0) units.Join(g.members[0], g.members[i]);
        continue;
      }
      for (std::int32_t other : g.members) {
        if (other != g.members[i]) apart_[g.members[i]].push_back(other);
      }
    }
  }
  // Units numbered by their first student, so that UnitOf is the unit's
  // first position. Only students of a group can share a unit or have a
  // partner, so only theirs are listed.
  unit_.assign(static_cast<std::size_t>(n), -1);
  unit_members_.assign(static_cast<std::size_t>(n), {});
  unit_class_.assign(static_cast<std::size_t>(n), -1);
  grouped_.assign(static_cast<std::size_t>(n), 0);
  std::vector<std::int32_t> first(static_cast<std::size_t>(n), -1);
  for (std::int32_t i = 0; i < n; ++i) {
    const std::int32_t root = units.Root(i);
    if (first[root] < 0) first[root] = i;
    unit_[i] = first[root];
    grouped_[i] = guard.GroupsOf(i).empty() ? 0 : 1;
    if (grouped_[i]) unit_members_[unit_[i]].push_back(i);
    const std::int32_t p = set.Students[i].PresetClass;
    if (p >= 0 && unit_class_[unit_[i]] < 0) unit_class_[unit_[i]] = p;
  }
}

std::int32_t GroupPlacement::FixedClass(std::int32_t pos) const {
  const std::int32_t p = set_->Students[pos].PresetClass;
  return p >= 0 || Empty() ? p : unit_class_[unit_[pos]];
}

std::int32_t GroupPlacement::ClassNow(std::int32_t pos) const {
  const std::int32_t placed = set_->Students[pos].AssignedClass;
  return placed >= 0 ? placed : FixedClass(pos);
}

bool GroupPlacement::MayJoin(std::int32_t pos, std::int32_t k) const {
  if (!Grouped(pos)) return true;
  for (std::int32_t m : unit_members_[unit_[pos]]) {
    for (std::int32_t other : apart_[m]) {
      if (ClassNow(other) == k) return false;
    }
  }
  return true;
}

void GroupPlacement::Placed(std::int32_t pos, std::int32_t k) {
  if (Empty()) return;
  std::int32_t& bound = unit_class_[unit_[pos]];
  if (bound < 0) bound = k;
}

}  // namespace tessaly::engine
