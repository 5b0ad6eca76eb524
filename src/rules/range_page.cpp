#include "rules/range_page.h"

#include <algorithm>
#include <cstdint>

#include "model/text_fields.h"
#include "platform/encoding.h"
#include "rules/key_filters.h"
#include "rules/main_table.h"

namespace tessaly::rules {
namespace {

constexpr std::size_t kColumns = 5;

void WriteHeadings(model::Grid& grid) {
  const char* headings[kColumns] = {"区间类型", "学号区间", "班级个数", "班级编号", "备注"};
  for (std::size_t c = 0; c < kColumns; ++c) grid.At(0, c) = enc::FromUtf8(headings[c]);
}

bool IsEntry(const RangeBox& box, const std::string& text) {
  return std::find(box.items.begin(), box.items.end(), text) != box.items.end();
}

std::string TypeText(RangeType type) {
  return type == RangeType::kByNumber ? "按学号"_gb : "按名次"_gb;
}

// The ids of a comma-terminated list, in order.
std::vector<std::string> Ids(const std::string& list) {
  std::vector<std::string> ids;
  const std::int32_t n = model::CountChar(list, ',');
  ids.reserve(n);
  for (std::int32_t i = 1; i <= n; ++i) ids.push_back(model::FieldAt(list, ',', i));
  return ids;
}

// The existing rows of `type` whose rank or number range shares a value with
// [s, e].
bool Overlaps(const model::Grid& grid, const std::string& type, std::int64_t s, std::int64_t e) {
  for (std::size_t r = 1; r < grid.RowCount(); ++r) {
    if (grid.Cell(r, 0) != type) continue;
    const std::string& range = grid.Cell(r, 1);
    const std::int64_t a = model::FirstInteger(model::FieldAt(range, '-', 1));
    const std::int64_t b = model::FirstInteger(model::FieldAt(range, '-', 2));
    if (s <= b && a <= e) return true;
  }
  return false;
}

}  // namespace

void FillRangeBoxes(RangePage& page, const model::ProgramState& state) {
  page.start.items.clear();
  page.end.items.clear();
  page.start.selected = page.end.selected = -1;
  const model::Student_F* main = MainTable(state);
  if (main == nullptr) return;
  page.start.items.reserve(main->Students.size());
  for (const model::student& s : main->Students) page.start.items.push_back(s.Number);
  page.end.items = page.start.items;
}

void EnterRanges(RangePage& page, const model::ProgramState& state) {
  page.grid = model::Grid{};
  page.grid.rows.assign(state.ClassRangeRows.size() + 1, std::vector<std::string>(kColumns));
  WriteHeadings(page.grid);
  page.start.items.clear();
  page.end.items.clear();
  page.start.selected = page.end.selected = -1;
  if (page.type == RangeType::kByNumber) FillRangeBoxes(page, state);
  for (std::size_t i = 0; i < state.ClassRangeRows.size(); ++i) {
    const std::string& row = state.ClassRangeRows[i];
    const std::int32_t fields = std::min<std::int32_t>(model::CountChar(row, '|'), kColumns);
    for (std::int32_t c = 1; c <= fields; ++c)
      page.grid.At(i + 1, c - 1) = model::FieldAt(row, '|', c);
  }
  if (page.current_row >= static_cast<int>(page.grid.RowCount())) page.current_row = -1;
}

void ChooseRangeType(RangePage& page, RangeType type, const model::ProgramState& state,
                     model::UserPort& user) {
  if (type == page.type || type == RangeType::kNone) return;
  page.type = type;
  page.start.items.clear();
  page.end.items.clear();
  page.start.selected = page.end.selected = -1;
  if (type != RangeType::kByNumber) return;
  if (!state.ImportedSets.empty()) FillRangeBoxes(page, state);
  if (MainTable(state) == nullptr) {
    user.Warning("请设置哪份成绩为主表!"_gb);
    page.focus = Focus::kWeightsGrid;
  }
}

void SetRangeBoxText(RangeBox& box, const std::string& text) {
  box.text = text;
  const auto it = std::find(box.items.begin(), box.items.end(), text);
  box.selected = it == box.items.end() ? -1 : static_cast<int>(it - box.items.begin());
}

void PickRangeBoxEntry(RangeBox& box, int index) {
  if (index < 0 || index >= static_cast<int>(box.items.size())) return;
  box.selected = index;
  box.text = box.items[index];
}

void RangeBoxEntered(RangePage& page, const RangeBox& box, const model::ProgramState& state,
                     model::UserPort& user) {
  if (page.type != RangeType::kByNumber || !box.items.empty()) return;
  if (!state.ImportedSets.empty()) {
    user.Warning("请设置一份数据表为主表!"_gb);
    page.focus = Focus::kWeightsGrid;
  } else {
    user.Warning("您还没有导入学生信息!"_gb);
  }
}

void RangeBoxLeft(const RangePage& page, RangeBox& box, model::UserPort& user) {
  if (page.type != RangeType::kByNumber || box.text.empty() || IsEntry(box, box.text)) return;
  user.Warning("学号输入有误！该学号:"_gb + box.text + " 在导入的学生信息有没有找到!"_gb);
  box.text.clear();
  box.selected = -1;
}

bool RangeBoxKeepsKey(const RangePage& page, char key) {
  return page.type != RangeType::kByRank || KeepDigitKey(key);
}

bool AddRange(RangePage& page, model::UserPort& user) {
  // 1-2: a type and every box but the remark.
  if (page.type == RangeType::kNone) {
    user.Warning("您还没有选择按学号还是按名次！"_gb);
    return false;
  }
  if (page.start.text.empty() || page.end.text.empty() || page.class_count.empty() ||
      page.class_ids.empty()) {
    user.Warning("除备注框以外，其它输入框的内容不能为空！"_gb);
    return false;
  }
  // 3: the ids box ends with "," from here on, whatever follows.
  if (page.class_ids.back() != ',') page.class_ids += ',';
  const std::vector<std::string> ids = Ids(page.class_ids);
  // 4: as many ids as classes.
  if (static_cast<std::int64_t>(ids.size()) != model::FirstInteger(page.class_count)) {
    user.Warning("分班个数应该与班级编号的个数一致！不同班级用英文状态下的\",\"隔开"_gb);
    return false;
  }
  // 5: no id twice.
  for (std::size_t i = 0; i < ids.size(); ++i) {
    for (std::size_t j = i + 1; j < ids.size(); ++j) {
      if (ids[i] == ids[j]) {
        user.Warning("错误!班级编号:"_gb + ids[i] + " 重复."_gb);
        return false;
      }
    }
  }
  // 6: no empty id, none used by an existing range.
  for (std::size_t n = 0; n < ids.size(); ++n) {
    if (ids[n].empty()) {
      user.Warning("错误，第 "_gb + std::to_string(n + 1) + " 个班级编号为空！请重新输入"_gb);
      page.focus = Focus::kClassIds;
      return false;
    }
    for (std::size_t r = 1; r < page.grid.RowCount(); ++r) {
      for (const std::string& used : Ids(page.grid.Cell(r, 3))) {
        if (used == ids[n]) {
          user.Warning("班级编号： "_gb + ids[n] + " ，在学号为："_gb + page.grid.Cell(r, 1) +
                       " 的区间内已存在！"_gb);
          return false;
        }
      }
    }
  }
  const bool by_number = page.type == RangeType::kByNumber;
  // 7: student numbers of the main table.
  if (by_number && (!IsEntry(page.start, page.start.text) || !IsEntry(page.end, page.end.text))) {
    user.Warning("学号输入有误!"_gb);
    return false;
  }
  const std::int64_t s = model::FirstInteger(page.start.text);
  const std::int64_t e = model::FirstInteger(page.end.text);
  // 8-10: ranks apart, start before end, numbers apart.
  if (!by_number && Overlaps(page.grid, "按名次"_gb, s, e)) {
    user.Warning("名次不能与前面输入的名次区间重叠！"_gb);
    return false;
  }
  if (!(s < e)) {
    user.Warning("学号或名次顺序不正确（学号或名次小的应该在前面）"_gb);
    return false;
  }
  if (by_number && Overlaps(page.grid, "按学号"_gb, s, e)) {
    user.Warning("学号不能与前面输入的学号区间重叠！"_gb);
    return false;
  }
  // 11: the first row without a range, else a new last row.
  std::size_t row = 1;
  while (row < page.grid.RowCount() && !page.grid.Cell(row, 1).empty()) ++row;
  page.grid.At(row, kColumns - 1);
  page.grid.At(row, 0) = TypeText(page.type);
  page.grid.At(row, 1) = page.start.text + "-" + page.end.text + "-";
  page.grid.At(row, 2) = page.class_count;
  page.grid.At(row, 3) = page.class_ids;
  page.grid.At(row, 4) = page.remark;
  // 12: the next range starts after this one.
  if (!by_number) {
    page.start.text = std::to_string(e + 1);
    page.start.selected = -1;
  } else if (page.end.selected + 1 < static_cast<int>(page.end.items.size())) {
    PickRangeBoxEntry(page.start, page.end.selected + 1);
  }
  page.end.text.clear();
  page.end.selected = -1;
  page.class_count.clear();
  page.class_ids.clear();
  page.remark.clear();
  return true;
}

bool DeleteRange(RangePage& page, model::UserPort& user) {
  if (page.current_row == 0) {
    user.Warning("不能删除标题行！"_gb);
    return false;
  }
  if (page.current_row < 0 || page.current_row >= static_cast<int>(page.grid.RowCount())) {
    user.Warning("请选择要删除的列后，再点击此按钮！"_gb);
    return false;
  }
  page.grid.rows.erase(page.grid.rows.begin() + page.current_row);
  if (page.current_row >= static_cast<int>(page.grid.RowCount())) --page.current_row;
  return true;
}

model::RuleList RangeRowsOfGrid(const RangePage& page) {
  model::RuleList rows;
  for (std::size_t r = 1; r < page.grid.RowCount(); ++r) {
    if (page.grid.Cell(r, 0).empty()) continue;
    std::string row;
    for (std::size_t c = 0; c < kColumns; ++c) row += page.grid.Cell(r, c) + "|";
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace tessaly::rules
