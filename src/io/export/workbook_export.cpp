#include "io/export/workbook_export.h"

#include <set>

#include "engine/evaluation.h"
#include "engine/roster.h"
#include "io/export/all_data.h"
#include "io/table_text.h"
#include "model/rule_lists.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::io::exports {

namespace {

// The class ids of the class list, each once, in its order.
std::vector<std::int32_t> ListedClasses(const model::ProgramState& state) {
  std::vector<std::int32_t> ids;
  std::set<std::int32_t> seen;
  for (const auto& row : state.ClassRangeRows) {
    for (std::int32_t id : model::ClassIds(model::FieldAt(row, '|', 4))) {
      if (seen.insert(id).second) ids.push_back(id);
    }
  }
  return ids;
}

std::string ClassLabel(std::int32_t id) {
  return std::to_string(id) + " 班"_gb;
}

std::vector<PrintSheet> ClassSheets(const model::ProgramState& state) {
  std::vector<PrintSheet> sheets;
  for (std::int32_t id : ListedClasses(state)) {
    sheets.push_back({ClassLabel(id), engine::ClassRoster(state, id)});
  }
  return sheets;
}

std::vector<ColumnChart> AverageCharts(const model::ProgramState& state) {
  static const std::string kTitle = " 班级平均总分"_gb, kValues = "班级平均总分"_gb,
                           kReference = "该段整体平均分"_gb;
  std::vector<ColumnChart> charts;
  for (std::size_t r = 0; r < state.ClassRangeRows.size() && r < state.RangeSets.size(); ++r) {
    const std::string& row = state.ClassRangeRows[r];
    std::vector<std::int32_t> numbers{-1};
    const std::vector<std::int32_t> ids = model::ClassIds(model::FieldAt(row, '|', 4));
    numbers.insert(numbers.end(), ids.begin(), ids.end());
    const std::vector<engine::New_ClassInf> sums =
        engine::SummariseClasses(state.RangeSets[r], numbers);
    if (sums.size() != numbers.size() || ids.empty()) continue;
    ColumnChart chart;
    chart.title = model::FieldAt(row, '|', 1) + ":" + model::FieldAt(row, '|', 2) + kTitle;
    chart.values_name = kValues;
    chart.reference_name = kReference;
    chart.reference = sums[0].AverageTotal;
    for (std::size_t i = 0; i < ids.size(); ++i) {
      chart.labels.push_back(ClassLabel(ids[i]));
      chart.values.push_back(sums[i + 1].AverageTotal);
    }
    charts.push_back(std::move(chart));
  }
  return charts;
}

}  // namespace

WorkbookContent ExportContent(const model::ProgramState& state, const std::string& all_data_text) {
  WorkbookContent content;
  content.first_sheet_name = "全部数据"_gb;
  content.first_sheet = PastedCells(all_data_text);
  content.print_sheets = ClassSheets(state);
  content.chart_sheet_name = "平均分图"_gb;
  content.charts = AverageCharts(state);
  return content;
}

std::optional<std::string> ExportWorkbook(model::ProgramState& state, model::UserPort& user,
                                          const std::string& path,
                                          const std::optional<std::string>& chosen_item,
                                          std::string* all_data_text) {
  model::ProgramState work = state;
  std::string text = CollectAllData(work, user, chosen_item);
  // The class sheets show the rosters as the roster block does: with the
  // ranks held before the statistics re-ranked each range.
  const WorkbookContent content = ExportContent(state, text);
  if (auto error = WriteWorkbook(content, path)) return error;
  state = std::move(work);
  if (all_data_text != nullptr) *all_data_text = std::move(text);
  return std::nullopt;
}

bool bsSkinButton19Click(model::ProgramState& state, model::UserPort& user,
                         model::ClipboardPort& clipboard,
                         const std::optional<std::string>& chosen_item) {
  static const std::string kFilter = enc::FromUtf8(kWorkbookFilterUtf8);
  static const std::string kNoName = "您的文件名没输入，保存数据为Excel未能成功！"_gb;
  const std::optional<std::string> path = user.ChooseSaveFile("Save file", kFilter);
  if (!path || path->empty()) {
    user.Warning(kNoName);
    return false;
  }
  std::string text;
  if (auto error = ExportWorkbook(state, user, *path, chosen_item, &text)) {
    user.Error(*error);
    return false;
  }
  clipboard.SetText(text);
  return true;
}

}  // namespace tessaly::io::exports
