#include "stats/headcount_page.h"

#include "engine/names/same_names.h"
#include "model/rule_lists.h"
#include "model/text_fields.h"
#include "platform/encoding.h"
#include "stats/headcount_table.h"

namespace tessaly::stats {

HeadcountPage NewHeadcountPage() {
  return HeadcountPage{};
}

const std::vector<std::string>& ConditionHeadings() {
  static const std::vector<std::string> headings = {"学生区间"_gb, "应用科目"_gb, "条件"_gb};
  return headings;
}

std::vector<std::string> MainTableSubjects(const model::ProgramState& state) {
  for (const model::Student_F& table : state.ImportedSets) {
    if (table.IsMainTable) return table.Headings.SubjectHeadings;
  }
  return {};
}

namespace {

std::vector<std::string> RangeItems(const model::ProgramState& state) {
  std::vector<std::string> items;
  for (const std::string& row : state.ClassRangeRows) items.push_back(model::RangeKey(row));
  return items;
}

// While no headcount condition exists, the band conditions without their
// level become the headcount conditions.
void SeedFromBandConditions(model::ProgramState& state) {
  if (state.BandConditionRows.empty() || !state.CountConditionRows.empty()) return;
  for (const std::string& band : state.BandConditionRows) {
    state.CountConditionRows.push_back(model::FieldAt(band, '$', 1) + "$" +
                                       model::FieldAt(band, '$', 2) + "$" +
                                       model::FieldAt(band, '$', 3) + "$");
  }
}

void ShowConditions(const model::ProgramState& state, HeadcountPage& page) {
  page.conditions = rules::ConditionGrid(state.CountConditionRows, ConditionHeadings());
}

}  // namespace

void bsSkinTabSheet8Enter(model::ProgramState& state, HeadcountPage& page) {
  page.range_items = RangeItems(state);
  page.inputs.range.reset();
  page.inputs.subjects = MainTableSubjects(state);
  page.inputs.ticked.assign(page.inputs.subjects.size(), false);
  SeedFromBandConditions(state);
  ShowConditions(state, page);
}

void bsSkinCheckRadioBox21Click(HeadcountPage& page) {
  page.inputs.condition.one_key = !page.inputs.condition.one_key;
  page.one_key_inputs_enabled = page.inputs.condition.one_key;
  page.typed_inputs_enabled = !page.inputs.condition.one_key;
}

std::size_t bsSkinButton8Click(model::ProgramState& state, model::UserPort& user,
                               HeadcountPage& page) {
  std::vector<std::string> rows = NewConditionRows(page.inputs, state.CountConditionRows, user);
  const std::size_t added = rows.size();
  for (std::string& row : rows) state.CountConditionRows.push_back(std::move(row));
  ShowConditions(state, page);
  return added;
}

void N11Click(model::ProgramState& state, model::UserPort& user, HeadcountPage& page,
              std::int32_t top, std::int32_t bottom) {
  if (rules::DeleteConditionRows(state.CountConditionRows, top, bottom, user))
    ShowConditions(state, page);
}

void bsSkinButton11Click(model::ProgramState& state, HeadcountPage& page) {
  page.statistics = HeadcountStatistics(state);
}

model::Grid HeadcountStatisticsOf(model::ProgramState& state) {
  HeadcountPage page = NewHeadcountPage();
  bsSkinTabSheet8Enter(state, page);
  bsSkinButton11Click(state, page);
  return std::move(page.statistics);
}

DivisionPageRefresh bsSkinTabSheet4Enter(model::ProgramState& state, HeadcountPage& page) {
  static const std::string kAll = "全部学生"_gb, kClass = " 班"_gb;
  DivisionPageRefresh out;
  bsSkinTabSheet8Enter(state, page);
  out.range_items = page.range_items;
  out.subject_items = page.inputs.subjects;
  out.conditions = page.conditions;
  out.same_names = engine::ShowSameNames(state);
  out.class_items.push_back(kAll);
  for (const std::string& row : state.ClassRangeRows) {
    const std::string ids = model::FieldAt(row, '|', 4);
    const std::int32_t n = model::CountChar(ids, ',');
    for (std::int32_t i = 1; i <= n; ++i)
      out.class_items.push_back(model::FieldAt(ids, ',', i) + kClass);
  }
  return out;
}

}  // namespace tessaly::stats
