#pragma once
// The step between reading a table and checking it: the sheet and heading
// row are settled, and the roles of a table in the teacher's own words are
// proposed, changed as the teacher says and turned into the columns the
// checks read.

#include <optional>
#include <string>
#include <vector>

#include "import/import_commands.h"
#include "import/table_layout.h"
#include "model/settings_port.h"
#include "model/user_port.h"

namespace tessaly::import {

struct SettledTable {
  TableLayout layout;
  ColumnRoles roles;
};

// The layout of the table and the roles it is read with. None when the
// import stops: a sheet or column the setup names is not there, a sheet
// cannot be read, or the teacher cancelled the settings window (an error is
// shown for the first two).
std::optional<SettledTable> SettleTable(TableSource& source, const ImportSetup& setup,
                                        model::UserPort& user);

// After the table was imported: warns of students whose own total differs
// from the sum of the subjects, and fills the summary when one is asked for.
void ReportImported(const SettledTable& table, const ImportSetup& setup, model::UserPort& user);

// The roles the settings window opens with: the teacher's earlier choice for
// a table with the same headings, or else the proposal with its offered
// balance columns made balance columns (the window is where the teacher
// confirms them).
void PrefillRoles(TableLayout& layout, model::SettingsPort& settings);
// Keeps the confirmed roles for the next table with the same headings.
void RememberRoles(const TableLayout& layout, model::SettingsPort& settings);

// The warning about a total column that disagrees with the subjects.
std::string TotalMismatchWarning(const std::string& total_heading,
                                 const std::vector<std::string>& numbers);

}  // namespace tessaly::import
