#include "engine/transfer.h"

#include <gtest/gtest.h>

#include "cohort_builder.h"
#include "model/number_format.h"
#include "support/fake_user.h"

namespace tessaly::engine {
namespace {

using testing::CohortBuilder;
using testing::FakeUser;
using testing::Gb;

TEST(InsertAndRemove, KeepTheOrderByTotal) {
  model::Student_F set;
  for (double t : {90.0, 80.0, 80.0, 70.0}) {
    set.Students.push_back(testing::MakeStudent(std::to_string(int(t)), "甲", "男", {t}));
  }
  auto newcomer = testing::MakeStudent("x", "乙", "女", {80});
  EXPECT_EQ(InsertByTotal(set, newcomer), 3u);  // behind the equal totals
  EXPECT_EQ(InsertByTotal(set, testing::MakeStudent("y", "丙", "女", {10})), 5u);
  EXPECT_EQ(InsertByTotal(set, testing::MakeStudent("z", "丁", "女", {99})), 0u);
  EXPECT_EQ(set.StudentCount, 7);
  RemoveByNumber(set, "x");
  RemoveByNumber(set, "X");  // numbers compare byte for byte
  EXPECT_EQ(set.StudentCount, 6);
  EXPECT_EQ(set.Students[3].Number, "80");
  EXPECT_EQ(set.Students[4].Number, "70");
}

// Two ranges: numbers 1..8 in classes 1 and 2, numbers 9..12 in class 3.
model::ProgramState TwoRanges() {
  CohortBuilder c({"语文", "数学"});
  const char* names[] = {"赵一", "钱二", "孙三", "李四", "周五", "吴六",
                         "郑七", "王八", "冯九", "陈十", "褚甲", "卫乙"};
  for (int i = 1; i <= 12; ++i) {
    c.Add(std::to_string(i), names[i - 1], i % 2 ? "男" : "女", {100.0 - i, 90.0 - 2 * i});
  }
  c.Range("按学号|1-8-|2|1,2,|");
  c.Range("按学号|9-12-|1|3,|");
  model::ProgramState st = testing::Divided(c);
  for (auto& s : st.RangeSets[0].Students) s.AssignedClass = std::stoi(s.Number) % 2 ? 1 : 2;
  for (auto& s : st.RangeSets[1].Students) s.AssignedClass = 3;
  return st;
}

const model::student& Find(const model::ProgramState& st, const std::string& number) {
  for (const auto& set : st.RangeSets) {
    for (const auto& s : set.Students) {
      if (s.Number == number) return s;
    }
  }
  throw std::runtime_error("no student " + number);
}

TEST(TransferStudent, RefusesWithItsMessagesAndChangesNothing) {
  model::ProgramState st = TwoRanges();
  const model::ProgramState before = st;
  FakeUser user;
  EXPECT_EQ(TransferStudent(st, user, "99", Gb("赵一"), 2, 20, BackFillMode::NoBackFill).outcome,
            TransferOutcome::NotFound);
  EXPECT_EQ(TransferStudent(st, user, "1", Gb("钱二"), 2, 20, BackFillMode::NoBackFill).outcome,
            TransferOutcome::NameMismatch);
  EXPECT_EQ(TransferStudent(st, user, "1", Gb("赵一"), -1, 20, BackFillMode::NoBackFill).outcome,
            TransferOutcome::BadClass);
  EXPECT_EQ(TransferStudent(st, user, "1", Gb("赵一"), 7, 20, BackFillMode::NoBackFill).outcome,
            TransferOutcome::UnknownClass);
  EXPECT_EQ(st, before);
  EXPECT_EQ(user.Messages(),
            (std::vector<std::string>{
                "warning: 您的学号:99 的同学没有找到，请核实后重新输入。调班没能成功！",
                "warning: 您的学号:1和姓名：钱二不一致，请核实后重新输入。调班没能成功！",
                "warning: 您的调入班级为:-1 错误!请核实后重新输入,调班没能成功！",
                "warning: 您的调入班级为:7 当前分班班级中没有这个班号!请核实后重新输入,"
                "调班没能成功！"}));
  // Into the class he is in: success, nothing changes, nobody back-filled.
  auto same = TransferStudent(st, user, "1", Gb("赵一"), 1, 20, BackFillMode::BackFillByMatch);
  EXPECT_TRUE(same.success());
  EXPECT_FALSE(same.back_filled);
  EXPECT_EQ(st, before);
}

TEST(TransferStudent, ManualMovePinsAndLaterBackFillSkipsPinned) {
  model::ProgramState st = TwoRanges();
  FakeUser user;
  ASSERT_TRUE(
      TransferStudent(st, user, "1", Gb("赵一"), 2, 20, BackFillMode::NoBackFill).success());
  EXPECT_EQ(Find(st, "1").AssignedClass, 2);
  EXPECT_EQ(Find(st, "1").PresetClass, 2);
  // Class 2 holds 2, 4, 6, 8 and the pinned 1: moving 3 to class 2 with
  // back-fill never sends 1 back.
  auto res = TransferStudent(st, user, "3", Gb("孙三"), 2, 100, BackFillMode::BackFillByMatch);
  ASSERT_TRUE(res.success());
  ASSERT_TRUE(res.back_filled);
  EXPECT_NE(res.back_filled->Number, "1");
  EXPECT_EQ(Find(st, res.back_filled->Number).AssignedClass, 1);
  EXPECT_EQ(Find(st, res.back_filled->Number).PresetClass, -1);
  EXPECT_EQ(Find(st, "3").PresetClass, 2);
  // Class sizes are kept by the exchange.
  int in1 = 0;
  for (auto& s : st.RangeSets[0].Students) in1 += s.AssignedClass == 1;
  EXPECT_EQ(in1, 3);
}

TEST(TransferStudent, UnplacedStudentMovesWithoutBackFill) {
  model::ProgramState st = TwoRanges();
  st.RangeSets[0].Students[0].AssignedClass = -1;
  const std::string number = st.RangeSets[0].Students[0].Number;
  const std::string name = st.RangeSets[0].Students[0].Name;
  FakeUser user;
  auto res = TransferStudent(st, user, number, name, 2, 20, BackFillMode::BackFillByMatch);
  EXPECT_TRUE(res.success());
  EXPECT_FALSE(res.back_filled);
  EXPECT_EQ(Find(st, number).PresetClass, 2);
}

TEST(TransferStudent, BetweenRangesReordersAndReranks) {
  model::ProgramState st = TwoRanges();
  FakeUser user;
  // Student 2 (totals 98 + 86) goes to class 3, the back-fill comes back.
  auto res = TransferStudent(st, user, "2", Gb("钱二"), 3, 100, BackFillMode::BackFillByMatch);
  ASSERT_TRUE(res.success());
  ASSERT_TRUE(res.back_filled);
  const auto& from = st.RangeSets[0].Students;
  const auto& to = st.RangeSets[1].Students;
  EXPECT_EQ(from.size(), 8u);
  EXPECT_EQ(to.size(), 4u);
  EXPECT_EQ(to[0].Number, "2");  // the strongest of the set now
  EXPECT_EQ(to[0].Rank, 1);
  EXPECT_EQ(to[0].AssignedClass, 3);
  for (std::size_t i = 1; i < to.size(); ++i) EXPECT_GE(to[i - 1].Total, to[i].Total);
  for (std::size_t i = 1; i < from.size(); ++i) EXPECT_GE(from[i - 1].Total, from[i].Total);
  EXPECT_EQ(Find(st, res.back_filled->Number).AssignedClass, 2);
  EXPECT_EQ(from.back().Rank, 8);
}

TEST(TransferStudent, BackFillFromASetWithoutRangeRowDoesNotReadPastTheRows) {
  // The range rows were cut after the division: the second set has no row
  // any more (a fresh list, so reading past it is caught).
  model::ProgramState st = TwoRanges();
  st.ClassRangeRows = model::RuleList{st.ClassRangeRows[0]};
  FakeUser user;
  auto res = TransferStudent(st, user, "9", Gb("冯九"), 2, 100, BackFillMode::BackFillByMatch);
  ASSERT_TRUE(res.success());
  ASSERT_TRUE(res.back_filled);
  EXPECT_EQ(st.RangeSets[0].Students.size(), 8u);
  EXPECT_EQ(st.RangeSets[1].Students.size(), 4u);
  EXPECT_EQ(Find(st, "9").AssignedClass, 2);
  EXPECT_EQ(Find(st, res.back_filled->Number).AssignedClass, 3);
}

TEST(TransferStudent, BackFillLimitAndMessages) {
  model::ProgramState st = TwoRanges();
  const model::ProgramState before = st;
  FakeUser user;
  // Limit 0: nobody of class 2 has exactly the same total.
  auto res = bsSkinButton13Click(st, user, "1", Gb("赵一"), 2, 0, true);
  EXPECT_EQ(res.outcome, TransferOutcome::NoCandidate);
  EXPECT_EQ(st, before);
  EXPECT_EQ(user.Messages(), std::vector<std::string>{
                                 "warning: 没找到总分之差小于：0 的学生进行对换，调班没有成功！"});
  user.calls.clear();
  res = bsSkinButton13Click(st, user, "1", Gb("赵一"), 2, 20, true);
  ASSERT_TRUE(res.success());
  ASSERT_EQ(user.Messages().size(), 1u);
  EXPECT_EQ(user.Messages()[0], "warning: 自动补回的学生：" + enc::ToUtf8(res.back_filled->Name) +
                                    " 总分：" + model::FormatNumber(res.back_filled->Total));
}

TEST(MatchCost, AddsItsTermsInOrder) {
  CohortBuilder c({"语文"});
  c.Add("1", "甲", "男", {80}).Add("2", "乙", "女", {70}).Add("3", "丙", "男", {60});
  c.Add("4", "丁", "女", {50});
  c.Range("按学号|1-4-|2|1,2,|");
  c.Band("按学号|1-4-|$总分$大于 75$3 级$");
  model::ProgramState st = testing::Divided(c);
  testing::Assign(st, 0, {1, 2, 1, 2});  // 80, 70, 60, 50
  const auto& s = st.RangeSets[0].Students;
  // X = 甲 (80, class 1), Y = 乙 (70, class 2): other gender 5, beyond the
  // limit 5: 300000, the band X meets and Y does not: 8, the gaps as if
  // exchanged: class 1 holds 70 and 60 (65 against 65: 0 total, 0 subject),
  // class 2 holds 80 and 50 (65: 0, 0).
  EXPECT_DOUBLE_EQ(MatchCost(st, s[0], s[1], 0, 1, 0, 2, 5), 5 + 300000 + 8);
  EXPECT_DOUBLE_EQ(MatchCost(st, s[0], s[1], 0, 1, 0, 2, 10), 5 + 8);
  // Y = 丁 (50): same gender missing, total 30 away; class 1 would hold 50
  // and 60 (55 vs 65: 10 + 10), class 2 70 and 80 (75: 10 + 10).
  EXPECT_DOUBLE_EQ(MatchCost(st, s[0], s[3], 0, 1, 0, 2, 30), 5 + 8 + 40);
}

TEST(BalanceBackFill, NeverExchangesTotalsThirtyApart) {
  CohortBuilder c({"语文"});
  c.Add("1", "甲", "男", {100}).Add("2", "乙", "男", {95});
  c.Add("3", "丙", "男", {60}).Add("4", "丁", "男", {55});
  c.Range("按学号|1-4-|2|1,2,|");
  model::ProgramState st = testing::Divided(c);
  testing::Assign(st, 0, {1, 1, 2, 2});
  const model::ProgramState before = st;
  FakeUser user;
  auto res = TransferStudent(st, user, "1", Gb("甲"), 2, 0, BackFillMode::BackFillByBalance);
  EXPECT_EQ(res.outcome, TransferOutcome::NoCandidate);
  EXPECT_EQ(st, before);
  // 2 (95) against 4 (55)? 40 apart too; with 丙 at 70 the exchange of 乙
  // and 丙 improves both averages.
  st.RangeSets[0].Students[2].Total = 70;
  st.RangeSets[0].Students[2].Scores = {70};
  res = TransferStudent(st, user, "2", Gb("乙"), 2, 0, BackFillMode::BackFillByBalance);
  ASSERT_TRUE(res.success());
  EXPECT_EQ(res.back_filled->Number, "3");
  EXPECT_EQ(Find(st, "2").PresetClass, -1);  // balancing pins nobody
  EXPECT_EQ(Find(st, "2").AssignedClass, 2);
  EXPECT_EQ(Find(st, "3").AssignedClass, 1);
}

}  // namespace
}  // namespace tessaly::engine

namespace tessaly::engine {
namespace {

TEST(BalanceBackFill, NoExchangeWithoutAverageBaseline) {
  // Class 2 holds only an absent student (total 0): the classes as they
  // stand have no average deviation, so no exchange is chosen.
  CohortBuilder c({"语文"});
  // 乙 (20) and 丙 (0) lie within 30, and the exchange itself would have a value.
  c.Add("1", "甲", "男", {80}).Add("2", "乙", "男", {20}).Add("3", "丙", "男", {0});
  c.Range("按学号|1-3-|2|1,2,|");
  model::ProgramState st = testing::Divided(c);
  testing::Assign(st, 0, {1, 1, 2});
  const model::ProgramState before = st;
  FakeUser user;
  auto res = TransferStudent(st, user, "2", Gb("乙"), 2, 0, BackFillMode::BackFillByBalance);
  EXPECT_EQ(res.outcome, TransferOutcome::NoCandidate);
  EXPECT_EQ(st, before);
}

}  // namespace
}  // namespace tessaly::engine
