#include "adjust/query_page.h"

#include <algorithm>
#include <unordered_map>

#include "engine/names/spell.h"
#include "model/number_format.h"
#include "model/rule_lists.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::adjust {

namespace {

const std::vector<std::string>& ResultHeadings() {
  static const std::vector<std::string> headings = {"序号"_gb,     "学号"_gb,    "姓名"_gb,
                                                    "性别"_gb,     "总分"_gb,    "名次"_gb,
                                                    "新分班级"_gb, "预设班级"_gb};
  return headings;
}

// The initials of a name: ToPinyin with flags 0.
std::string Initials(const std::string& name) {
  return engine::ToPinyin(name, 0, 255);
}

std::string ClassText(std::int32_t id) {
  return id >= 0 ? std::to_string(id) : std::string();
}

// The class items of every range row: the id text followed by " 班".
std::vector<std::string> ClassItems(const model::ProgramState& state) {
  static const std::string kClass = " 班"_gb;
  std::vector<std::string> items;
  for (const std::string& row : state.ClassRangeRows) {
    const std::string ids = model::FieldAt(row, '|', 4);
    const std::int32_t n = model::CountChar(ids, ',');
    for (std::int32_t i = 1; i <= n; ++i) items.push_back(model::FieldAt(ids, ',', i) + kClass);
  }
  return items;
}

}  // namespace

QueryIndex BuildQueryIndex(const model::ProgramState& state) {
  QueryIndex index;
  for (std::size_t r = 0; r < state.RangeSets.size(); ++r) {
    // The order of the classes of the range: as its row lists them.
    std::unordered_map<std::int32_t, std::size_t> order;
    if (r < state.ClassRangeRows.size()) {
      for (std::int32_t id : model::ClassIds(model::FieldAt(state.ClassRangeRows[r], '|', 4))) {
        order.emplace(id, order.size());
      }
    }
    const auto& students = state.RangeSets[r].Students;
    std::vector<std::size_t> positions(students.size());
    std::vector<std::size_t> rank(students.size());
    for (std::size_t i = 0; i < students.size(); ++i) {
      positions[i] = i;
      const std::int32_t cls = students[i].AssignedClass;
      auto it = order.find(cls);
      // Classes outside the row after its own, in number order; unplaced last.
      rank[i] = cls < 0 ? SIZE_MAX : it != order.end() ? it->second : order.size();
    }
    std::stable_sort(positions.begin(), positions.end(), [&](std::size_t a, std::size_t b) {
      if (rank[a] != rank[b]) return rank[a] < rank[b];
      if (students[a].AssignedClass != students[b].AssignedClass) {
        return students[a].AssignedClass < students[b].AssignedClass;
      }
      return students[a].Total > students[b].Total;
    });
    for (std::size_t i : positions) {
      const model::student& s = students[i];
      QueryIndex::Entry e;
      e.initials = Initials(s.Name);
      e.number = s.Number;
      e.name = s.Name;
      e.class_id = s.AssignedClass;
      e.cells = {s.Number,
                 s.Name,
                 s.Gender,
                 model::FormatNumber(s.Total),
                 std::to_string(s.Rank),
                 ClassText(s.AssignedClass),
                 ClassText(s.PresetClass)};
      index.entries.push_back(std::move(e));
    }
  }
  return index;
}

model::Grid QueryStudents(const QueryIndex& index, QueryKind kind, const std::string& text) {
  model::Grid grid;
  grid.rows.push_back(ResultHeadings());
  const std::string upper = model::ToUpperLatin(text);
  const std::int32_t class_id = model::FirstInteger(text);
  std::size_t seq = 0;
  for (const QueryIndex::Entry& e : index.entries) {
    bool match = false;
    switch (kind) {
      case QueryKind::kInitials:
        match = e.initials.compare(0, upper.size(), upper) == 0;
        break;
      case QueryKind::kName:
        match = model::ContainsText(e.name, text);
        break;
      case QueryKind::kNumber:
        match = model::ContainsText(e.number, text);
        break;
      case QueryKind::kClass:
        match = class_id >= 0 && e.class_id == class_id;
        break;
      case QueryKind::kNone:
        break;
    }
    if (!match) continue;
    std::vector<std::string> row;
    row.reserve(ResultHeadings().size());
    row.push_back(std::to_string(++seq));
    row.insert(row.end(), e.cells.begin(), e.cells.end());
    grid.rows.push_back(std::move(row));
  }
  return grid;
}

model::Grid QueryStudents(const model::ProgramState& state, QueryKind kind,
                          const std::string& text) {
  return QueryStudents(BuildQueryIndex(state), kind, text);
}

namespace {

bool TextKind(QueryKind k) {
  return k == QueryKind::kInitials || k == QueryKind::kName || k == QueryKind::kNumber;
}

void Query(QueryPage& page, QueryKind kind, const std::string& text) {
  page.results = QueryStudents(page.index, kind, text);
}

}  // namespace

void bsSkinTabSheet10Enter(const model::ProgramState& state, QueryPage& page) {
  static const std::string kAll = "全部"_gb;
  page.target_items = ClassItems(state);
  page.class_items = page.target_items;
  page.class_items.push_back(kAll);
  page.target_text.clear();
  page.class_text.clear();
  page.class_box_enabled = page.kind == QueryKind::kClass;
  page.index = BuildQueryIndex(state);
  Query(page, QueryKind::kNumber, "");
  ResetBatchGrid(page.batch);
}

void SelectQueryKind(QueryPage& page, QueryKind kind) {
  page.kind = kind;
  page.class_box_enabled = kind == QueryKind::kClass;
}

void ChooseClassItem(QueryPage& page, std::size_t item) {
  static const std::string kAll = "全部"_gb;
  if (item >= page.class_items.size()) return;
  page.class_text = page.class_items[item];
  if (page.class_text == kAll) {
    Query(page, QueryKind::kNumber, "");
  } else {
    Query(page, QueryKind::kClass, page.class_text);
  }
}

bool QueryKeyPressed(const QueryPage& page, model::UserPort& user) {
  static const std::string kChooseFirst = "请先选择查询类别！"_gb;
  if (TextKind(page.kind)) return true;
  user.Warning(kChooseFirst);
  return false;
}

void QueryKeyReleased(QueryPage& page, const std::string& text) {
  page.query_text = text;
  if (TextKind(page.kind)) Query(page, page.kind, text);
}

void bsSkinButton12Click(QueryPage& page, model::UserPort& user) {
  static const std::string kChoose = "请选择查询类别！"_gb;
  if (TextKind(page.kind)) {
    Query(page, page.kind, page.query_text);
  } else {
    user.Warning(kChoose);
  }
}

void SelectResultRow(QueryPage& page, std::size_t row) {
  if (row == 0 || row >= page.results.RowCount()) return;
  page.adjust_number = page.results.Cell(row, 1);
  page.adjust_name = page.results.Cell(row, 2);
}

engine::TransferResult bsSkinButton13Click(model::ProgramState& state, model::UserPort& user,
                                           QueryPage& page) {
  static const std::string kAll = "全部"_gb;
  const engine::TransferResult result = engine::bsSkinButton13Click(
      state, user, page.adjust_number, page.adjust_name, model::FirstInteger(page.target_text),
      page.limit, page.back_fill);
  // The results follow the division as it now stands, whatever the outcome.
  page.index = BuildQueryIndex(state);
  if (TextKind(page.kind)) {
    Query(page, page.kind, page.query_text);
  } else if (page.class_text != kAll) {
    Query(page, QueryKind::kClass, page.class_text);
  } else {
    Query(page, QueryKind::kNumber, "");
  }
  return result;
}

std::size_t bsSkinButton14Click(model::ProgramState& state, model::UserPort& user,
                                QueryPage& page) {
  const std::size_t moved = bsSkinButton14Click(state, user, page.batch, page.batch_settings);
  page.index = BuildQueryIndex(state);
  return moved;
}

}  // namespace tessaly::adjust
