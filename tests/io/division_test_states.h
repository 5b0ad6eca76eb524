#pragma once
// Small program states for the division-file tests, built the way a file
// reads back (the fixed headings set, the counts matching the rows).

#include <string>
#include <vector>

#include "model/program_state.h"
#include "platform/encoding.h"

namespace tessaly::io::testdata {

inline model::student Student(const std::string& number, const std::string& name,
                              const std::string& gender, int preset, std::vector<double> scores,
                              int rank, std::vector<std::string> balance,
                              std::vector<std::string> extra, int assigned = -1) {
  model::student s;
  s.Number = number;
  s.Name = name;
  s.Gender = gender;
  s.PresetClass = preset;
  s.Total = 0;
  for (double v : scores) s.Total += v;
  s.Scores = std::move(scores);
  s.Rank = rank;
  s.BalanceValues = std::move(balance);
  s.ExtraValues = std::move(extra);
  s.AssignedClass = assigned;
  return s;
}

inline model::Student_F Table(const std::string& name, int weight, bool main,
                              std::vector<std::string> subjects, std::vector<std::string> balance,
                              std::vector<std::string> extra,
                              std::vector<model::student> students) {
  model::Student_F t;
  t.TableName = name;
  t.WeightPercent = weight;
  t.IsMainTable = main;
  t.Headings.NumberHeading = "学号"_gb;
  t.Headings.NameHeading = "姓名"_gb;
  t.Headings.GenderHeading = "性别"_gb;
  t.Headings.PresetClassHeading = "预设班级"_gb;
  t.Headings.TotalHeading = "总分"_gb;
  t.Headings.NewClassHeading = "新分班级"_gb;
  t.Headings.SubjectHeadings = std::move(subjects);
  t.Headings.BalanceHeadings = std::move(balance);
  t.Headings.ExtraHeadings = std::move(extra);
  t.Students = std::move(students);
  t.StudentCount = static_cast<int>(t.Students.size());
  return t;
}

// One table of two students, three rule lists, single-table mode.
inline model::ProgramState SmallSingleTable() {
  model::ProgramState s;
  s.ImportedSets.push_back(
      Table("高一 期中"_gb, 100, true, {"语文"_gb, "数学"_gb}, {"住校"_gb}, {"备注"_gb},
            {Student("1001", "张 三"_gb, "男"_gb, -1, {88, 87.5}, 1, {"走读"_gb}, {""}),
             Student("1002", "李四"_gb, "女"_gb, 3, {40, 60}, 2, {"住校"_gb}, {"班长"_gb})}));
  s.BalanceItemRows = {"性别|4 级|"_gb};
  s.InitialSoundPairs = {"z-zh"};
  s.ClassRangeRows = {"按名次|1-2-|2|1,2,||"_gb};
  s.CombineMode = false;
  s.ExpectedSetCount = 1;
  s.DivisionStarted = true;
  return s;
}

// A combined division of three tables after the division: slot 0 is the
// combined set, two range sets hold the placed students (one score 87.5).
inline model::ProgramState CombinedDivided() {
  model::ProgramState s;
  auto a = Student("2001", "王五"_gb, "男"_gb, -1, {90.25}, 1, {}, {});
  auto b = Student("2002", "赵六"_gb, "女"_gb, 2, {70}, 2, {}, {});
  auto c = Student("2003", "孙七"_gb, "男"_gb, -1, {87.5}, 2, {}, {});
  s.ImportedSets.push_back(Table("期末(折合)"_gb, 100, false, {"数学"_gb}, {}, {}, {a, b, c}));
  s.ImportedSets.push_back(Table("期中"_gb, 40, false, {"数学"_gb}, {}, {}, {a, b, c}));
  s.ImportedSets.push_back(Table("期末"_gb, 60, true, {"数学"_gb}, {}, {}, {a, b, c}));
  s.ImportedSets.push_back(Table("月考"_gb, 0, false, {"数学"_gb}, {}, {}, {a, b, c}));
  a.AssignedClass = 1;
  c.AssignedClass = 2;
  b.AssignedClass = 3;
  s.RangeSets.push_back(Table("期末(折合)"_gb, 100, false, {"数学"_gb}, {}, {}, {a, c}));
  s.RangeSets.push_back(Table("期末(折合)"_gb, 100, false, {"数学"_gb}, {}, {}, {b}));
  s.ClassRangeRows = {"按名次|1-2-|2|1,2,||"_gb, "按名次|3-3-|1|3,|尖子|"_gb};
  s.BandConditionRows = {"按名次|1-2-|$总分$大于 85 且小于等于 100$5 级$"_gb};
  s.CountConditionRows = {"按名次|1-2-|$数学$大于等于 60 且小于 70$"_gb};
  s.BalanceItemRows = {"性别|4 级|"_gb, "数学|2 级|"_gb, "总分|2 级|"_gb};
  s.FinalSoundPairs = {"an-ang", "in-ing"};
  s.InitialSoundPairs = {"c-ch"};
  s.CombineMode = true;
  s.ExpectedSetCount = 3;
  s.NextSetSlot = 4;
  s.DivisionStarted = true;
  return s;
}

}  // namespace tessaly::io::testdata
