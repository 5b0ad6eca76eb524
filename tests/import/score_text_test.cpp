#include "import/score_text.h"

#include <gtest/gtest.h>

#include "import/total_column.h"
#include "platform/encoding.h"

namespace tessaly::import {
namespace {

TEST(ScoreText, FullWidthDigitsAndExponentFormReadAsTheirNumber) {
  EXPECT_EQ(ScoreFromText("８８"_gb), 88);
  EXPECT_EQ(ScoreFromText("９８．５"_gb), 98.5);
  EXPECT_EQ(ScoreFromText("1.27E2"), 127);
  EXPECT_EQ(ScoreFromText(" 1.27e+2 "), 127);
  EXPECT_EQ(ScoreFromText("１．２７Ｅ２"_gb), 127);
  EXPECT_EQ(ScoreFromText("1E-06"), 1e-6);
  // Everything else reads as before: the first run of digits and points,
  // no sign, 0 for a cell without a number.
  EXPECT_EQ(ScoreFromText("缺考"_gb), 0);
  EXPECT_EQ(ScoreFromText("-"), 0);
  EXPECT_EQ(ScoreFromText(""), 0);
  EXPECT_EQ(ScoreFromText("-5"), 5);
  EXPECT_EQ(ScoreFromText("87.5分"_gb), 87.5);
  EXPECT_EQ(ScoreFromText("1.2.3"), 1.2);
  EXPECT_EQ(ScoreFromText("1E"), 1);    // no exponent digits
  EXPECT_EQ(ScoreFromText("E2"), 2);    // no mantissa
  EXPECT_EQ(ScoreFromText("3e2x"), 3);  // not the whole cell
  EXPECT_EQ(ScoreFromText("-1.27E2"), 1.27);
}

model::Student_F Table(std::vector<std::string> subjects, std::vector<std::vector<double>> scores) {
  model::Student_F t;
  for (auto& s : subjects) t.Headings.SubjectHeadings.push_back(enc::FromUtf8(s));
  for (auto& row : scores) {
    model::student s;
    s.Scores = row;
    t.Students.push_back(s);
  }
  return t;
}

TEST(TotalColumn, ATotalCountedAsASubjectIsNamed) {
  // By its name, whatever the values.
  auto named = TotalSubjectHeading(Table({"语文", "总分"}, {{80, 1}}));
  ASSERT_TRUE(named);
  EXPECT_EQ(enc::ToUtf8(*named), "总分");
  // By its values: every student's column is the sum of the others.
  auto summed = TotalSubjectHeading(
      Table({"语文", "全科", "数学"}, {{80, 170.5, 90.5}, {0, 60, 60}, {0.1, 0.3, 0.2}}));
  ASSERT_TRUE(summed);
  EXPECT_EQ(enc::ToUtf8(*summed), "全科");
  EXPECT_NE(enc::ToUtf8(TotalSubjectWarning(*summed)).find("“KEMU全科”"), std::string::npos);
  // Not a total: one student breaks the sum, too few subjects, all zero.
  EXPECT_FALSE(TotalSubjectHeading(Table({"语文", "全科", "数学"}, {{80, 170, 90}, {1, 60, 60}})));
  EXPECT_FALSE(TotalSubjectHeading(Table({"语文", "数学"}, {{80, 80}})));
  EXPECT_FALSE(TotalSubjectHeading(Table({"语文", "数学", "英语"}, {{0, 0, 0}})));
  EXPECT_FALSE(TotalSubjectHeading(Table({"语文", "数学", "英语"}, {})));
}

}  // namespace
}  // namespace tessaly::import
