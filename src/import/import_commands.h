#pragma once
// The two import commands of the page "分班数据导入": a table pasted from a
// spreadsheet (装入分班数据) and a table read from a workbook file
// (选择Excel文件并装入数据). Both fill the slot NextSetSlot of ImportedSets,
// append the table's name to the table list and show the table; a rejected
// table is reported line by line and changes nothing.

#include <functional>
#include <string>
#include <string_view>

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

// 装入分班数据: imports the pasted table text (code page 936; the clipboard's
// text) under the name typed in the pasted import's name box.
ImportOutcome PasteImport(model::ProgramState& state, model::ImportPage& page,
                          model::UserPort& user, std::string_view clipboard_text,
                          const std::string& name_box, const TimeOfDay& now = SystemTimeOfDay);

// 选择Excel文件并装入数据: lets the user choose a workbook file and imports
// its saved active sheet under the name typed in the workbook import's name
// box.
ImportOutcome WorkbookImport(model::ProgramState& state, model::ImportPage& page,
                             model::UserPort& user, const std::string& name_box,
                             const TimeOfDay& now = SystemTimeOfDay);

// The workbook import of a file already chosen (`path` as the file system
// names it). A file that does not exist does nothing; one that cannot be read
// gets an error naming it.
ImportOutcome WorkbookImportFile(model::ProgramState& state, model::ImportPage& page,
                                 model::UserPort& user, const std::string& path,
                                 const std::string& name_box,
                                 const TimeOfDay& now = SystemTimeOfDay);

}  // namespace tessaly::import
