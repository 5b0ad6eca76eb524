#pragma once
// The two import commands of the page "分班数据导入": a table pasted from a
// spreadsheet (装入分班数据) and a table read from a workbook file
// (选择Excel文件并装入数据). Both fill the slot NextSetSlot of ImportedSets,
// append the table's name to the table list and show the table; a rejected
// table is reported line by line and changes nothing.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import/table_layout.h"
#include "model/import_page.h"
#include "model/program_state.h"
#include "model/user_port.h"

namespace tessaly::import {

// What an import command ended with.
enum class ImportOutcome {
  kImported,  // the table is in its slot
  kRejected,  // errors were shown; nothing changed
  kStopped,   // refused or cancelled with a message, or nothing to do
};

// The current time of day in the long time format (14:05:33); a parameter so
// that tests can fix it.
using TimeOfDay = std::function<std::string()>;
std::string SystemTimeOfDay();

// What an imported table was read as, for the teacher to be told.
struct ImportSummary {
  std::string sheet_name;    // the sheet read (empty for pasted text)
  std::string skipped_rows;  // which rows above the headings were left out, or empty
  bool own_words = false;    // roles proposed (no KEMU heading)
  std::vector<std::string> subjects;
  std::vector<std::string> balances;
  // Columns offered as balance columns that were not made ones.
  std::vector<std::string> balance_candidates;
};

// How a table in the teacher's own words is read. A table with a KEMU heading
// is read by its headings alone, whatever is set here (only `sheet` and
// `heading_row` apply to it).
struct ImportSetup {
  // The sheet by name or by its number from 1 (empty: the saved active
  // sheet, or the first sheet with a heading row when it has none).
  std::string sheet;
  // The heading row, from 1 (0: the first of the top 30 rows holding 学号,
  // 姓名 and 性别).
  int heading_row = 0;
  // The headings' own roles from row 1 of the active sheet, as a table
  // prepared for the program is read (no KEMU heading: no subject).
  bool as_is = false;
  // The subject columns, exactly these; and the balance columns, only these.
  // Names are headings; one the table does not have refuses the import.
  std::optional<std::vector<std::string>> subjects;
  std::optional<std::vector<std::string>> balances;
  // The import settings window: gets the proposed layout and returns the
  // confirmed one, or none when the teacher cancels. Without it the proposed
  // roles are taken, and no offered balance column is made one.
  std::function<std::optional<TableLayout>(TableSource&, TableLayout)> confirm;
  // Filled when a table is imported.
  ImportSummary* summary = nullptr;
};

// 装入分班数据: imports the pasted table text (code page 936; the clipboard's
// text) under the name typed in the pasted import's name box.
ImportOutcome PasteImport(model::ProgramState& state, model::ImportPage& page,
                          model::UserPort& user, std::string_view clipboard_text,
                          const std::string& name_box, const TimeOfDay& now = SystemTimeOfDay,
                          const ImportSetup& setup = {});

// 选择Excel文件并装入数据: lets the user choose a workbook file and imports
// its saved active sheet under the name typed in the workbook import's name
// box.
ImportOutcome WorkbookImport(model::ProgramState& state, model::ImportPage& page,
                             model::UserPort& user, const std::string& name_box,
                             const TimeOfDay& now = SystemTimeOfDay, const ImportSetup& setup = {});

// The workbook import of a file already chosen (`path` as the file system
// names it). A file that does not exist does nothing; one that cannot be read
// gets an error naming it.
ImportOutcome WorkbookImportFile(model::ProgramState& state, model::ImportPage& page,
                                 model::UserPort& user, const std::string& path,
                                 const std::string& name_box,
                                 const TimeOfDay& now = SystemTimeOfDay,
                                 const ImportSetup& setup = {});

}  // namespace tessaly::import
