#include "import/total_column.h"

#include <cmath>

#include "platform/encoding.h"

namespace tessaly::import {
namespace {

bool IsTotalName(const std::string& heading) {
  for (const char* name : {"总分", "总成绩", "合计", "总计", "总和"}) {
    if (heading == enc::FromUtf8(name)) return true;
  }
  return false;
}

// True when column `k` of every student holds the sum of the other
// columns and some student's sum is not 0.
bool IsSumOfOthers(const model::Student_F& table, std::size_t k) {
  bool any = false;
  for (const model::student& s : table.Students) {
    if (s.Scores.size() <= k) return false;
    double others = 0;
    for (std::size_t j = 0; j < s.Scores.size(); ++j) {
      if (j != k) others += s.Scores[j];
    }
    // Scores carry at most a few decimals; sums of them differ from the
    // written total only by rounding.
    if (std::fabs(s.Scores[k] - others) > 1e-6 * std::max(1.0, std::fabs(others))) return false;
    any = any || others != 0;
  }
  return any;
}

}  // namespace

std::optional<std::string> TotalSubjectHeading(const model::Student_F& table) {
  const auto& headings = table.Headings.SubjectHeadings;
  for (const std::string& h : headings) {
    if (IsTotalName(h)) return h;
  }
  if (headings.size() < 3) return std::nullopt;
  for (std::size_t k = 0; k < headings.size(); ++k) {
    if (IsSumOfOthers(table, k)) return headings[k];
  }
  return std::nullopt;
}

std::string TotalSubjectWarning(const std::string& heading) {
  return "“KEMU"_gb + heading +
         "”一列是其他科目的总分，却也被当作一门科目计入总分，每个学生的总分都因此加倍。"
         "如果它不是一门科目，请把这一列的标题改为不以KEMU开头（如“总分”），再重新导入。"_gb;
}

}  // namespace tessaly::import
