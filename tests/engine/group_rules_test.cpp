// The keep-apart and keep-together groups in the engine: what the guard
// answers, the division's refusals and placements, and the transfer's
// question and back-fill.

#include <gtest/gtest.h>

#include "engine/cohort_builder.h"
#include "engine/division.h"
#include "engine/group_guard.h"
#include "engine/transfer.h"
#include "model/student_groups.h"
#include "support/fake_user.h"

namespace tessaly::engine {
namespace {

using testing::CohortBuilder;
using testing::FakeUser;
using testing::Gb;

std::string Row(const std::string& kind, const std::string& numbers, const std::string& note = "") {
  return Gb(kind + "|" + numbers + "|" + note + "|");
}

TEST(GroupGuard, AnswersWhetherAMoveOrExchangeBreaksAGroup) {
  const std::vector<std::string> numbers = {"a", "b", "c", "d", "e", "x"};
  const auto groups = model::ReadGroupRows(
      {Row("同班", "a,b,"), Row("不同班", "c,d,"), Row("不同班", "q,e,")});  // q: nobody
  const GroupGuard guard(groups, numbers);
  ASSERT_EQ(guard.Groups().size(), 2u);  // the group of one known student keeps nothing
  std::vector<std::int32_t> cls = {1, 1, 1, 2, 2, 3};
  auto class_of = [&](std::int32_t p) { return cls[p]; };

  EXPECT_FALSE(guard.Allows(0, 2, 4, 1, class_of));  // a leaves b
  EXPECT_FALSE(guard.Allows(2, 2, 4, 1, class_of));  // c joins d
  EXPECT_TRUE(guard.Allows(2, 2, 3, 1, class_of));   // c and d change places
  EXPECT_TRUE(guard.Allows(4, 3, 5, 2, class_of));   // no group involved
  std::vector<std::int32_t> broken;
  EXPECT_FALSE(guard.Allows(3, 1, -1, -1, class_of, &broken));
  EXPECT_EQ(broken, std::vector<std::int32_t>{1});
  EXPECT_TRUE(guard.Bound(0, class_of));
  EXPECT_FALSE(guard.Bound(2, class_of));

  // Groups already broken (by a move the teacher agreed to) may be mended.
  cls = {1, 2, 1, 1, 2, 3};
  EXPECT_TRUE(guard.Allows(0, 3, 5, 1, class_of));
  EXPECT_FALSE(guard.Bound(0, class_of));
  EXPECT_TRUE(guard.Allows(2, 2, -1, -1, class_of));
}

// Twelve students 1..12 (totals falling), one range of three classes of
// four, or two ranges of six.
CohortBuilder Twelve(bool two_ranges, std::vector<std::int32_t> presets = {}) {
  CohortBuilder c({"语文", "数学"});
  presets.resize(12, -1);
  for (int i = 1; i <= 12; ++i) {
    c.Add(std::to_string(i), "学生" + std::to_string(i), i % 2 ? "男" : "女",
          {100.0 - i, 90.0 - 2 * i}, {}, presets[i - 1]);
  }
  if (two_ranges) {
    c.Range("按名次|1-6-|3|1,2,3,|").Range("按名次|7-12-|3|4,5,6,|");
  } else {
    c.Range("按名次|1-12-|3|1,2,3,|");
  }
  return c;
}

std::int32_t ClassOf(const model::ProgramState& st, const std::string& number) {
  for (const auto& set : st.RangeSets) {
    for (const auto& s : set.Students) {
      if (s.Number == number) return s.AssignedClass;
    }
  }
  return -1;
}

TEST(GroupDivision, RefusesGroupsThatCannotBeKeptAndChangesNothing) {
  struct Case {
    bool two_ranges;
    std::vector<std::int32_t> presets;
    std::string row;
    std::string why;
  };
  const std::vector<Case> cases = {
      {true,
       {},
       Row("同班", "1,12,", "兄妹"),
       "同班：1 学生1、12 学生12（兄妹）：同班的学生不在同一个分班区间。"},
      {false, {1, 2}, Row("同班", "1,2,"), "同班的学生预设了不同的班级"},
      {false, {}, Row("同班", "1,2,3,4,5,"), "同班的学生多于一个班的人数"},
      {false, {}, Row("不同班", "1,2,3,4,"), "不同班的学生多于所在区间的班级个数"},
      {false, {2, 2}, Row("不同班", "1,2,"), "不同班的学生中有两名预设在同一个班"},
  };
  for (const Case& k : cases) {
    model::ProgramState st = Twelve(k.two_ranges, k.presets).State();
    st.GroupRows = {Row("不同班", "5,6,"), k.row};
    const model::ProgramState before = st;
    FakeUser user;
    Coin coin(1);
    EXPECT_FALSE(bsSkinButton10Click(st, user, coin).completed) << k.why;
    EXPECT_EQ(st, before);
    ASSERT_EQ(user.Messages().size(), 1u);
    const std::string message = user.Messages()[0];
    EXPECT_EQ(message.rfind("warning: 分班约束无法全部满足，没有分班：", 0), 0u) << message;
    EXPECT_NE(message.find(k.why), std::string::npos) << message;
    EXPECT_EQ(message.find("不同班：5 学生5"), std::string::npos) << "a group that can be kept";
  }
  // Keep-together groups that join an apart pair.
  model::ProgramState st = Twelve(false).State();
  st.GroupRows = {Row("同班", "1,2,"), Row("同班", "2,3,"), Row("不同班", "1,3,")};
  FakeUser user;
  Coin coin(1);
  EXPECT_FALSE(bsSkinButton10Click(st, user, coin).completed);
  EXPECT_NE(user.Messages()[0].find("不同班的学生中有两名被同班约束连在一起"), std::string::npos);
}

TEST(GroupDivision, PlacesTogetherAsOneClassApartInDifferentClasses) {
  for (std::uint32_t seed = 1; seed <= 20; ++seed) {
    model::ProgramState st = Twelve(false, {-1, -1, -1, -1, -1, -1, -1, -1, -1, 3}).State();
    // 10 is preset to class 3: his keep-together group goes there.
    st.GroupRows = {Row("同班", "1,10,7,"), Row("不同班", "2,3,4,"), Row("同班", "5,6,"),
                    Row("不同班", "6,8,")};
    FakeUser user;
    Coin coin(seed);
    ASSERT_TRUE(bsSkinButton10Click(st, user, coin).completed);
    EXPECT_EQ(ClassOf(st, "1"), 3);
    EXPECT_EQ(ClassOf(st, "7"), 3);
    EXPECT_EQ(ClassOf(st, "5"), ClassOf(st, "6"));
    EXPECT_NE(ClassOf(st, "6"), ClassOf(st, "8"));
    EXPECT_EQ(BrokenGroups(st), std::vector<std::int32_t>{});
    std::vector<int> sizes(4, 0);
    for (const auto& s : st.RangeSets[0].Students) ++sizes.at(s.AssignedClass);
    for (int k = 1; k <= 3; ++k) EXPECT_NEAR(sizes[k], 4, 1) << "seed " << seed;
  }
}

TEST(GroupDivision, GroupsOfStudentsOutsideTheRangesChangeNothing) {
  model::ProgramState plain = Twelve(false).State();
  model::ProgramState grouped = plain;
  grouped.GroupRows = {Row("同班", "1,99,"), Row("不同班", "98,97,")};
  FakeUser u1, u2;
  Coin c1(7), c2(7);
  const auto a = bsSkinButton10Click(plain, u1, c1);
  const auto b = bsSkinButton10Click(grouped, u2, c2);
  EXPECT_EQ(plain.RangeSets, grouped.RangeSets);
  EXPECT_EQ(a.averages, b.averages);
  EXPECT_EQ(a.score, b.score);
}

// Two classes of three: class 1 holds 1, 3, 5; class 2 holds 2, 4, 6.
model::ProgramState SixPlaced() {
  CohortBuilder c({"语文"});
  for (int i = 1; i <= 6; ++i) {
    c.Add(std::to_string(i), "学生" + std::to_string(i), "男", {90.0 - i});
  }
  c.Range("按名次|1-6-|2|1,2,|");
  model::ProgramState st = testing::Divided(c);
  for (auto& s : st.RangeSets[0].Students) s.AssignedClass = std::stoi(s.Number) % 2 ? 1 : 2;
  return st;
}

TEST(GroupTransfer, AManualMoveThatBreaksAGroupAsksFirst) {
  model::ProgramState st = SixPlaced();
  st.GroupRows = {Row("同班", "1,3,", "表兄弟")};
  const model::ProgramState before = st;
  FakeUser no;
  no.confirm_answers = {false};
  auto res = TransferStudent(st, no, "1", Gb("学生1"), 2, 0, BackFillMode::NoBackFill);
  EXPECT_EQ(res.outcome, TransferOutcome::GroupKept);
  EXPECT_EQ(st, before);
  ASSERT_EQ(no.Messages().size(), 1u);
  EXPECT_EQ(no.Messages()[0],
            "confirm: 这次调班会破坏分班约束：\n同班：1 学生1、3 学生3（表兄弟）\n仍然要调班吗？");

  FakeUser yes;
  yes.confirm_answers = {true};
  res = TransferStudent(st, yes, "1", Gb("学生1"), 2, 0, BackFillMode::NoBackFill);
  EXPECT_TRUE(res.success());
  EXPECT_EQ(ClassOf(st, "1"), 2);
  EXPECT_EQ(BrokenGroups(st), std::vector<std::int32_t>{0});
}

TEST(GroupTransfer, TheBackFilledStudentBreaksNoGroup) {
  model::ProgramState st = SixPlaced();
  // 2 would match 1 best (the nearest total), but 2 must stay apart from 3
  // of class 1; 4 comes back instead.
  st.GroupRows = {Row("不同班", "2,3,")};
  FakeUser user;
  auto res = TransferStudent(st, user, "1", Gb("学生1"), 2, 100, BackFillMode::BackFillByMatch);
  ASSERT_TRUE(res.success());
  ASSERT_TRUE(res.back_filled);
  EXPECT_EQ(res.back_filled->Number, "4");
  EXPECT_EQ(BrokenGroups(st), std::vector<std::int32_t>{});

  st = SixPlaced();
  st.GroupRows.clear();
  res = TransferStudent(st, user, "1", Gb("学生1"), 2, 100, BackFillMode::BackFillByMatch);
  ASSERT_TRUE(res.back_filled);
  EXPECT_EQ(res.back_filled->Number, "2");  // without the group, the nearest
}

}  // namespace
}  // namespace tessaly::engine
