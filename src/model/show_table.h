#pragma once
// The score-table view: one table as a grid of text cells.

#include "model/grid.h"
#include "model/records.h"

namespace tessaly::model {

// Heading row "序号", "学号", name and gender headings, "预设班级" (when
// `show_preset_class`), the subjects, "总分", "名次", the balance and extra
// headings; then one row per student.
Grid ShowTable(const Student_F& table, bool show_preset_class);

}  // namespace tessaly::model
