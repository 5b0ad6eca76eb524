#pragma once
// The batch transfer of the page "查询与调整": a grid of moves (学号, 姓名,
// 转入班级) pasted from a spreadsheet, carried out row by row with the
// student transfer, optionally with automatic back-fill; column 3 shows the
// student who came back for each moved one.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/grid.h"
#include "model/program_state.h"
#include "model/user_port.h"

namespace tessaly::adjust {

// Columns of the batch grid and their widths (pixels).
inline constexpr std::size_t kBatchColumns = 4;
inline constexpr int kBatchColumnWidths[kBatchColumns] = {50, 50, 100, 130};
// Rows of a reset grid: the heading row and nine empty rows.
inline constexpr std::size_t kBatchResetRows = 10;

// The batch grid bsSkinStringGrid12: row 0 the headings, every row
// kBatchColumns cells.
struct BatchGrid {
  model::Grid grid;
};

// Every cell emptied, 10 rows, 4 columns, the headings 学号, 姓名, 转入班级,
// 自动补回的学生.
void ResetBatchGrid(BatchGrid& g);

// "粘贴": the text's lines go to the rows from `row` on (the grid grows to
// hold them), each line's tab-separated fields to the columns from
// `column` on; fields beyond the last column are dropped. A line ends at
// CR LF, LF or CR; a final line break adds no empty line.
void PasteIntoBatchGrid(BatchGrid& g, const std::string& text, std::size_t row, std::size_t column);

// "删除行": the rows top..bottom are removed and the rows below move up. The
// heading row is never removed and the grid keeps at least one row below it.
void DeleteBatchRows(BatchGrid& g, std::size_t top, std::size_t bottom);

// "清除内容" or backspace: the cells of the rectangle become empty.
void ClearBatchCells(BatchGrid& g, std::size_t top, std::size_t left, std::size_t bottom,
                     std::size_t right);

// The controls beside the grid: "自动补回人数" (ticked at start) and the
// limit of the total difference of a back-filled student (20 at start).
struct BatchSettings {
  bool back_fill = true;
  double limit = 20;
};

// "批量调整": every row with a number, a name and a target class is moved
// (TransferStudent with BackFillByMatch or NoBackFill, the class being the
// first run of digits of column 2); on success column 3 gets the name of the
// back-filled student, or nothing. Failed rows show their warning and keep
// column 3. Progress from 0 to 100 over the rows. Returns the rows moved.
std::size_t bsSkinButton14Click(model::ProgramState& state, model::UserPort& user, BatchGrid& g,
                                const BatchSettings& settings);

}  // namespace tessaly::adjust
