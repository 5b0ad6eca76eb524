#pragma once
// The class roster of the division page (the table beside the class list):
// for "全部学生" every student of the range sets, for one class its students,
// ordered by class (in the order of the class list) and within a class by
// descending total.

#include <cstdint>
#include <optional>
#include <string>

#include "model/grid.h"
#include "model/program_state.h"

namespace tessaly::engine {

// The roster of class `class_id`, or of every student when it has no value.
// Heading row: 序号, 学号, 姓名, 性别, the subjects, 总分, 名次, the balance
// columns, 新分班级; then one row per student. Only the heading row when
// there is no range set or the class holds nobody.
model::Grid ClassRoster(const model::ProgramState& state, std::optional<std::int32_t> class_id);

// The roster of an item of the class list: "全部学生" or "<id> 班". An item
// that is neither gives the heading row only.
model::Grid ClassRosterOfItem(const model::ProgramState& state, const std::string& item);

}  // namespace tessaly::engine
