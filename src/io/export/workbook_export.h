#pragma once
// "保存所有数据到Excel": the all-data text written as a workbook file, with a
// printable roster sheet per class and a sheet of charts of the class
// averages. No spreadsheet program is needed.

#include <optional>
#include <string>

#include "io/export/xlsx_writer.h"
#include "model/clipboard_port.h"
#include "model/program_state.h"
#include "model/user_port.h"

namespace tessaly::io::exports {

// The filter of the save dialog: the export writes .xlsx workbooks.
inline constexpr const char* kWorkbookFilterUtf8 = "Excel文件(*.xlsx)|*.xlsx";

// The workbook of a division: first the sheet "全部数据" holding the cells of
// `all_data_text` as a paste at A1 gives them; then one sheet "<id> 班" per
// class of the class list (in its order, each class once) with that class's
// roster; then the sheet "平均分图" with one column chart per range that has
// students, of its class average totals against the range's. The rosters
// and averages are those of `state`.
WorkbookContent ExportContent(const model::ProgramState& state, const std::string& all_data_text);

// The export to `path`: CollectAllData and the class rosters (taken before
// the statistics re-rank, as the roster block) on a copy of the state,
// written by WriteWorkbook. On success the state takes the refreshed copy
// and `all_data_text` (when given) the text; on failure the message (code
// page 936, naming the file) and nothing changes.
std::optional<std::string> ExportWorkbook(model::ProgramState& state, model::UserPort& user,
                                          const std::string& path,
                                          const std::optional<std::string>& chosen_item,
                                          std::string* all_data_text = nullptr);

// "保存所有数据到Excel" (bsSkinButton19): asks for the file name (filter
// "Excel文件(*.xlsx)|*.xlsx"); without one, the warning
// "您的文件名没输入，保存数据为Excel未能成功！". Otherwise exports; on success the
// clipboard holds the all-data text and no message is shown, on failure an
// error names the file and neither the state nor the clipboard changes.
// True when the workbook was written.
bool bsSkinButton19Click(model::ProgramState& state, model::UserPort& user,
                         model::ClipboardPort& clipboard,
                         const std::optional<std::string>& chosen_item = std::nullopt);

}  // namespace tessaly::io::exports
