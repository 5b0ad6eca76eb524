#include "model/show_table.h"

#include "model/number_format.h"
#include "platform/encoding.h"

namespace tessaly::model {

Grid ShowTable(const Student_F& table, bool show_preset_class) {
  const BiaoTi& h = table.Headings;
  Grid grid;
  std::vector<std::string> heading = {"序号"_gb, "学号"_gb, h.NameHeading, h.GenderHeading};
  if (show_preset_class) heading.push_back("预设班级"_gb);
  heading.insert(heading.end(), h.SubjectHeadings.begin(), h.SubjectHeadings.end());
  heading.push_back("总分"_gb);
  heading.push_back("名次"_gb);
  heading.insert(heading.end(), h.BalanceHeadings.begin(), h.BalanceHeadings.end());
  heading.insert(heading.end(), h.ExtraHeadings.begin(), h.ExtraHeadings.end());
  const std::size_t columns = heading.size();
  grid.rows.reserve(table.Students.size() + 1);
  grid.rows.push_back(std::move(heading));

  for (std::size_t r = 0; r < table.Students.size(); ++r) {
    const student& s = table.Students[r];
    std::vector<std::string> row;
    row.reserve(columns);
    row.push_back(std::to_string(r + 1));
    row.push_back(s.Number);
    row.push_back(s.Name);
    row.push_back(s.Gender);
    if (show_preset_class) row.push_back(s.PresetClass == -1 ? "" : std::to_string(s.PresetClass));
    for (double score : s.Scores) row.push_back(FormatNumber(score));
    row.push_back(FormatNumber(s.Total));
    row.push_back(std::to_string(s.Rank));
    row.insert(row.end(), s.BalanceValues.begin(), s.BalanceValues.end());
    row.insert(row.end(), s.ExtraValues.begin(), s.ExtraValues.end());
    row.resize(columns);  // a short array leaves its cells empty
    grid.rows.push_back(std::move(row));
  }
  return grid;
}

}  // namespace tessaly::model
