#pragma once
// The one answer to "would this move or exchange break a rule the teacher
// set?" that every mover asks: pins (a preset class), namesakes (asked by
// the movers of their own measures) and the keep-apart / keep-together
// groups. A guard knows the groups as positions of one list of students (a
// range set, or every range set one after the other); where each student is
// comes from the mover, so the same guard serves the placement as the range
// set holds it and a search's own copy of it.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/program_state.h"
#include "model/records.h"
#include "model/student_groups.h"

namespace tessaly::engine {

class GroupGuard {
 public:
  struct Group {
    model::GroupKind kind = model::GroupKind::kApart;
    std::int32_t row = 0;               // its row in GroupRows
    std::vector<std::int32_t> members;  // positions, ascending
  };

  GroupGuard() = default;
  // The groups of `groups` over the students numbers[0..]: a number not in
  // the list is left out, and so is a group with fewer than two students in
  // it (nothing to keep there).
  GroupGuard(const std::vector<model::StudentGroup>& groups,
             const std::vector<std::string>& numbers);

  // Over the students of one range set, by position.
  static GroupGuard ForSet(const model::ProgramState& state, const model::Student_F& set);
  // The same for groups read once (RuleBook::groups).
  static GroupGuard ForSet(const std::vector<model::StudentGroup>& groups,
                           const model::Student_F& set);

  bool Empty() const { return groups_.empty(); }
  const std::vector<Group>& Groups() const { return groups_; }
  // The groups (indices into Groups()) a student stands in.
  std::span<const std::int32_t> GroupsOf(std::int32_t pos) const {
    if (groups_.empty()) return {};
    return {of_.data() + start_[pos], of_.data() + start_[pos + 1]};
  }

  // Whether a group holds where `class_of(position)` puts its students
  // (a class below 0: not placed, which keeps no group apart or together).
  template <typename ClassOf>
  bool Holds(const Group& g, const ClassOf& class_of) const {
    const std::int32_t first = class_of(g.members[0]);
    for (std::size_t i = 1; i < g.members.size(); ++i) {
      const std::int32_t c = class_of(g.members[i]);
      if (g.kind == model::GroupKind::kTogether) {
        if (c != first) return false;
      } else {
        for (std::size_t j = 0; j < i; ++j) {
          if (c >= 0 && class_of(g.members[j]) == c) return false;
        }
      }
    }
    return true;
  }

  // Whether moving the student at `a` to class `to_a` and, when b >= 0, the
  // one at `b` to class `to_b` keeps the groups: a keep-together group that
  // held still holds, and no keep-apart group gains a second student in a
  // class. Every other student stays in class_of's class. With `broken`,
  // every group that the moves break is added to it (indices into Groups());
  // otherwise the answer comes at the first.
  template <typename ClassOf>
  bool Allows(std::int32_t a, std::int32_t to_a, std::int32_t b, std::int32_t to_b,
              const ClassOf& class_of, std::vector<std::int32_t>* broken = nullptr) const {
    if (groups_.empty()) return true;
    bool ok = true;
    auto after = [&](std::int32_t p) { return p == a ? to_a : (p == b ? to_b : class_of(p)); };
    for (std::int32_t who : {a, b}) {
      if (who < 0) continue;
      const std::int32_t to = who == a ? to_a : to_b;
      for (std::int32_t gi : GroupsOf(who)) {
        const Group& g = groups_[gi];
        if (who == b && a >= 0 && Contains(g, a)) continue;  // seen with a
        bool breaks = false;
        if (g.kind == model::GroupKind::kTogether) {
          if (Holds(g, class_of) && !Holds(g, after)) breaks = true;
        } else {
          for (std::int32_t m : g.members) {
            if (m == a || m == b) continue;
            if (class_of(m) == to) breaks = true;
          }
          if (b >= 0 && who == a && Contains(g, b) && to_a == to_b) breaks = true;
        }
        if (breaks) {
          ok = false;
          if (broken == nullptr) return false;
          broken->push_back(gi);
        }
      }
    }
    return ok;
  }

  // True when the student cannot move alone: a keep-together group he
  // stands in holds with him.
  template <typename ClassOf>
  bool Bound(std::int32_t pos, const ClassOf& class_of) const {
    for (std::int32_t gi : GroupsOf(pos)) {
      const Group& g = groups_[gi];
      if (g.kind == model::GroupKind::kTogether && Holds(g, class_of)) return true;
    }
    return false;
  }

 private:
  // The position of every number the groups name (-1: not among them).
  using Positions = std::unordered_map<std::string_view, std::int32_t>;
  GroupGuard(const std::vector<model::StudentGroup>& groups, const Positions& where,
             std::size_t count);
  // The first position of every number the groups name among `count`
  // students, number_at(i) the number of the student at i.
  template <typename NumberAt>
  static Positions FirstPositions(const std::vector<model::StudentGroup>& groups, std::size_t count,
                                  const NumberAt& number_at);
  friend struct DivisionGroups;

  static bool Contains(const Group& g, std::int32_t p);

  std::vector<Group> groups_;
  std::vector<std::int32_t> start_;  // per position + 1: where its groups start in of_
  std::vector<std::int32_t> of_;
};

// The class of every student of a range set, as a guard asks it.
struct AssignedClassOf {
  const model::Student_F* set;
  std::int32_t operator()(std::int32_t pos) const { return set->Students[pos].AssignedClass; }
};

// The groups over every range set, one after the other, with the classes
// as the division stands: what a move between ranges asks.
struct DivisionGroups {
  explicit DivisionGroups(const model::ProgramState& state);
  // The position of student `pos` of range set r.
  std::int32_t At(std::size_t r, std::int32_t pos) const { return offset[r] + pos; }
  // The rows of GroupRows that moving a (and b when >= 0) would break,
  // ascending (GroupGuard::Allows).
  std::vector<std::int32_t> Broken(std::int32_t a, std::int32_t to_a, std::int32_t b,
                                   std::int32_t to_b) const;

  GroupGuard guard;
  std::vector<std::int32_t> offset;   // per range set: where its students start
  std::vector<std::int32_t> classes;  // AssignedClass per student
};

// The groups of GroupRows that the division as it stands breaks (indices
// into GroupRows, ascending): a keep-together group whose placed students
// are not all in one class, a keep-apart group with two placed students in
// one class. Students not placed, or not in any range set, are left out.
std::vector<std::int32_t> BrokenGroups(const model::ProgramState& state);

// The name shown beside a student number: the first student of that number
// in the range sets, else in the imported tables; empty when none.
std::string NameOfNumber(const model::ProgramState& state, const std::string& number);

// DescribeGroup of row `row` of GroupRows, with the names of the state.
std::string DescribeGroupRow(const model::ProgramState& state, std::int32_t row);

}  // namespace tessaly::engine
