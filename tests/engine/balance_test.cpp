#include "engine/balance.h"

#include <gtest/gtest.h>

#include <random>

#include "cohort_builder.h"
#include "engine/division.h"
#include "reference_division.h"
#include "support/fake_user.h"

namespace tessaly::engine {
namespace {

using testing::CohortBuilder;
using testing::FakeUser;
using testing::Gb;

// n students numbered 1..n with one subject, classes given per student (in
// number order), every student a boy; the range over the numbers 1..n.
model::ProgramState Placed(const std::vector<double>& scores, const std::vector<int>& classes,
                           const std::string& range) {
  CohortBuilder c({"语文"});
  for (std::size_t i = 0; i < scores.size(); ++i) {
    c.Add(std::to_string(i + 1), "学生" + std::to_string(i + 1), "男", {scores[i]});
  }
  c.Range(range);
  model::ProgramState st = testing::Divided(c);
  for (auto& s : st.RangeSets[0].Students) {
    s.AssignedClass = classes[std::stoi(s.Number) - 1];
  }
  return st;
}

double ClassAverage(const model::ProgramState& st, std::int32_t k) {
  New_ClassInf c;
  SummariseClass(st.RangeSets[0], k, c);
  return c.AverageTotal;
}

std::vector<std::int32_t> ClassesByNumber(const model::ProgramState& st) {
  std::vector<std::int32_t> out(st.RangeSets[0].Students.size());
  for (const auto& s : st.RangeSets[0].Students) out[std::stoi(s.Number) - 1] = s.AssignedClass;
  return out;
}

TEST(BalanceTotals, NarrowsTheGapByExchangesThatKeepClassSizes) {
  // Class 1 strong, class 2 weak, twenty students each.
  std::vector<double> scores;
  std::vector<int> classes;
  for (int i = 0; i < 40; ++i) {
    scores.push_back(i < 20 ? 80 + i % 7 : 60 + i % 7);
    classes.push_back(i < 20 ? 1 : 2);
  }
  model::ProgramState st = Placed(scores, classes, "按学号|1-40-|2|1,2,|");
  const double before = ClassAverage(st, 1) - ClassAverage(st, 2);
  FakeUser user;
  EXPECT_TRUE(BalanceTotals(st, user, AllRangesChoice(), true, 1.2));
  const double after = ClassAverage(st, 1) - ClassAverage(st, 2);
  EXPECT_LT(std::fabs(after), std::fabs(before));
  auto now = ClassesByNumber(st);
  EXPECT_EQ(std::count(now.begin(), now.end(), 1), 20);
  EXPECT_EQ(std::count(now.begin(), now.end(), 2), 20);
  EXPECT_TRUE(user.Messages().empty());
  EXPECT_EQ(user.progress.front(), 5);
  EXPECT_EQ(user.progress.back(), 100);
}

TEST(BalanceTotals, GapEqualToControlCountsAsBalanced) {
  // Averages 81 and 80: a gap of exactly 1.
  model::ProgramState st = Placed({82, 80, 81, 79}, {1, 1, 2, 2}, "按学号|1-4-|2|1,2,|");
  const auto before = ClassesByNumber(st);
  FakeUser user;
  BalanceTotals(st, user, AllRangesChoice(), false, 1.0);
  EXPECT_EQ(ClassesByNumber(st), before);
}

TEST(BalanceTotals, PinnedStudentsStayAndOtherRangesUntouched) {
  std::vector<double> scores;
  std::vector<int> classes;
  for (int i = 0; i < 30; ++i) {
    scores.push_back(i < 15 ? 85 + i % 5 : 60 + i % 5);
    classes.push_back(i < 15 ? 1 : 2);
  }
  model::ProgramState st = Placed(scores, classes, "按学号|1-30-|2|1,2,|");
  for (auto& s : st.RangeSets[0].Students) {
    if (std::stoi(s.Number) % 2 == 0) s.PresetClass = s.AssignedClass;
  }
  FakeUser user;
  // A choice naming no range balances nothing.
  BalanceTotals(st, user, Gb("按学号|1-2-|"), false, 0.5);
  for (const auto& s : st.RangeSets[0].Students) {
    EXPECT_EQ(s.AssignedClass, classes[std::stoi(s.Number) - 1]);
  }
  BalanceTotals(st, user, Gb("按学号|1-30-|"), false, 0.5);
  int moved = 0;
  for (const auto& s : st.RangeSets[0].Students) {
    if (s.PresetClass >= 0) {
      EXPECT_EQ(s.AssignedClass, s.PresetClass);
    }
    if (s.AssignedClass != classes[std::stoi(s.Number) - 1]) ++moved;
  }
  EXPECT_GT(moved, 0);
}

TEST(BalanceTotals, AtMostTwoPassesPerClassPlusOneAndProgressWithinTheWindow) {
  // Class 1 holds the totals 90..71, class 2 70..51: every pass exchanges
  // one pair and narrows the gap of 20 by 2 only, so the pass limit ends the
  // run: 2 * 2 + 1 = 5 passes, 5 exchanges.
  std::vector<double> scores;
  std::vector<int> classes;
  for (int i = 0; i < 40; ++i) {
    scores.push_back(90 - i);
    classes.push_back(i < 20 ? 1 : 2);
  }
  model::ProgramState st = Placed(scores, classes, "按学号|1-40-|2|1,2,|");
  FakeUser user;
  EXPECT_TRUE(BalanceTotals(st, user, AllRangesChoice(), true, 1.2));
  const auto now = ClassesByNumber(st);
  int moved = 0;
  for (std::size_t i = 0; i < now.size(); ++i) moved += now[i] != classes[i];
  EXPECT_EQ(moved, 10);
  // Passes 1 to 4 at trunc(pass / 4 * 90) + 5; the fifth would pass 100,
  // where the window closes, so it is shown as 100.
  EXPECT_EQ(user.progress, (std::vector<int>{5, 27, 50, 72, 95, 100, 100}));
}

TEST(BalanceTotals, StaleRangeRowsWarn) {
  model::ProgramState st = Placed({90, 80}, {1, 2}, "按学号|1-2-|2|1,2,|");
  st.ClassRangeRows.push_back(st.ClassRangeRows[0]);
  const model::ProgramState before = st;
  FakeUser user;
  EXPECT_FALSE(BalanceTotals(st, user, AllRangesChoice(), false, 1));
  EXPECT_EQ(st, before);
  EXPECT_EQ(user.Messages(),
            std::vector<std::string>{"warning: 请先分班后，再进行此操作。或者您已更改分班类型，"
                                     "需重新分班才能进行此操作。"});
}

TEST(BalanceTotals, ClassCountBeyondItsIdsWarnsWithoutBuildingEveryPosition) {
  // A row (edited in the file) that claims far more classes than it lists:
  // the statistics stop at the mismatch; no position is built for each
  // claimed class on the way.
  for (const char* count : {"2147483647", "99999999"}) {
    model::ProgramState st = Placed({90, 85, 60, 55}, {1, 1, 2, 2}, "按学号|1-4-|2|1,2,|");
    st.ClassRangeRows[0] = Gb(std::string("按学号|1-4-|") + count + "|1,2,|");
    const model::ProgramState before = st;
    FakeUser user;
    EXPECT_FALSE(BalanceTotals(st, user, AllRangesChoice(), false, 1));
    EXPECT_EQ(st, before);
    EXPECT_EQ(user.Messages(), std::vector<std::string>{"warning: 分班数量与班级编号个数不一致。"
                                                        "请重新分班或恢复原来的设置！"});
  }
}

TEST(BalanceTotals, SameAsTransfersThatRebuildEverything) {
  int subject_runs_that_moved = 0, total_runs_that_moved = 0;
  for (std::uint32_t seed = 1; seed <= 4; ++seed) {
    CohortBuilder c({"语文", "数学"}, {"住宿"});
    std::mt19937 rnd(seed);
    const char* lodging[] = {"住校", "走读", ""};
    for (int i = 1; i <= 60; ++i) {
      c.Add(std::to_string(i), testing::RandomName(rnd), rnd() % 2 ? "男" : "女",
            {40.0 + rnd() % 60, 40.0 + rnd() % 60}, {lodging[rnd() % 3]}, i % 9 == 0 ? 1 : -1);
    }
    c.Range("按学号|1-60-|3|1,2,3,|");
    c.CountCondition("按学号|1-60-|$数学$大于等于 70$");
    c.Item("性别|4 级|");
    model::ProgramState fast = testing::Divided(c);
    for (auto& s : fast.RangeSets[0].Students) {
      s.AssignedClass = s.PresetClass >= 0 ? s.PresetClass : 1 + static_cast<int>(rnd() % 3);
    }
    model::ProgramState plain = fast;
    const model::ProgramState placed = fast;
    FakeUser u1, u2;
    BalanceTotals(fast, u1, AllRangesChoice(), false, 0.0);
    testing::ReferenceBalance(plain, u2, 0.0);
    EXPECT_EQ(fast.RangeSets, plain.RangeSets) << "seed " << seed;
    if (fast.RangeSets != placed.RangeSets) ++total_runs_that_moved;

    // One subject, its level raised while the exchanges are priced.
    model::ProgramState fast_subject = placed, plain_subject = placed;
    fast_subject.BalanceItemRows.push_back(Gb("数学|2 级|"));
    plain_subject.BalanceItemRows.push_back(Gb("数学|2 级|"));
    const std::string math = Gb("数学");
    BalanceSubject(fast_subject, u1, AllRangesChoice(), math, false, 0.0);
    testing::ReferenceBalance(plain_subject, u2, 0.0, &math);
    EXPECT_EQ(fast_subject.RangeSets, plain_subject.RangeSets) << "seed " << seed;
    EXPECT_EQ(fast_subject.BalanceItemRows, plain_subject.BalanceItemRows);
    if (fast_subject.RangeSets != placed.RangeSets) ++subject_runs_that_moved;
  }
  EXPECT_GT(subject_runs_that_moved, 0);
  EXPECT_GT(total_runs_that_moved, 0);
}

TEST(BalanceTotals, SeveralRangesWithBandsBalanceAsTransfersWould) {
  int runs_that_moved = 0;
  for (std::uint32_t seed = 11; seed <= 16; ++seed) {
    CohortBuilder c({"语文", "数学"}, {"住宿", "特长"});
    std::mt19937 rnd(seed);
    const char* lodging[] = {"住校", "走读", ""};
    const char* talent[] = {"体育", "美术", "音乐", ""};
    for (int i = 1; i <= 90; ++i) {
      c.Add(std::to_string(i), testing::RandomName(rnd), rnd() % 2 ? "男" : "女",
            {30.0 + rnd() % 70, 30.0 + rnd() % 70}, {lodging[rnd() % 3], talent[rnd() % 4]},
            i % 11 == 0 ? (i <= 50 ? 2 : 5) : -1);
    }
    c.Range("按学号|1-50-|3|1,2,3,|").Range("按学号|51-90-|3|4,5,6,|");
    c.Band("按学号|1-50-|$总分$大于等于 120$5 级$").Band("按学号|51-90-|$语文$小于 50$7 级$");
    c.CountCondition("按学号|1-50-|$总分$大于等于 120$")
        .CountCondition("按学号|51-90-|$语文$小于 50$")
        .CountCondition("按学号|51-90-|$数学$大于 80$");
    c.Item("特长|6 级|").Item("总分|5 级|");
    model::ProgramState fast = testing::Divided(c);
    for (auto& set : fast.RangeSets) {
      const int base = set.Students.empty() || std::stoi(set.Students[0].Number) <= 50 ? 1 : 4;
      for (auto& s : set.Students) {
        s.AssignedClass = s.PresetClass >= 0 ? s.PresetClass : base + static_cast<int>(rnd() % 3);
      }
    }
    model::ProgramState plain = fast;
    const model::ProgramState placed = fast;
    FakeUser u1, u2;
    BalanceTotals(fast, u1, AllRangesChoice(), false, 0.0);
    testing::ReferenceBalance(plain, u2, 0.0);
    EXPECT_EQ(fast.RangeSets, plain.RangeSets) << "seed " << seed;
    if (fast.RangeSets != placed.RangeSets) ++runs_that_moved;
  }
  EXPECT_GT(runs_that_moved, 0);
}

TEST(BalanceSubject, BalancesOneSubjectAndRestoresItsLevel) {
  CohortBuilder c({"语文", "数学"});
  for (int i = 1; i <= 40; ++i) {
    c.Add(std::to_string(i), "学生" + std::to_string(i), i % 2 ? "男" : "女",
          {70.0 + i % 5, i <= 20 ? 90.0 - i % 4 : 60.0 + i % 4});
  }
  c.Range("按学号|1-40-|2|1,2,|");
  c.Item("数学|2 级|");
  model::ProgramState st = testing::Divided(c);
  for (auto& s : st.RangeSets[0].Students) s.AssignedClass = std::stoi(s.Number) <= 20 ? 1 : 2;
  auto math_gap = [&] {
    New_ClassInf a, b;
    SummariseClass(st.RangeSets[0], 1, a);
    SummariseClass(st.RangeSets[0], 2, b);
    return std::fabs(a.SubjectAverages[1].Average - b.SubjectAverages[1].Average);
  };
  const double before = math_gap();
  FakeUser user;
  EXPECT_TRUE(BalanceSubject(st, user, AllRangesChoice(), Gb("数学"), false, 1.0));
  EXPECT_LT(math_gap(), before);
  EXPECT_EQ(st.BalanceItemRows, model::RuleList{Gb("数学|2 级|")});
  // A subject the range does not have changes nothing.
  const auto now = st.RangeSets;
  BalanceSubject(st, user, AllRangesChoice(), Gb("物理"), false, 0.0);
  EXPECT_EQ(st.RangeSets, now);
}

TEST(ImbalanceCandidates, LeavesOutTheEndsWithoutBandRows) {
  // 20 boys and 20 girls, class 1 holds 14 boys and 6 girls: boys are the
  // candidates, highest positions (weakest) first beyond 42 % of the set.
  CohortBuilder c({"语文"});
  for (int i = 1; i <= 40; ++i) c.Add(std::to_string(i), "学生", i % 2 ? "男" : "女", {100.0 - i});
  c.Range("按学号|1-40-|2|1,2,|");
  model::ProgramState st = testing::Divided(c);
  int boys1 = 0, girls1 = 0;
  for (auto& s : st.RangeSets[0].Students) {
    bool boy = s.Gender == Gb("男");
    bool in1 = boy ? boys1++ < 14 : girls1++ < 6;
    s.AssignedClass = in1 ? 1 : 2;
  }
  std::vector<AllCountInf> counts;
  FakeUser user;
  ASSERT_TRUE(RebuildCountInfo(st, user, counts));
  auto list = ImbalanceCandidates(st, counts, 0, 1);
  ASSERT_FALSE(list.empty());
  for (auto& e : list) {
    EXPECT_LE(e.position, 37);  // trunc(39 * 0.95)
    EXPECT_GE(e.position, 5);   // trunc(39 * 0.15)
    EXPECT_EQ(st.RangeSets[0].Students[e.position].Gender, Gb("男"));
  }
  // Every student of class 1 scores the same: scanned from the weak end, an
  // equal score goes in front beyond 42 % of the set (16.8 here); before that
  // the walk ends without appending.
  std::vector<std::int32_t> got;
  for (auto& e : list) got.push_back(e.position);
  EXPECT_EQ(got, (std::vector<std::int32_t>{18, 20, 22, 24, 26}));
  EXPECT_TRUE(ImbalanceCandidates(st, counts, 0, 9).empty());

  // The two weakest join class 1 for two of its boys; with a band row for
  // the range the weakest are scanned too.
  auto& s = st.RangeSets[0].Students;
  s[38].AssignedClass = s[39].AssignedClass = 1;
  s[24].AssignedClass = s[26].AssignedClass = 2;
  ASSERT_TRUE(RebuildCountInfo(st, user, counts));
  got.clear();
  for (auto& e : ImbalanceCandidates(st, counts, 0, 1)) got.push_back(e.position);
  EXPECT_EQ(got, (std::vector<std::int32_t>{18, 20, 22}));
  st.BandConditionRows.push_back(Gb("按学号|1-40-|$总分$大于 0$3 级$"));
  got.clear();
  for (auto& e : ImbalanceCandidates(st, counts, 0, 1)) got.push_back(e.position);
  EXPECT_EQ(got, (std::vector<std::int32_t>{18, 20, 22, 38, 39}));
}

TEST(FallbackCandidates, SmallSetsStartAtTheLastStudent) {
  model::ProgramState st = Placed({90, 80, 70, 60, 50}, {1, 1, 1, 1, 1}, "按学号|1-5-|1|1,|");
  EXPECT_EQ(FallbackCandidates(st, 0, 1), (std::vector<std::int32_t>{4, 3, 2, 1, 0}));
  st.RangeSets[0].Students[3].PresetClass = 1;
  EXPECT_EQ(FallbackCandidates(st, 0, 1), (std::vector<std::int32_t>{4, 2, 1, 0}));
}

}  // namespace
}  // namespace tessaly::engine

namespace tessaly::engine {
namespace {

TEST(BalanceButtons, CheckTheBoxesThenRefreshTableAndScore) {
  model::ProgramState st = Placed({90, 80, 70, 60}, {1, 1, 2, 2}, "按学号|1-4-|2|1,2,|");
  const model::ProgramState before = st;
  FakeUser user;
  EXPECT_FALSE(bsSkinButton16Click(st, user, AllRangesChoice(), "").ran);
  EXPECT_FALSE(bsSkinButton16Click(st, user, AllRangesChoice(), "1.2.3").ran);
  EXPECT_FALSE(bsSkinButton17Click(st, user, AllRangesChoice(), "", "1").ran);
  EXPECT_EQ(st, before);
  ASSERT_EQ(user.Messages().size(), 3u);
  EXPECT_EQ(user.Messages()[0], "warning: 您还没有输入控制分数！");
  EXPECT_EQ(user.Messages()[1].rfind("error: ", 0), 0u);
  EXPECT_EQ(user.Messages()[2], "warning: 您还没有输入控制分数！");
  EXPECT_TRUE(ControlScoreKeyAccepted('7') && ControlScoreKeyAccepted('.') &&
              ControlScoreKeyAccepted(8) && !ControlScoreKeyAccepted('-'));

  BalanceButtonResult r = bsSkinButton16Click(st, user, AllRangesChoice(), "1");
  EXPECT_TRUE(r.ran && r.completed);
  EXPECT_FALSE(r.averages.rows.empty());
  ASSERT_TRUE(r.score.has_value());
  EXPECT_EQ(*r.score, *ScoreDivision(st));
  EXPECT_EQ(ClassAverage(st, 1) + ClassAverage(st, 2), 150);
}

}  // namespace
}  // namespace tessaly::engine
