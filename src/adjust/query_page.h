#pragma once
// The page "查询与调整": find students of the finished division (by the
// initials of the name, by name, by student number, or a whole class), pick
// one from the results and move him ("开始调班"); below it the batch
// transfer.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "adjust/batch_transfer.h"
#include "engine/transfer.h"
#include "model/grid.h"
#include "model/program_state.h"
#include "model/user_port.h"

namespace tessaly::adjust {

// The query kinds of the radio group "查询类别选择"; none at start.
enum class QueryKind : int {
  kNone = 0,
  kInitials = 1,  // "按姓名首字母查询"
  kName = 2,      // "按姓名查询"
  kNumber = 3,    // "按学号查询"
  kClass = 4,     // "查看整个班级"
};

// Every student of the range sets prepared for queries: in result order
// (range order, then class in the order of the range row's ids, unplaced
// last, then by descending total) with the initials of the name and the
// cells of its result row. Build it again after the division changes.
struct QueryIndex {
  struct Entry {
    std::string initials;  // ToPinyin(name, 0): first letters, capitals
    std::string number;
    std::string name;
    std::int32_t class_id = -1;
    std::vector<std::string> cells;  // columns 1..7 of the result row
  };
  std::vector<Entry> entries;
};
QueryIndex BuildQueryIndex(const model::ProgramState& state);

// The result grid: row 0 the headings 序号, 学号, 姓名, 性别, 总分, 名次,
// 新分班级, 预设班级, then one row per matching student. Kind 1: the text
// (Latin letters in either case) begins the initials; 2: the name contains
// the text; 3: the number contains the text (empty: everyone); 4: the text
// is a class box item ("3 班") and its class is listed.
model::Grid QueryStudents(const QueryIndex& index, QueryKind kind, const std::string& text);
model::Grid QueryStudents(const model::ProgramState& state, QueryKind kind,
                          const std::string& text);

// The state of the page's controls.
struct QueryPage {
  QueryKind kind = QueryKind::kNone;
  std::string query_text;                 // bsSkinEdit16
  std::vector<std::string> class_items;   // bsSkinComboBox6: "1 班" ... "全部"
  bool class_box_enabled = false;         // only while kind 4 is selected
  std::string class_text;                 // its current text
  model::Grid results;                    // bsSkinStringGrid11
  std::string adjust_number;              // bsSkinEdit17
  std::string adjust_name;                // bsSkinEdit18
  std::vector<std::string> target_items;  // bsSkinComboBox11: "1 班" ...
  std::string target_text;                // its current text
  bool back_fill = true;                  // "自动补回人数"
  double limit = 20;                      // bsSkinSpinEdit2
  BatchGrid batch;                        // bsSkinStringGrid12
  BatchSettings batch_settings;
  QueryIndex index;  // the students as the results were last built
};

// Entering the page (bsSkinTabSheet10Enter): both class boxes filled, the
// class box enabled only for kind 4, every student listed, the batch grid
// reset.
void bsSkinTabSheet10Enter(const model::ProgramState& state, QueryPage& page);

// Selecting a kind: kinds 1 to 3 disable the class box, kind 4 enables it.
void SelectQueryKind(QueryPage& page, QueryKind kind);

// Choosing item `item` of the class box: its class, or everyone for "全部".
void ChooseClassItem(QueryPage& page, std::size_t item);

// A key pressed in the query box: true when it may be entered; without kind
// 1, 2 or 3 it warns "请先选择查询类别！" and the key is dropped.
bool QueryKeyPressed(const QueryPage& page, model::UserPort& user);

// A key released in the query box (the box now holds `text`): the query
// follows the text for kinds 1 to 3.
void QueryKeyReleased(QueryPage& page, const std::string& text);

// "查询": the query for kinds 1 to 3, else the warning "请选择查询类别！".
void bsSkinButton12Click(QueryPage& page, model::UserPort& user);

// Selecting a cell of result row `row`: row > 0 copies its number and name
// into the adjust fields; row 0 does nothing.
void SelectResultRow(QueryPage& page, std::size_t row);

// "开始调班": the manual transfer of the adjust fields (with its messages),
// then the results refreshed. Returns the transfer's result; the caller
// shows the division score.
engine::TransferResult bsSkinButton13Click(model::ProgramState& state, model::UserPort& user,
                                           QueryPage& page);

// "批量调整" on the page's batch grid with its settings. The results shown
// stay as they were; the next query sees the moved students.
std::size_t bsSkinButton14Click(model::ProgramState& state, model::UserPort& user, QueryPage& page);

}  // namespace tessaly::adjust
