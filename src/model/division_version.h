#pragma once
// A version (方案) of a division: the class and the pin of every student of
// every range set, kept under a name the teacher gives, with the time it was
// kept and the division score it had. Versions are values of the program
// state and travel with the division file, so a teacher can go back to the
// variant she liked best or set two variants side by side.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessaly::model {

// Where one student stood: his class and his pin (PresetClass).
struct VersionPlacement {
  std::string Number;
  std::int32_t AssignedClass = -1;
  std::int32_t PresetClass = -1;
  bool operator==(const VersionPlacement&) const = default;
};

// One range set of a version: the range row it belonged to and its students
// in the order of the set.
struct VersionSet {
  std::string RangeRow;
  std::vector<VersionPlacement> Placements;
  bool operator==(const VersionSet&) const = default;
};

struct DivisionVersion {
  std::string Name;              // code page 936, never empty, no "|"
  std::string Time;              // "2026-12-09 08:30", as the teacher's clock gave it
  std::optional<double> Score;   // the division score when it was kept
  std::vector<VersionSet> Sets;  // one per range set
  bool operator==(const DivisionVersion&) const = default;
};

}  // namespace tessaly::model
