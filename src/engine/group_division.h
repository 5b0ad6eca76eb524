#pragma once
// The keep-apart and keep-together groups in the division: the check that
// the groups can be kept at all before anything is placed, and the running
// state that lets the batches place a keep-together group as one unit and
// keep the students of a keep-apart group in different classes.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/program_state.h"
#include "model/records.h"
#include "model/student_groups.h"

namespace tessaly::engine {

// The message that refuses a division whose groups cannot all be kept with
// the range sets as built (one line per group: the group and why); none
// when they can. A keep-together group cannot span ranges, hold two preset
// classes or outgrow a class; a keep-apart group cannot outnumber the
// classes of its range, hold two students preset to one class or two
// students that keep-together groups join. Keep-apart rules chained over
// several groups (three students pairwise apart in a range of two classes,
// directly or through keep-together groups) are refused where a clique of
// them larger than the range's classes is found (engine/group_cliques.h).
std::optional<std::string> GroupConflicts(const model::ProgramState& state);

// The groups of one range set while its batches are placed.
class GroupPlacement {
 public:
  GroupPlacement() = default;
  GroupPlacement(const model::ProgramState& state, const model::Student_F& set);
  // The same for groups read once (RuleBook::groups).
  GroupPlacement(const std::vector<model::StudentGroup>& groups, const model::Student_F& set);

  bool Empty() const { return unit_.empty(); }
  // Whether the student stands in a group (else his unit is himself alone
  // and he has no partner to keep away from).
  bool Grouped(std::int32_t pos) const { return !Empty() && grouped_[pos] != 0; }
  // The class the student must join: his preset class, else the class of
  // his keep-together unit once one of it is placed (or preset); -1 when free.
  std::int32_t FixedClass(std::int32_t pos) const;
  // The first student of the unit among earlier ones: a unit is one
  // candidate of a batch, led by its first student there.
  std::int32_t UnitOf(std::int32_t pos) const { return Empty() ? pos : unit_[pos]; }
  // Whether the student's unit may join class k: no keep-apart partner of
  // any of its students is in k or bound to it.
  bool MayJoin(std::int32_t pos, std::int32_t k) const;
  // Records that the student joined class k: his unit is bound to it.
  void Placed(std::int32_t pos, std::int32_t k);

 private:
  std::int32_t ClassNow(std::int32_t pos) const;

  const model::Student_F* set_ = nullptr;
  std::vector<std::int32_t> unit_;                       // per student: its unit
  std::vector<std::vector<std::int32_t>> unit_members_;  // per unit of grouped students
  std::vector<char> grouped_;                            // per student: stands in a group
  std::vector<std::int32_t> unit_class_;                 // per unit: bound class or -1
  std::vector<std::vector<std::int32_t>> apart_;         // per student: keep-apart partners
};

}  // namespace tessaly::engine
