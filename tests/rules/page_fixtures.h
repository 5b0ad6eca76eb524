#pragma once
// Small tables and program states for the rules pages' tests. Texts are
// written in UTF-8 here and stored as code page 936.

#include <string>
#include <vector>

#include "model/program_state.h"
#include "platform/encoding.h"

namespace tessaly::testing {

// A table named `name` with students numbered first..first+count-1.
inline model::Student_F NumberedTable(const std::string& name, int first, int count,
                                      std::vector<std::string> subjects = {},
                                      std::vector<std::string> balance = {}) {
  model::Student_F t;
  t.TableName = enc::FromUtf8(name);
  for (auto& s : subjects) t.Headings.SubjectHeadings.push_back(enc::FromUtf8(s));
  for (auto& b : balance) t.Headings.BalanceHeadings.push_back(enc::FromUtf8(b));
  for (int i = 0; i < count; ++i) {
    model::student s;
    s.Number = std::to_string(first + i);
    s.Name = "S" + std::to_string(i);
    s.Scores.assign(t.Headings.SubjectHeadings.size(), 50);
    s.BalanceValues.assign(t.Headings.BalanceHeadings.size(), "x");
    t.Students.push_back(s);
  }
  t.StudentCount = count;
  return t;
}

// Single-table mode with one main table.
inline model::ProgramState SingleState(model::Student_F table) {
  model::ProgramState st;
  st.DivisionStarted = true;
  st.ExpectedSetCount = 1;
  table.IsMainTable = true;
  st.ImportedSets.push_back(std::move(table));
  return st;
}

// Combine mode with the given tables in slots 1..N (slot 0 empty), no
// weights, no main table.
inline model::ProgramState CombineState(std::vector<model::Student_F> tables) {
  model::ProgramState st;
  st.DivisionStarted = true;
  st.CombineMode = true;
  st.ExpectedSetCount = static_cast<int>(tables.size());
  st.ImportedSets.emplace_back();
  for (auto& t : tables) {
    t.WeightPercent = 0;
    t.IsMainTable = false;
    st.ImportedSets.push_back(std::move(t));
  }
  return st;
}

inline std::string U8(const std::string& cp936) {
  return enc::ToUtf8(cp936);
}
inline std::string Gb(const std::string& utf8) {
  return enc::FromUtf8(utf8);
}

}  // namespace tessaly::testing
