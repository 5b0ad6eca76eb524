#pragma once
// The commands of the versions (方案) of a division: keep the current
// division under a name, make a kept version the current division again,
// remove one, and set versions side by side with the current division.
// Every command either completes or changes nothing; refusals are shown
// through the user port.

#include <string>
#include <vector>

#include "model/grid.h"
#include "model/program_state.h"
#include "model/user_port.h"

namespace tessaly::stats {

// The version of `name` in the state, or null.
const model::DivisionVersion* FindVersion(const model::ProgramState& state,
                                          const std::string& name);

// "保存为方案": keeps the classes and pins of every range set and the score
// of the current division as version `name` (spaces around it dropped) kept
// at `time`. Refused with a warning without a division or with an empty name
// or one holding "|" or control characters. A name already kept is replaced
// in its place only when the user confirms. True when a version was kept.
bool SaveVersion(model::ProgramState& state, model::UserPort& user, const std::string& name,
                 const std::string& time);

// Whether a version fits the current division: the same range rows and in
// each range set the same students (by number). Only such a version can be
// restored and measured.
bool VersionFits(const model::ProgramState& state, const model::DivisionVersion& version);

// "恢复方案": makes version `name` the current division (classes and pins).
// Refused with a warning when there is no such version or it does not fit
// the current division. True when the range sets were replaced.
bool RestoreVersion(model::ProgramState& state, model::UserPort& user, const std::string& name);

// "删除方案": removes version `name`; a warning when there is none.
bool DeleteVersion(model::ProgramState& state, model::UserPort& user, const std::string& name);

// The number of students of the current division whose class in `version`
// is another or who are missing from it.
std::size_t PlacedDifferently(const model::ProgramState& state,
                              const model::DivisionVersion& version);

// "方案对比": the current division and the named versions side by side, one
// column each after the heading column: the time kept, the score, per range
// the spread of the average total, the widest subject spread and the widest
// headcount spread (as the balance report measures them), and the number of
// students placed differently from the current division. A version that does
// not fit the current division shows "-" for the range figures. Names not
// kept are refused with a warning and give an empty grid.
model::Grid CompareVersions(const model::ProgramState& state, model::UserPort& user,
                            const std::vector<std::string>& names);

// The list of versions: one row per version with its name, time and score.
model::Grid VersionList(const model::ProgramState& state);

}  // namespace tessaly::stats
