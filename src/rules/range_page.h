#pragma once
// The class-type ranges, lower half of the page "分班规则制定1(必须)": the range
// grid bsSkinStringGrid3, the type buttons "按学号" / "按名次", the two range
// boxes with their lists, the class count, class ids and remark boxes, and
// the buttons "添  加" and "删  除". The grid is the editing copy of
// ClassRangeRows; the page leave (first_rules_page.h) writes it back.

#include <string>
#include <vector>

#include "model/grid.h"
#include "model/program_state.h"
#include "model/user_port.h"

namespace tessaly::rules {

// The radio buttons bsSkinCheckRadioBox19 "按学号" and bsSkinCheckRadioBox18
// "按名次"; neither is selected at start.
enum class RangeType { kNone, kByNumber, kByRank };

// Where an event moved the keyboard focus (the desktop program follows it).
enum class Focus { kNone, kWeightsGrid, kClassIds };

// An editable drop-down box: its list, its text and the selected entry.
struct RangeBox {
  std::vector<std::string> items;
  std::string text;
  int selected = -1;  // index into items, -1 when none
};

struct RangePage {
  // Row 0 the headings "区间类型", "学号区间", "班级个数", "班级编号", "备注";
  // one row per range, five columns.
  model::Grid grid;
  RangeType type = RangeType::kNone;
  RangeBox start;           // bsSkinComboBox1
  RangeBox end;             // bsSkinComboBox2
  std::string class_count;  // bsSkinEdit5
  std::string class_ids;    // bsSkinEdit6
  std::string remark;       // bsSkinEdit7
  int current_row = -1;     // the grid's current row
  Focus focus = Focus::kNone;
};

// Column widths of the range grid in pixels.
inline constexpr int kRangeGridWidths[5] = {60, 160, 60, 200, 100};

// Entering the page: the grid rebuilt from ClassRangeRows, the box lists
// emptied and, with "按学号", filled with the main table's student numbers.
void EnterRanges(RangePage& page, const model::ProgramState& state);

// Fills both box lists with the main table's student numbers in order
// (nothing without a main table); the selections are cleared, texts kept.
void FillRangeBoxes(RangePage& page, const model::ProgramState& state);

// A type button clicked (bsSkinCheckRadioBox19Click / 18Click). Choosing
// "按学号" fills the lists, warning "请设置哪份成绩为主表!" and moving the focus to
// the weights grid when no table is the main table; "按名次" empties the lists.
// Clicking the button already selected does nothing.
void ChooseRangeType(RangePage& page, RangeType type, const model::ProgramState& state,
                     model::UserPort& user);

// A text typed into a range box: the text, and the entry it matches (the
// first equal entry, else none).
void SetRangeBoxText(RangeBox& box, const std::string& text);
// An entry of a range box's list picked.
void PickRangeBoxEntry(RangeBox& box, int index);

// A range box gets the focus (bsSkinComboBox1Enter / 2Enter): with "按学号"
// and an empty list, "请设置一份数据表为主表!" (focus to the weights grid) when
// tables are imported, else "您还没有导入学生信息!".
void RangeBoxEntered(RangePage& page, const RangeBox& box, const model::ProgramState& state,
                     model::UserPort& user);

// A range box loses the focus (bsSkinComboBox1Exit / 2Exit): with "按学号" a
// text that is no entry of its list is refused with "学号输入有误！该学号:..." and
// emptied.
void RangeBoxLeft(const RangePage& page, RangeBox& box, model::UserPort& user);

// The key filter of the range boxes: with "按名次" digits and backspace only,
// otherwise every key.
bool RangeBoxKeepsKey(const RangePage& page, char key);

// "添  加" (bsSkinButton1Click): the twelve steps. The first failing test shows
// its warning and adds nothing (the "," appended to the class ids stays);
// true when a range was added and the next range prepared.
bool AddRange(RangePage& page, model::UserPort& user);

// "删  除" (bsSkinButton2Click): removes the current grid row; "不能删除标题行！"
// for the heading row, "请选择要删除的列后，再点击此按钮！" without a data row.
bool DeleteRange(RangePage& page, model::UserPort& user);

// The rows the grid stands for: every row whose type column is not empty,
// its five cells each followed by "|" (what the page leave stores).
model::RuleList RangeRowsOfGrid(const RangePage& page);

}  // namespace tessaly::rules
