#include "stats/headcount_table.h"

#include <gtest/gtest.h>

#include <random>

#include "engine/cohort_builder.h"
#include "model/rule_lists.h"
#include "platform/encoding.h"
#include "stats/compiled_condition.h"

namespace tessaly::stats {
namespace {

using testing::CohortBuilder;
using testing::Gb;

// The rows of a grid as UTF-8 lines, cells joined by tabs, trailing empty
// cells dropped.
std::vector<std::string> Lines(const model::Grid& grid) {
  std::vector<std::string> out;
  for (const auto& row : grid.rows) {
    std::size_t n = row.size();
    while (n > 0 && row[n - 1].empty()) --n;
    std::string line;
    for (std::size_t c = 0; c < n; ++c) line += (c ? "\t" : "") + enc::ToUtf8(row[c]);
    out.push_back(line);
  }
  return out;
}

TEST(CompiledCondition, AnswersAsTheConditionTest) {
  const char* texts[] = {"大于等于 60 且小于 70",
                         "大于 80且小于等于 90",
                         "大于 80",
                         "大于 80或小于 20",
                         "小于等于 90",
                         "",
                         "等于 5",
                         "大于 1.5.2且小于 .",
                         "大于等于 60 且",
                         "或大于 3"};
  std::mt19937 rnd(7);
  for (const char* t : texts) {
    const std::string text = Gb(t);
    const CompiledCondition compiled(text);
    std::vector<double> scores = {0, 20, 60, 70, 80, 90, 1.5, -1, 100};
    for (int i = 0; i < 50; ++i) scores.push_back((rnd() % 2000) / 10.0);
    for (double x : scores) {
      EXPECT_EQ(compiled.Holds(x), model::ConditionHolds(text, x)) << t << " at " << x;
    }
  }
}

// Two ranges of two classes; the first with 6 students, the second with 4.
CohortBuilder TwoRanges() {
  CohortBuilder c({"语文", "数学"}, {"住宿", "特长"});
  const char* stay[] = {"走读", "住校", "走读", "借读", "住校", "走读", "住校", "住校", "走读", ""};
  const char* gift[] = {"美术", "体育", "音乐", "书法", "舞蹈",
                        "棋类", "美术", "体育", "音乐", "书法"};
  for (int i = 0; i < 10; ++i) {
    c.Add(std::to_string(101 + i), "生", i % 3 ? "男" : "女", {95.0 - 5 * i, 90.0 - 4 * i},
          {stay[i], gift[i]});
  }
  c.Range("按名次|1-6-|2|1,2,|").Range("按名次|7-10-|2|3,4,|");
  c.CountCondition("按名次|1-6-|$数学$大于等于 80 且小于 90$")
      .CountCondition("按名次|7-10-|$总分$大于 100$")
      .CountCondition("按名次|1-6-|$数学$大于等于 60 且小于 80$")
      .CountCondition("按名次|1-6-|$总分$大于 170$")
      .CountCondition("按名次|9-9-|$语文$大于 0$");
  return c;
}

TEST(HeadcountStatistics, LaysOutFourBlocksPerRangeWithTwoEmptyRowsBetween) {
  model::ProgramState st = testing::Divided(TwoRanges());
  ASSERT_EQ(st.RangeSets.size(), 2u);
  testing::Assign(st, 0, {1, 2, 1, 2, 1, 2});
  testing::Assign(st, 1, {3, 4, 3, -1});
  const std::vector<std::string> want = {
      "性别统计\t男生\t女生",
      "按名次|1-6-| 该段学生整体\t4\t2",
      "1 班\t2\t1",
      "2 班\t2\t1",
      "名次段人数统计\t<= 2 名\t<= 6 名\t<= 10 名\t<= 14 名\t<= 20 名\t<= 26 名\t<= 30 名\t<= 40 "
      "名\t<= 50 名\t<= 60 名",
      "按名次|1-6-| 该段整体人数\t2\t6\t6\t6\t6\t6\t6\t6\t6\t6",
      "1 班\t1\t3\t3\t3\t3\t3\t3\t3\t3\t3",
      "2 班\t1\t3\t3\t3\t3\t3\t3\t3\t3\t3",
      "住宿 人数统计\t走读\t住校",
      "按名次|1-6-| 该段整体\t3\t2",
      "1 班\t2\t1",
      "2 班\t1\t1",
      // Every value of this column occurs once: no value columns.
      "特长 人数统计",
      "按名次|1-6-| 该段整体",
      "1 班",
      "2 班",
      "数学\t>= 80 且< 90\t>= 60 且< 80",
      "按名次|1-6-| 该段总计\t2\t3",
      "1 班\t1\t1",
      "2 班\t1\t2",
      "总分\t> 170",
      "按名次|1-6-| 该段总计\t2",
      "1 班\t1",
      "2 班\t1",
      "",
      "",
      "性别统计\t男生\t女生",
      "按名次|7-10-| 该段学生整体\t2\t2",
      "3 班\t1\t1",
      "4 班\t1\t0",
      "名次段人数统计\t<= 2 名\t<= 6 名\t<= 10 名\t<= 14 名\t<= 20 名\t<= 26 名\t<= 30 名\t<= 40 "
      "名\t<= 50 名\t<= 60 名",
      "按名次|7-10-| 该段整体人数\t2\t4\t4\t4\t4\t4\t4\t4\t4\t4",
      "3 班\t1\t2\t2\t2\t2\t2\t2\t2\t2\t2",
      "4 班\t1\t1\t1\t1\t1\t1\t1\t1\t1\t1",
      "住宿 人数统计\t住校",
      "按名次|7-10-| 该段整体\t2",
      "3 班\t1",
      "4 班\t1",
      "特长 人数统计",
      "按名次|7-10-| 该段整体",
      "3 班",
      "4 班",
      "总分\t> 100",
      "按名次|7-10-| 该段总计\t4",
      "3 班\t2",
      "4 班\t1",
  };
  const auto got = Lines(HeadcountStatistics(st));
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[i], want[i]) << "row " << i;
}

TEST(HeadcountStatistics, RanksWithinTheSetAndTiesPassTheCutOff) {
  CohortBuilder c({"语文"});
  // Totals 90, 80, 80, 80, 70, ... : three students share rank 2.
  const double totals[] = {90, 80, 80, 80, 70, 60, 50, 40};
  for (int i = 0; i < 8; ++i) c.Add(std::to_string(i + 1), "生", "男", {totals[i]});
  c.Range("按名次|1-8-|1|7,|");
  model::ProgramState st = testing::Divided(c);
  testing::Assign(st, 0, {7, 7, 7, 7, 7, 7, 7, 7});
  for (auto& s : st.RangeSets[0].Students) s.Rank = 99;  // stale ranks are recomputed
  const auto lines = Lines(HeadcountStatistics(st));
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[3],
            "名次段人数统计\t<= 1 名\t<= 3 名\t<= 5 名\t<= 7 名\t<= 10 名\t<= 13 名\t<= 15 "
            "名\t<= 20 名\t<= 25 名\t<= 30 名");
  EXPECT_EQ(lines[4], "按名次|1-8-| 该段整体人数\t1\t4\t5\t7\t8\t8\t8\t8\t8\t8");
  EXPECT_EQ(st.RangeSets[0].Students[3].Rank, 2);
}

TEST(HeadcountStatistics, RangesWithoutASetAndRangesWithoutClassIds) {
  model::ProgramState st = testing::Divided(TwoRanges());
  // A third range row added after the division has no set: nothing shown.
  st.ClassRangeRows.push_back(Gb("按名次|11-20-|1|9,|"));
  const auto lines = Lines(HeadcountStatistics(st));
  EXPECT_EQ(lines.back(), "4 班\t0");
  // A range without class ids: only the title and whole-range rows.
  st.ClassRangeRows.pop_back();
  st.ClassRangeRows[1] = Gb("按名次|7-10-|0||");
  st.CountConditionRows.clear();
  const auto second = Lines(HeadcountStatistics(st));
  const std::vector<std::string> tail(second.end() - 8, second.end());
  EXPECT_EQ(tail[0], "性别统计\t男生\t女生");
  EXPECT_EQ(tail[2],
            "名次段人数统计\t<= 0 名\t<= 0 名\t<= 0 名\t<= 0 名\t<= 0 名\t<= 0 名\t<= 0 "
            "名\t<= 0 名\t<= 0 名\t<= 0 名");
  EXPECT_EQ(tail[3], "按名次|7-10-| 该段整体人数\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0");
  EXPECT_EQ(tail[7], "按名次|7-10-| 该段整体");
  // No range rows: an empty table.
  st.ClassRangeRows.clear();
  EXPECT_EQ(HeadcountStatistics(st).RowCount(), 0u);
}

}  // namespace
}  // namespace tessaly::stats
