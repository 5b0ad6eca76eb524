#include "import/table_reader.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "import/score_text.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::import {
namespace {

bool HasPrefixIgnoreCase(const std::string& text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         model::EqualsIgnoreCase(std::string_view(text).substr(0, prefix.size()), prefix);
}

const std::string& CellAt(const std::vector<std::string>& cells, int column) {
  static const std::string kEmpty;
  if (column < 1 || static_cast<std::size_t>(column) > cells.size()) return kEmpty;
  return cells[column - 1];
}

}  // namespace

ColumnRoles AssignColumnRoles(const std::vector<std::string>& headings) {
  static const std::string kName = "姓名"_gb;
  static const std::string kGender = "性别"_gb;
  static const std::string kNumber = "学号"_gb;
  static const std::string kPreset = "预设班级"_gb;
  ColumnRoles roles;
  for (std::size_t i = 0; i < headings.size(); ++i) {
    const std::string& h = headings[i];
    const int k = static_cast<int>(i) + 1;
    if (h.empty()) continue;
    if (h == kName) {
      roles.name = k;
    } else if (h == kGender) {
      roles.gender = k;
    } else if (h == kNumber) {
      roles.number = k;
    } else if (h == kPreset) {
      roles.preset_class = k;
    } else if (HasPrefixIgnoreCase(h, "KEMU")) {
      roles.subjects.push_back(k);
      roles.subject_headings.push_back(h.substr(4));
    } else if (HasPrefixIgnoreCase(h, "JUNHENG")) {
      roles.balances.push_back(k);
      roles.balance_headings.push_back(h.substr(7));
    } else {
      roles.extras.push_back(k);
      roles.extra_headings.push_back(h);
    }
  }
  return roles;
}

model::BiaoTi HeadingsFromRoles(const ColumnRoles& roles) {
  model::BiaoTi h;
  h.NumberHeading = "学号"_gb;
  h.NameHeading = "姓名"_gb;
  h.GenderHeading = "性别"_gb;
  if (roles.preset_class > 0) h.PresetClassHeading = "预设班级"_gb;
  h.SubjectHeadings = roles.subject_headings;
  h.BalanceHeadings = roles.balance_headings;
  h.ExtraHeadings = roles.extra_headings;
  return h;
}

ReadOutcome ReadStudents(const TableRows& rows, const ColumnRoles& roles,
                         const ReadOptions& options) {
  static const std::string kMale = "男"_gb;
  static const std::string kFemale = "女"_gb;
  static const std::string kEmptyNumber = " 该同学学号为空，导入失败！请添加后重新导入!"_gb;
  static const std::string kRepeated1 = " 该同学学号:"_gb;
  static const std::string kRepeated2 = " 重复，导入失败！请修改后重新导入!"_gb;
  static const std::string kConflict1 = "错误！这张表："_gb;
  static const std::string kConflict2 = " 中，学号为："_gb;
  static const std::string kConflict3 = " 的学生姓名是："_gb;
  static const std::string kConflict4 = "。目前导入的这张表中，该学号的学生姓名是："_gb;
  static const std::string kConflict5 = "。同一个学号应该对应同一个学生！"_gb;

  ReadOutcome out;
  out.table.Headings = HeadingsFromRoles(roles);

  // The capacity only paces the progress window: rows with both a name and a
  // number.
  std::size_t capacity = 0;
  for (const auto& cells : rows.students) {
    if (!CellAt(cells, roles.name).empty() && !CellAt(cells, roles.number).empty()) ++capacity;
  }
  out.table.Students.reserve(capacity);

  // Students of the other tables by number, each list in slot and row order.
  std::unordered_map<std::string, std::vector<std::pair<const model::Student_F*, std::size_t>>>
      others;
  for (const model::Student_F* t : options.other_tables) {
    for (std::size_t i = 0; i < t->Students.size(); ++i) {
      others[t->Students[i].Number].emplace_back(t, i);
    }
  }
  std::unordered_set<std::string> seen;  // numbers in Latin upper case

  int last_progress = -1;
  for (std::size_t line = 0; line < rows.students.size(); ++line) {
    if (options.progress && capacity > 0) {
      int value = 10 + static_cast<int>(70.0 * static_cast<double>(line) / capacity);
      value = std::min(value, 80);
      if (value != last_progress) options.progress(value);
      last_progress = value;
    }
    const std::vector<std::string>& cells = rows.students[line];
    const std::string& name_field = CellAt(cells, roles.name);
    if (name_field.empty()) continue;

    model::student s;
    s.Total = 0;
    s.AssignedClass = -1;
    s.Name = enc::CutToBytes(name_field, model::kNameBytes);

    const std::string& gender = CellAt(cells, roles.gender);
    if (gender != kMale && gender != kFemale) {
      out.errors.push_back(s.Name + options.gender_error_suffix);
    } else {
      s.Gender = gender;
    }

    const std::string& number = CellAt(cells, roles.number);
    if (number.empty()) {
      out.errors.push_back(s.Name + kEmptyNumber);
    } else {
      s.Number = enc::CutToBytes(number, model::kNumberBytes);
      // Repeats are found on the number as stored: two long numbers that
      // differ only past the byte limit would otherwise become one number
      // held by two students. The error line quotes the cell as written.
      if (!seen.insert(model::ToUpperLatin(s.Number)).second) {
        out.errors.push_back(s.Name + kRepeated1 + number + kRepeated2);
      }
      if (auto it = others.find(s.Number); it != others.end()) {
        for (const auto& [table, index] : it->second) {
          const model::student& p = table->Students[index];
          if (p.Name == s.Name) continue;
          out.errors.push_back(kConflict1 + table->TableName + kConflict2 + p.Number + kConflict3 +
                               p.Name + kConflict4 + s.Name + kConflict5);
        }
      }
    }

    s.Scores.reserve(roles.subjects.size());
    for (int col : roles.subjects) {
      double score = ScoreFromText(CellAt(cells, col));
      s.Scores.push_back(score);
      s.Total += score;
    }
    s.BalanceValues.reserve(roles.balances.size());
    for (int col : roles.balances) s.BalanceValues.push_back(CellAt(cells, col));
    s.ExtraValues.reserve(roles.extras.size());
    for (int col : roles.extras) s.ExtraValues.push_back(CellAt(cells, col));
    s.PresetClass =
        roles.preset_class > 0 ? model::FirstInteger(CellAt(cells, roles.preset_class)) : -1;
    out.table.Students.push_back(std::move(s));
  }

  out.table.StudentCount = static_cast<std::int32_t>(out.table.Students.size());
  if (out.errors.empty()) model::RankStudents(out.table.Students);
  return out;
}

}  // namespace tessaly::import
