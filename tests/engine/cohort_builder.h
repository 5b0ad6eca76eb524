#pragma once
// Small cohorts built in code for the engine tests. Shared by the tests of
// the measures (combination, evaluation, statistics, costs) and of the
// division commands (transfer, balancing, division): add helpers here rather
// than copying them. Texts are given in UTF-8 and stored as code page 936.
//
//   CohortBuilder c({"语文", "数学"}, {"住宿"});
//   c.Add("101", "张伟", "男", {90, 80}, {"住校"});
//   c.Range("按名次|1-100-|2|1,2,|");
//   model::ProgramState state = c.State();   // single-table mode, slot 0
//   c.Divide(state);                          // BuildRangeSets

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "engine/combine.h"
#include "model/program_state.h"
#include "model/records.h"
#include "platform/encoding.h"

namespace tessaly::testing {

// One student, texts in UTF-8. Total is the sum of the scores.
inline model::student MakeStudent(const std::string& number, const std::string& name,
                                  const std::string& gender, std::vector<double> scores,
                                  std::vector<std::string> balance_values = {},
                                  std::int32_t assigned_class = -1,
                                  std::int32_t preset_class = -1) {
  model::student s;
  s.Number = enc::FromUtf8(number);
  s.Name = enc::FromUtf8(name);
  s.Gender = enc::FromUtf8(gender);
  s.Scores = std::move(scores);
  s.Total = 0;
  for (double v : s.Scores) s.Total += v;
  for (auto& v : balance_values) s.BalanceValues.push_back(enc::FromUtf8(v));
  s.AssignedClass = assigned_class;
  s.PresetClass = preset_class;
  return s;
}

// A table with these subject and balance headings (UTF-8).
inline model::Student_F MakeTable(const std::string& name, std::vector<std::string> subjects,
                                  std::vector<std::string> balance_headings = {}) {
  model::Student_F t;
  t.TableName = enc::FromUtf8(name);
  for (auto& h : subjects) t.Headings.SubjectHeadings.push_back(enc::FromUtf8(h));
  for (auto& h : balance_headings) t.Headings.BalanceHeadings.push_back(enc::FromUtf8(h));
  t.IsMainTable = true;
  t.WeightPercent = 100;
  return t;
}

class CohortBuilder {
 public:
  CohortBuilder(std::vector<std::string> subjects, std::vector<std::string> balance_headings = {})
      : table_(MakeTable("表1", std::move(subjects), std::move(balance_headings))) {}

  // Adds a student to the table; returns *this for chaining.
  CohortBuilder& Add(const std::string& number, const std::string& name, const std::string& gender,
                     std::vector<double> scores, std::vector<std::string> balance_values = {},
                     std::int32_t preset_class = -1) {
    model::student s = MakeStudent(number, name, gender, std::move(scores),
                                   std::move(balance_values), -1, preset_class);
    s.BalanceValues.resize(table_.Headings.BalanceHeadings.size());
    table_.Students.push_back(std::move(s));
    table_.StudentCount = static_cast<std::int32_t>(table_.Students.size());
    return *this;
  }
  // Rule rows in UTF-8.
  CohortBuilder& Range(const std::string& row) { return Push(ranges_, row); }
  CohortBuilder& Band(const std::string& row) { return Push(bands_, row); }
  CohortBuilder& Item(const std::string& row) { return Push(items_, row); }
  CohortBuilder& CountCondition(const std::string& row) { return Push(counts_, row); }

  model::Student_F& Table() { return table_; }

  // Single-table program state: the table in slot 0 (ranked), the rules.
  model::ProgramState State() const {
    model::ProgramState st;
    st.ImportedSets.push_back(table_);
    model::RankStudents(st.ImportedSets[0].Students);
    st.ClassRangeRows = ranges_;
    st.BandConditionRows = bands_;
    st.BalanceItemRows = items_;
    st.CountConditionRows = counts_;
    st.NextSetSlot = 1;
    return st;
  }

 private:
  CohortBuilder& Push(model::RuleList& list, const std::string& row) {
    list.push_back(enc::FromUtf8(row));
    return *this;
  }
  model::Student_F table_;
  model::RuleList ranges_, bands_, items_, counts_;
};

// State() with its range sets built.
inline model::ProgramState Divided(const CohortBuilder& c) {
  model::ProgramState st = c.State();
  engine::BuildRangeSets(st);
  return st;
}

// Places the students of range set r: class_of[i] is the AssignedClass of
// student i of the set (in the set's order).
inline void Assign(model::ProgramState& st, std::size_t r,
                   std::initializer_list<std::int32_t> class_of) {
  std::size_t i = 0;
  for (std::int32_t k : class_of) st.RangeSets[r].Students.at(i++).AssignedClass = k;
}

// UTF-8 -> code page 936, for expectations.
inline std::string Gb(const std::string& utf8) {
  return enc::FromUtf8(utf8);
}

}  // namespace tessaly::testing
