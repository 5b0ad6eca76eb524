#pragma once
// The one body of program state: the imported tables, the working sets of a
// division, the import mode and the rule lists. Commands receive it by
// reference; a command that can fail builds a new value and swaps it in, so a
// failure leaves the state as it was.

#include <cstdint>
#include <vector>

#include "model/division_version.h"
#include "model/records.h"
#include "model/rule_lists.h"

namespace tessaly::model {

struct ProgramState {
  // Imported tables. Single-table mode: slot 0. Combine mode: slots 1..N are
  // the imported tables, slot 0 the combined set rebuilt by every division.
  std::vector<Student_F> ImportedSets;
  // One working set per row of ClassRangeRows, built by the division.
  std::vector<Student_F> RangeSets;
  std::int32_t NextSetSlot = 0;
  bool CombineMode = false;
  std::int32_t ExpectedSetCount = 0;
  bool DivisionStarted = false;
  bool ShowPresetClass = true;

  RuleList InitialSoundPairs;
  RuleList FinalSoundPairs;
  RuleList ClassRangeRows;
  RuleList BandConditionRows;
  RuleList BalanceItemRows;
  RuleList CountConditionRows;
  RuleList SameNameRows;
  // The teacher's keep-apart and keep-together groups (model/student_groups.h).
  RuleList GroupRows;
  // The versions kept of the division, in the order they were first kept.
  std::vector<DivisionVersion> Versions;

  bool operator==(const ProgramState&) const = default;
};

}  // namespace tessaly::model
