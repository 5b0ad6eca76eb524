#pragma once
// The part "分班约束（同班 / 不同班）" of the second rules page: a grid of the
// teacher's keep-apart and keep-together groups (kind, students as
// "学号 姓名", note), a group added from typed or pasted numbers, a group
// deleted, a note edited. Every event writes GroupRows at once.

#include <cstdint>
#include <string>
#include <string_view>

#include "model/grid.h"
#include "model/program_state.h"
#include "model/student_groups.h"
#include "model/user_port.h"

namespace tessaly::rules {

// Grid columns.
inline constexpr std::size_t kGroupKindColumn = 0;
inline constexpr std::size_t kGroupStudentsColumn = 1;
inline constexpr std::size_t kGroupNoteColumn = 2;

struct GroupPage {
  // Row 0: 类型, 学生, 备注; then one row per row of GroupRows.
  model::Grid grid;
};

// Fills the grid from GroupRows; a student not found in the tables shows
// his number alone.
void RefreshGroupGrid(GroupPage& page, const model::ProgramState& state);

// Adds a group of `kind` with the students of `numbers_text` (one or
// several numbers a line, as SplitNumbers reads them) and the note. Refused
// with a warning, nothing changed: fewer than two students, a number no
// table holds (every such number named), or the same group already there.
bool AddGroup(GroupPage& page, model::ProgramState& state, model::UserPort& user,
              model::GroupKind kind, std::string_view numbers_text, std::string_view note);

// Deletes the group of grid row `row` (1 .. groups); false for no such row.
bool DeleteGroup(GroupPage& page, model::ProgramState& state, std::int32_t row);

// Sets the note of the group of grid row `row`; line breaks become spaces.
bool EditGroupNote(GroupPage& page, model::ProgramState& state, std::int32_t row,
                   std::string_view note);

// "101 张三、102 李四": the students of a group as the grid shows them.
std::string GroupStudentsText(const model::ProgramState& state, const model::StudentGroup& group);

}  // namespace tessaly::rules
