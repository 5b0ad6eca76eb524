#pragma once
// Shared by the workbook fuzz targets: a sheet read from outside bytes goes
// through the same row scan and student checks as an imported workbook, and
// an accepted table is saved as a division file that must open again.

#include "import/table_reader.h"
#include "import/table_rows.h"
#include "io/division_file.h"
#include "platform/encoding.h"
#include "platform/workbook/workbook_reader.h"

namespace tessaly::fuzzing {

inline void Check(bool ok) {
  if (!ok) __builtin_trap();
}

inline void ImportSheet(const workbook::ReadResult& r) {
  if (!r.sheet) {
    Check(!r.error.empty());
    return;
  }
  for (const auto& row : r.sheet->rows) {
    for (const std::string& cell : row) Check(enc::IsValidText(cell));
  }
  import::ColumnRoles roles = import::AssignColumnRoles(import::SheetHeadings(*r.sheet));
  if (!roles.HasRequiredColumns()) return;
  import::TableRows rows = import::RowsFromSheet(*r.sheet, roles.name);
  import::ReadOutcome out = import::ReadStudents(rows, roles, {});
  if (!out.errors.empty() || out.table.Students.empty()) return;
  Check(out.table.StudentCount == static_cast<int>(out.table.Students.size()));
  model::ProgramState state;
  state.DivisionStarted = true;
  state.ExpectedSetCount = 1;
  state.ImportedSets = {out.table};
  io::DivisionRead read = io::ReadDivisionText(io::WriteDivisionText(state), {});
  Check(read.ok);
  Check(read.state.ImportedSets[0].Students == out.table.Students);
}

}  // namespace tessaly::fuzzing
