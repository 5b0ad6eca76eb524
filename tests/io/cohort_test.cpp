// The sample cohort generator: deterministic, realistic in shape, and its
// division file reads back as the same state.

#include "cohort/cohort.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "io/division_file.h"
#include "model/rule_lists.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::cohort {
namespace {

TEST(Cohort, SameSeedSameCohortOtherSeedOtherCohort) {
  CohortOptions o;
  o.students = 300;
  EXPECT_EQ(MakeCohort(o), MakeCohort(o));
  CohortOptions other = o;
  other.seed = 2;
  EXPECT_NE(MakeCohort(o).ImportedSets[0].Students, MakeCohort(other).ImportedSets[0].Students);
}

TEST(Cohort, StudentsLookLikeAGrade) {
  const model::ProgramState s = MakeCohort(CohortOptions{});
  ASSERT_EQ(s.ImportedSets.size(), 1u);
  const model::Student_F& t = s.ImportedSets[0];
  ASSERT_EQ(t.StudentCount, 1500);
  ASSERT_EQ(t.Students.size(), 1500u);
  EXPECT_EQ(t.Headings.SubjectHeadings.size(), 9u);
  EXPECT_EQ(t.Headings.SubjectHeadings[0], "语文"_gb);
  EXPECT_EQ(t.Headings.BalanceHeadings, (std::vector<std::string>{"住校"_gb, "特长"_gb}));
  EXPECT_EQ(t.Headings.ExtraHeadings, std::vector<std::string>{"备注"_gb});

  std::set<std::string> numbers;
  std::map<std::string, int> names;
  int zeros = 0, presets = 0, boys = 0;
  double sum_x = 0, sum_y = 0, sum_xx = 0, sum_yy = 0, sum_xy = 0;
  for (const model::student& st : t.Students) {
    numbers.insert(st.Number);
    ++names[st.Name];
    ASSERT_TRUE(st.Gender == "男"_gb || st.Gender == "女"_gb);
    boys += st.Gender == "男"_gb;
    ASSERT_EQ(st.Scores.size(), 9u);
    ASSERT_EQ(st.BalanceValues.size(), 2u);
    ASSERT_EQ(st.ExtraValues.size(), 1u);
    double total = 0;
    for (double v : st.Scores) {
      EXPECT_GE(v, 0);
      EXPECT_LE(v, 150);
      zeros += v == 0;
      total += v;
    }
    EXPECT_EQ(st.Total, total);
    presets += st.PresetClass >= 0;
    EXPECT_EQ(st.AssignedClass, -1);
    const double x = st.Scores[0], y = st.Scores[1];
    sum_x += x, sum_y += y, sum_xx += x * x, sum_yy += y * y, sum_xy += x * y;
  }
  EXPECT_EQ(numbers.size(), 1500u);
  EXPECT_GT(zeros, 10);
  EXPECT_GT(presets, 0);
  EXPECT_LT(presets, 30);
  EXPECT_NEAR(boys, 750, 100);
  int repeated = 0;
  for (const auto& [name, count] : names) repeated += count > 1 ? count : 0;
  EXPECT_GT(repeated, 1500 * 0.03);  // namesakes, plus the names that repeat by chance
  EXPECT_LT(repeated, 1500 * 0.25);
  const double n = 1500;
  const double corr =
      (sum_xy / n - sum_x / n * sum_y / n) /
      std::sqrt((sum_xx / n - std::pow(sum_x / n, 2)) * (sum_yy / n - std::pow(sum_y / n, 2)));
  EXPECT_GT(corr, 0.3);  // subjects share one ability

  std::vector<model::student> reranked = t.Students;
  model::RankStudents(reranked);
  EXPECT_EQ(reranked, t.Students);
}

TEST(Cohort, SomeNamesakesSoundAlikeWithDifferentCharacters) {
  const model::ProgramState s = MakeCohort(CohortOptions{});
  std::set<std::string> names;
  for (const auto& st : s.ImportedSets[0].Students) names.insert(st.Name);
  int alike = 0;
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {"张"_gb, "章"_gb}, {"王"_gb, "汪"_gb}, {"李"_gb, "黎"_gb}, {"伟"_gb, "威"_gb}};
  for (const std::string& name : names) {
    for (const auto& [a, b] : pairs) {
      if (name.compare(0, 2, a) == 0 && names.count(b + name.substr(2))) ++alike;
    }
  }
  EXPECT_GT(alike, 0);
}

TEST(Cohort, RulesFitTheCohort) {
  CohortOptions o;
  o.students = 1000;
  o.ranges = 4;
  o.classes = {3};
  const model::ProgramState s = MakeCohort(o);
  ASSERT_EQ(s.ClassRangeRows.size(), 4u);
  std::set<int> all_ids;
  for (const std::string& row : s.ClassRangeRows) {
    model::RangeRow r = model::ReadRangeRow(row);
    EXPECT_EQ(r.class_count, 3);
    EXPECT_LT(r.low, r.high);
    for (int id : model::ClassIds(r.class_ids)) EXPECT_TRUE(all_ids.insert(id).second);
  }
  EXPECT_EQ(model::ReadRangeRow(s.ClassRangeRows[0]).type, "按名次"_gb);
  EXPECT_EQ(model::ReadRangeRow(s.ClassRangeRows[1]).type, "按学号"_gb);
  EXPECT_EQ(model::ReadRangeRow(s.ClassRangeRows[3]).high, 202501000);
  for (const auto& st : s.ImportedSets[0].Students) {
    if (st.PresetClass >= 0) {
      EXPECT_TRUE(all_ids.count(st.PresetClass));
    }
  }
  ASSERT_EQ(s.BandConditionRows.size(), 4u * 6u);
  for (const std::string& band : s.BandConditionRows) {
    const std::string key = model::FieldAt(band, '$', 1);
    EXPECT_TRUE(key == model::RangeKey(s.ClassRangeRows[0]) ||
                key == model::RangeKey(s.ClassRangeRows[1]) ||
                key == model::RangeKey(s.ClassRangeRows[2]) ||
                key == model::RangeKey(s.ClassRangeRows[3]));
    EXPECT_GE(model::LevelNumber(model::FieldAt(band, '$', 4)), 1);
  }
  // The top band of the total reaches full marks and holds the best student.
  EXPECT_TRUE(model::ConditionHolds(model::FieldAt(s.BandConditionRows[0], '$', 3), 1050));
  EXPECT_EQ(s.BalanceItemRows.front(), "性别|4 级|"_gb);
  EXPECT_EQ(s.BalanceItemRows[1], "住校|4 级|"_gb);
  EXPECT_EQ(s.BalanceItemRows[3], "语文|2 级|"_gb);
  EXPECT_EQ(s.BalanceItemRows.back(), "总分|2 级|"_gb);
  EXPECT_EQ(s.BalanceItemRows.size(), 1u + 2u + 9u + 1u);
  EXPECT_EQ(s.InitialSoundPairs.size(), 1u);
  EXPECT_EQ(s.FinalSoundPairs.size(), 1u);
}

TEST(Cohort, DivisionFileReadsBackTheSameState) {
  CohortOptions o;
  o.students = 2000;
  const model::ProgramState s = MakeCohort(o);
  io::DivisionRead read = io::ReadDivisionText(io::WriteDivisionText(s), model::ProgramState{});
  ASSERT_TRUE(read.ok) << enc::ToUtf8(read.error);
  EXPECT_EQ(read.state, s);
}

TEST(Cohort, RejectsEmptyOptions) {
  CohortOptions o;
  o.students = 0;
  EXPECT_THROW(MakeCohort(o), std::invalid_argument);
  o = CohortOptions{};
  o.classes = {};
  EXPECT_THROW(MakeCohort(o), std::invalid_argument);
}

}  // namespace
}  // namespace tessaly::cohort
